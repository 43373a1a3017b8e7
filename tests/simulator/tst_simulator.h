#pragma once

#include "support/TestFolder.h"

#include <QObject>
#include <memory>

// The simulated Talvex site: the generator, its pages, the server and the executable.
class TestSimulator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // Generator and pages (SiteTests.cpp)
    void sameSeedSameBytes();
    void packageCountGrowsWithScale_data();
    void packageCountGrowsWithScale();
    void everyPageIsCp932();
    void pageFeaturesPresent_data();
    void pageFeaturesPresent();
    void listPagesFollowTheMarkers_data();
    void listPagesFollowTheMarkers();
    void categoryLinksAreTheChildren();
    void detailAndDownloadPagesMatchTheModel();
    void unknownPathsAreNotFound_data();
    void unknownPathsAreNotFound();
    void linkedPagesAnswer_data();
    void linkedPagesAnswer();

    // Server (ServerTests.cpp)
    void originFormKeepsTheConnection();
    void http10ClosesUnlessKeptAlive();
    void absoluteFormThroughAProxy();
    void archiveSizeMatchesDownloadPage();
    void requestLogRecordsEveryRequest();
    void originFormRoutesByPath_data();
    void originFormRoutesByPath();
    void faultIsObservable_data();
    void faultIsObservable();
    void faultRuleParsing_data();
    void faultRuleParsing();

    // Archives: streamed, in parts, of a chosen size (ArchiveTests.cpp)
    void archiveBytesAreTheGeneratorsStream();
    void chosenArchiveSize();
    void archiveRangeRequests_data();
    void archiveRangeRequests();

    // The hostile site: chunked answers cut short or overstated, redirections, lists that never
    // end or go round, dead sub-category links (HostileTests.cpp)
    void chunkedAnswers_data();
    void chunkedAnswers();
    void redirectAnswers_data();
    void redirectAnswers();
    void endlessAndLoopingLists_data();
    void endlessAndLoopingLists();
    void listFaultsLeaveOtherPagesAlone();
    void deadLinksOnACategoryPage_data();
    void deadLinksOnACategoryPage();

    // The executable (ServerTests.cpp)
    void processServesUntilTerminated();
    void dumpWritesEveryPage();
    void badArgumentsAreRefused_data();
    void badArgumentsAreRefused();

private:
    // A program folder with the first-run settings, for the software-type table.
    std::unique_ptr<TestFolder> m_folder;
};
