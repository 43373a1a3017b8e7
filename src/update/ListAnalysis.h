#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

// The software list analysis: one list page of a folder becomes its software entries, in
// whichever of the site's three list layouts the page is written, and tells whether another
// page of the list follows.
namespace update {

class AnalysisObserver;

// The site's three list layouts, told apart by their page markers.
enum class ListLayout { None, FileList, LI, Classic };

// One entry of a list page: the T_Softwares columns that the list analysis writes.
struct SoftListEntry
{
    QString BaseURL;   // the folder whose list this is
    QString TargetURL; // absolute address of the package's page
    QString SoftName;
    QString Version;
    std::optional<qint64> FileSize; // kilobytes as printed; nothing = unknown (stored as Null)
    int FileType = 99;              // software type code; 99 = unknown
    int NewFlag = 0;                // 1 when the entry carries the layout's "new" mark
    QString PickUpURL;              // absolute address of the review article, or empty
    QString NewsURL;                // absolute address of the news article, or empty
    std::optional<QDate> OpenDate;  // publication date; nothing = unknown (stored as Null)
    QString Description;
    qint64 RegiMoney = 0; // price in yen; 0 when none
    int Ranking = 0;      // position on its list page, from 1
};

struct SoftListPage
{
    ListLayout layout = ListLayout::None;
    QList<SoftListEntry> entries; // in page order, Ranking 1, 2, ...
    int nextPage = -1;            // the page to read next, or -1 when the list is finished

    bool hasNextPage() const { return nextPage != -1; }
};

// The layout of a list page whose lines are joined (JoinLines), and where its page marker
// lies (-1 for None). The markers are tried in the order file_list, LI, classic.
ListLayout RecognizeListLayout(QStringView text, qsizetype* markerPos = nullptr);

// The entry parsers of the three layouts: fill the fields that the layout prints. False when
// the entry names no package address (such an entry has no row to write).
bool AnalyzeSoftSubNew07(QStringView entry, SoftListEntry* out); // file_list
bool AnalyzeSoftSubGames(QStringView entry, SoftListEntry* out); // LI
bool AnalyzeSoftSub(QStringView entry, SoftListEntry* out);      // classic

// The page after page, or -1: decided on the text after the last entry (from finalPos). A
// readMaxPages other than 0 limits the pages read per folder.
int NextListPage(ListLayout layout, QStringView text, qsizetype finalPos, int page,
                 int readMaxPages);

// Analyses page number page of folderUrl's list (the cached page's text, any line ends).
SoftListPage AnalyzeSoftList(QStringView pageText, const QString& folderUrl, int page,
                             int readMaxPages, AnalysisObserver* observer = nullptr);

} // namespace update
