#pragma once

#include <QString>
#include <QStringList>

// The small process-wide state an update run shares with the analysers and the windows.
namespace update {

struct RunState
{
    int CurrentArea = 0;           // site area 0 library, 1 new arrivals, 2 games
    QString UpdateTargetUrl;       // the folder at which an update run starts
    bool Cancel = false;           // set by the update window's Cancel, polled between steps
    int FoundFolders = 0;          // found-folder counter shown in the update window
    bool UpdateInProgress = false; // the fetcher pumps window events while set
    // What went wrong in the last run (cleared when a run starts): pages that could not be
    // fetched and addresses the page cache refused. Windows have told the user already; the
    // command-line companion turns them into its exit status.
    int FailedPages = 0;
    int FailuresInARow = 0; // pages failed since the last one fetched
    QStringList RefusedUrls;
    // Why the catalogue could not be written; a run stops at the first such failure.
    QString WriteError;

    // True when the run is to stop: cancelled, or the catalogue can no longer be written.
    bool stopped() const { return Cancel || !WriteError.isEmpty(); }
};

// Tells the user that the catalogue could not be written (once per run) and stops the run.
void ReportWriteFailure(const QString& error);
// The same for a page that could not be stored in the page cache at path.
void ReportCacheWriteFailure(const QString& path);

RunState& runState();

} // namespace update
