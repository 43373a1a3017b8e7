#pragma once

#include "support/TestFolder.h"
#include "util/Messages.h"

#include <QObject>
#include <QString>
#include <memory>

namespace talvexsim {
class Site;
class SimServerThread;
} // namespace talvexsim

// The update run, the catalogue writers and the detail analysis against the simulated site
// (and, for hand-made site shapes, the loopback test server), with a real catalogue file.
class TstUpdateRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    // Runs (RunTests.cpp)
    void openingAFolderFillsTheCatalogue_data();
    void openingAFolderFillsTheCatalogue();
    void currentCacheMakesNoRun_data();
    void currentCacheMakesNoRun();
    void refreshReplacesTheListOnlyOnceTheSiteAnswers_data();
    void refreshReplacesTheListOnlyOnceTheSiteAnswers();
    void cancelKeepsAnalysedPagesAndUnreachedMarks();
    void wholeAreaRunVisitsEachPageOnce();
    void walkStopsAtTheDepthBound();
    void refusedAddressIsNeverFetched();
    void proxyWithoutANameIsRefused();
    void failuresInARowAreToldOnceThenAsked_data();
    void failuresInARowAreToldOnceThenAsked();

    // Details (DetailTests.cpp)
    void detailPagesAreReadAndWritten_data();
    void detailPagesAreReadAndWritten();
    void detailFetchRetries_data();
    void detailFetchRetries();
    void currentDetailIsNotReread();
    void detailsLostFromTheRowComeBackFromTheCache();

    // A hostile site: broken answers, redirections, endless lists, dead links (HostileTests.cpp)
    void brokenListPageIsNeverStored_data();
    void brokenListPageIsNeverStored();
    void brokenDetailPageLeavesTheRow_data();
    void brokenDetailPageLeavesTheRow();
    void redirectWithinTheSiteIsFollowed_data();
    void redirectWithinTheSiteIsFollowed();
    void endlessListEndsTheFolder_data();
    void endlessListEndsTheFolder();
    void deadLinksAreToldThenAsked_data();
    void deadLinksAreToldThenAsked();

    // The update window (WindowTests.cpp)
    void windowCancel_data();
    void windowCancel();

public:
    // The proxy setting that leads the fetcher to a loopback port.
    static void useProxyPort(quint16 port);

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<msg::ScriptedSink> m_messages;
};

// The simulated site shared by every test, and its server.
const talvexsim::Site& simSite();
talvexsim::SimServerThread& simServer();
