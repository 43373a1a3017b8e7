#pragma once

#include "update/ListAnalysis.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>

namespace catalogue {
class Db;
}

// The analysers joined to the page cache and the catalogue: each reads a folder's cached page,
// runs the pure analysis and writes what it found.
namespace update {

class RunObserver;

// The category analysis of folderUrl's first page, as the run fetched it (the list order in
// effect). Writes the folder rows, appends the folders to walk to children and keeps the run's
// found-folder counter. False when the page is not in the cache or the catalogue cannot be
// opened; a cancel stops reading the page and still gives true.
bool AnalyzeHTML(RunObserver* observer, const QString& folderUrl, QStringList* children);
// The same for the page's text as read from the cache (ReadCachedPage).
// linked, when given, gets every folder the page links (visited from now on).
bool AnalyzeHTML(RunObserver* observer, const QString& folderUrl, QStringView page,
                 QStringList* children, QStringList* linked = nullptr);

// The list analysis of page *page of folderUrl: the page's entries are written in one
// transaction and *page becomes the next page to read, or -1. False (and -1) when the page is not
// in the cache, the catalogue cannot be opened or the page could not be committed.
bool AnalyzeSoftList(RunObserver* observer, const QString& folderUrl, int* page);
using NextPageKnown = std::function<int(const QList<SoftListEntry>& entries, int next)>;
// The same for the text of page *page as read from the cache (ReadCachedPage). nextPageKnown,
// when given, learns the page's entries and the next page to read (-1 when the list is finished)
// as soon as the page is analysed (a page without a list has none), before its entries are
// written, and answers the next page in effect (-1 ends the list): the run sends the next
// requests meanwhile.
// With collect the entries are appended there instead of being written (a folder whose list is
// replaced once all its pages are read).
bool AnalyzeSoftList(RunObserver* observer, const QString& folderUrl, QStringView text, int* page,
                     QList<SoftListEntry>* collect = nullptr,
                     const NextPageKnown& nextPageKnown = nullptr);

// Replaces the folder's list with entries (all its pages, in order) in one transaction: its
// entries that are neither favourites nor search results are deleted, then every entry is
// written. False (traced) when the catalogue cannot be opened or the transaction fails; the old
// list then stays whole.
bool ReplaceFolderEntries(const QString& folderUrl, const QList<SoftListEntry>& entries);

// The cached page's text; nothing when the URL has no cache file or the file cannot be read.
// The run reads each fetched page once and hands the text to both analyses.
std::optional<QString> ReadCachedPage(const QString& url, int listOrder, int page);

// Writes one list entry of folderUrl with its ranking: an existing row keeps its marks and
// detail columns. False (traced) when the row could not be written.
bool AnalyzeSoftDb(catalogue::Db& db, const QString& folderUrl, const SoftListEntry& entry,
                   int ranking);

// Deletes the folder's entries that are neither favourites nor search results. False when the
// catalogue cannot be opened or the statement fails.
bool PurgeFolderEntries(const QString& folderUrl);

} // namespace update
