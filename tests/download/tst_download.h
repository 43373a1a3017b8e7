#pragma once

#include "download/LibInfo.h"
#include "support/TestFolder.h"
#include "util/Messages.h"

#include <QObject>
#include <memory>

namespace catalogue {
struct EntryRow;
}
namespace talvexsim {
class Site;
class SimServerThread;
} // namespace talvexsim

// The simulated site of the transfer tests: every archive is kArchiveBytes long (several MB,
// and not a multiple of eight).
inline constexpr qint64 kArchiveBytes = 3 * 1024 * 1024 + 11;
const talvexsim::Site& simSite();
talvexsim::SimServerThread& simServer();
// The address of a package's archive on the simulated download host, and its bytes.
QString archiveUrl(int package = 0);
QByteArray archiveBytes(int package = 0);

// A catalogue row for an archive address, as the detail analysis leaves it.
catalogue::EntryRow entryRow(const QString& name, const QString& address);
// Writes the library information file of name with the address into the test's download
// folder, as the main process does, and reads it back as the download process does.
download::LibInfo preparedEntry(const TestFolder& folder, const QString& name,
                                const QString& address);

class TstDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    // The library information file, the texts, the names (tst_download.cpp)
    void readsTheThreeLines_data();
    void readsTheThreeLines();
    void acceptsStoredPathShapesAndLineEnds_data();
    void acceptsStoredPathShapesAndLineEnds();
    void unreadableFileFails_data();
    void unreadableFileFails();
    void writesTheLayout_data();
    void writesTheLayout();
    void sizeText_data();
    void sizeText();
    void remainingTime_data();
    void remainingTime();
    void barScale_data();
    void barScale();
    void namesStayInsideTheFolder_data();
    void namesStayInsideTheFolder();

    // The transfer against the simulated site (TransferTests.cpp)
    void archiveArrivesWhole();
    void brokenTransfersFail_data();
    void brokenTransfersFail();
    void resumeGivesTheSameArchive_data();
    void resumeGivesTheSameArchive();
    void otherSchemesAndNamesWriteNothing_data();
    void otherSchemesAndNamesWriteNothing();
    void framingsAndRedirections_data();
    void framingsAndRedirections();
    void cancelStopsAtOnce();

    // The download window (WindowTests.cpp)
    void windowShowsProgressWhileResponsive();
    void windowTellsFailureAndOpensFolder();
    void windowCancelKeepsThePart();

    // The main process's side (ProcessTests.cpp)
    void prepareDownloadStartsTheDownloadProcess();
    void prepareDownloadRefusesUnsafeNames_data();
    void prepareDownloadRefusesUnsafeNames();
    void downloadMethods_data();
    void downloadMethods();

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<msg::ScriptedSink> m_messages;
};
