#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// The category analysis: a category page's links into the current area's folder tree become
// folder rows, and those not yet visited in this run become the sub-categories to walk.
namespace update {

class AnalysisObserver;

// One folder row as the category page gives it (T_Folders without the run columns).
struct FolderRecord
{
    QString TargetURL;   // absolute, ending in "/"
    QString Description; // the link text, cleaned
    int URLClass = 0;    // depth below the area's folder root
};

// The catalogue side of the category analysis.
class FolderWriter
{
public:
    virtual ~FolderWriter() = default;
    // Adds the folder row or edits the existing one, setting UpdateDate to now and UpdateFlg to
    // True. Returns the row's UpdateFlg as it was before this write (false for a new row), or
    // nothing when the row could not be written; such a link is skipped.
    virtual std::optional<bool> saveFolder(const FolderRecord& folder) = 0;
};

struct CategoryContext
{
    QString folderUrl;       // the folder whose first page this is
    int area = 0;            // the current site area
    QString updateTargetUrl; // the update run's target; empty before the first run
    int foundFolders = 0;    // the run's found-folder counter before this page
};

struct CategoryAnalysis
{
    QList<FolderRecord> folders; // every folder written, in page order
    QStringList children;        // the folders to walk next, in page order
    int foundFolders = 0;        // the found-folder counter after this page
    bool cancelled = false;      // the observer asked to stop before the page's end
};

// Reads the link that starts at p, the position of the area's folder root path in line.
// Fills the absolute folder URL (with "index.html" removed) and the cleaned link text, sets
// position to the end of the link text and tells whether the link is a folder link (image
// links are not). position never lies before p.
bool ExtractFolderLink(QStringView line, qsizetype p, QString* linkUrl, QString* linkText,
                       qsizetype* position);

// URLClass of a folder URL in the given area.
int FolderClass(const QString& url, int area);
// The folder above a folder URL: cut after the "/" before its last segment; "" when there is
// none.
QString ParentFolderUrl(const QString& url);
// The site area (0, 1, 2) whose folder root or start page the URL lies in; 0 when none.
int AreaOfUrl(const QString& url);

// Writes one found folder and tells whether the run is to walk it: not when it was visited
// earlier in this run, nor when it lies outside the subtree being updated.
bool AnalyzeHTMLSub(FolderWriter& writer, const FolderRecord& folder, const CategoryContext& ctx);

// Analyses a category page (the text of the folder's "index.html" cache file, any line ends).
// Links after the "<!-- comment strap" of a line are not read, except one found by a search
// that began before it.
CategoryAnalysis AnalyzeHTML(QStringView pageText, const CategoryContext& ctx, FolderWriter& writer,
                             AnalysisObserver* observer = nullptr);

} // namespace update
