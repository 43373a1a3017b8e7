#pragma once

#include "catalogue/Db.h"
#include "catalogue/Rows.h"
#include "catalogue/SqlCondition.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The catalogue's statements, one function each. Every function works on a Db opened by the
// caller (OpenDb / OpenCatalogue), binds every value, and fails quietly (false, nothing or an
// empty list) when the statement fails; db.lastError() then tells why. A "subtree" of url is
// every row whose URL starts with url, taken literally; URLs compare without regard to ASCII case.
namespace catalogue {

// What a read of several entries fills: every column, or only those the software list shows
// (keys, name, version, size, type, marks, description, price, publication date); the others
// stay empty. Reading fewer columns makes filling a large list much faster.
enum class EntryFields { All, List };

// ---- T_Folders

// The folder whose TargetURL is url.
std::optional<FolderRow> FindFolder(Db& db, const QString& url);
// Edits the folder with row's TargetURL, or adds it when there is none.
bool SaveFolder(Db& db, const FolderRow& row);
// UpdateFlg = False on every folder.
bool ClearFolderMarks(Db& db);
// UpdateFlg = False on the folders of the subtree of url.
bool ClearFolderMarksBelow(Db& db, const QString& url);
// Folders strictly below key (TargetURL starts with key, is longer and ends in "/") with
// URLClass <= maxClass, in TargetURL order, so every folder comes before those below it.
QList<FolderRow> FolderBranch(Db& db, const QString& key, int maxClass);
// The Description of the folder url; nothing when there is no such folder.
std::optional<QString> FolderDescription(Db& db, const QString& url);
// The first-level categories (URLClass = 1), in the order they were added.
QList<FolderRow> TopFolders(Db& db);
// Number of folders in the subtree of url (the folder itself included).
std::optional<int> CountFoldersBelow(Db& db, const QString& url);
// The UpdateDate of folder url (an invalid QDateTime when it is Null); nothing without a row.
std::optional<QDateTime> FolderUpdateDate(Db& db, const QString& url);
// Deletes the folders of the subtree of url.
bool DeleteFoldersBelow(Db& db, const QString& url);

// ---- T_Softwares

// The entry (base, target).
std::optional<EntryRow> FindEntry(Db& db, const QString& base, const QString& target);
// Edits the entry with row's (BaseURL, TargetURL), writing every column, or adds it when there
// is none. Read it with FindEntry first to keep the columns you do not change.
bool SaveEntry(Db& db, const EntryRow& row);
// What a list page tells of an entry: adds the row, or edits only the list columns (name,
// version, size, type, new mark, articles, description, price, publication date, ranking) of
// the entry with row's keys, keeping its marks and detail columns as they are. The same as
// FindEntry, changing those columns and SaveEntry, in one statement.
bool SaveListColumns(Db& db, const EntryRow& row);
// The entries whose BaseURL is url, in the order they were added.
QList<EntryRow> FolderEntries(Db& db, const QString& url, EntryFields columns = EntryFields::All);
// The entries marked as favourites.
QList<EntryRow> FavoriteEntries(Db& db, EntryFields columns = EntryFields::All);
// At most top entries of the last search result (none for top <= 0).
QList<EntryRow> SearchEntries(Db& db, int top, EntryFields columns = EntryFields::All);
// The same reads handing each entry to visit as it is read, in the same order; the row passed
// is reused for the next one. Filling a large list so needs no list of whole rows. False when
// the read failed.
using EntryVisitor = std::function<void(const EntryRow&)>;
bool VisitFolderEntries(Db& db, const QString& url, EntryFields columns, const EntryVisitor& visit);
bool VisitFavoriteEntries(Db& db, EntryFields columns, const EntryVisitor& visit);
bool VisitSearchEntries(Db& db, int top, EntryFields columns, const EntryVisitor& visit);
// Deletes the entries of folder url that are neither favourites nor search results.
bool DeleteFolderEntries(Db& db, const QString& url);
// Deletes the entries whose BaseURL lies in the subtree of url, except favourites and search
// results.
bool DeleteEntriesBelow(Db& db, const QString& url);
bool MarkFavorite(Db& db, const QString& base, const QString& target);
bool UnmarkFavorite(Db& db, const QString& base, const QString& target);
// Search = False wherever it is True.
bool ClearSearch(Db& db);
// Search = True on the entries that meet the condition (all entries for an empty one).
bool MarkSearch(Db& db, const SqlCondition& condition);
std::optional<int> CountSearch(Db& db);
std::optional<int> CountFavorites(Db& db);
// Number of entries whose BaseURL lies in the subtree of url.
std::optional<int> CountEntriesBelow(Db& db, const QString& url);
// The FileSize (KB) and RegiMoney (yen) of the entry (base, target), Null read as 0; nothing
// without a row. Reads two columns only: a property window sums them over thousands of rows.
struct SizeAndMoney
{
    qint64 FileSize = 0;
    qint64 RegiMoney = 0;
};
std::optional<SizeAndMoney> EntrySizeAndMoney(Db& db, const QString& base, const QString& target);

// ---- Schema

// Adds the column Ranking to a catalogue that lacks it. Always false, silent; does nothing
// when the catalogue file (config::settings().dbname) is missing.
bool UpgradeSchema();

} // namespace catalogue
