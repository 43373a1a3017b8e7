#pragma once

#include "update/AnalysisObserver.h"

#include <QString>

// Bringing the catalogue up to date with the site, starting from one folder URL.
namespace update {

// What a run tells the window that shows it. Every method has a do-nothing default.
class RunObserver : public AnalysisObserver
{
public:
    // The folder whose pages are being fetched (the update window's second label).
    virtual void folderStarted(const QString& folderUrl) { (void)folderUrl; }
    // A line for the main window's first status-bar panel; empty clears it.
    virtual void statusText(const QString& text) { (void)text; }
    // A line for the main window's second status-bar panel: the analysed share of a list page
    // (AnalysedText) before each entry, empty once the page is written. percentAnalysed comes
    // with it, so a window can repaint on multiples of 10.
    virtual void progressText(const QString& text) { (void)text; }
};

// Folders further below their area's root than this are written but not walked: a site whose
// links lead ever deeper cannot run the walk out of stack.
inline constexpr int kMaxFolderDepth = 32;

// Opens or refreshes one folder: unless force is set, nothing happens when the cached first
// page is current. True when a run was made.
bool UpdateFolder(RunObserver* observer, const QString& folderUrl, bool force, bool walkChildren);
// Fetches and analyses a folder's pages, then (walkChildren) its sub-categories depth first.
bool AnalyzeStart(RunObserver* observer, const QString& folderUrl, bool walkChildren);
// False (after telling the user) when the network cannot be used.
bool CheckConnection();
// The update window's run of the update target URL and everything below it: clears the visited
// marks of the subtree, runs with UpdateInProgress set, and tells the user when it failed.
// targetUrl becomes the run state's update target.
bool RunUpdateWindow(RunObserver* observer, const QString& targetUrl);

// Tells the user that a page of the site could not be fetched ("接続失敗").
void ShowFetchFailure();

// The texts the windows show for a run's progress.
QString FoundFoldersText(int total); // the update window's third label
QString AnalysedText(int percent);   // the status bar's second panel

} // namespace update
