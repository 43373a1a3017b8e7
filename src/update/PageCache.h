#pragma once

#include <QString>

// The page cache: every page read from the library site is stored as a file under the cache
// folder, at the path of its URL, and the analysers read that file.
namespace update {

// "index", "by_date" or "by_name" for the list orders 0, 1 and 2 ("index" for any other).
QString ListOrderName(int listOrder);
// "" for the first page, else "_" and the page number with at least three digits ("_002").
QString PageSuffix(int page);

// The list order used for the URL: listOrder (0 when outside 0..2), except that a URL with fewer
// than 7 "/" or inside the new arrivals (SiteRoot + "tpack/whats/") always uses 0.
int ListOrderInEffect(const QString& url, int listOrder);
// The same with the ReadSortType setting.
int ListOrderInEffect(const QString& url);

// The cache file of a page, created folders and all: a folder URL (ending in "/") gives the
// list page file (list order name + page suffix + ".html") in the folder's directory, any other
// URL its own path. Only URLs below SiteRoot whose path stays inside the cache folder have a
// cache file: for any other ("." or ".." segments, "//", a backslash, control characters,
// percent-encoded dots, slashes or NULs, another host) the result is "" (and a trace line when
// Debug is 1). Callers treat "" as a failed step.
QString CacheFileName(const QString& url, int listOrder, int page);
// The same path without creating any folder, for readers of the cache: a page that was never
// stored needs no folder to be made for it.
QString CachePath(const QString& url, int listOrder, int page);
// Whether the page has a cache file at all, without a trace line for one that has none.
bool HasCacheFile(const QString& url, int listOrder, int page);

// The address of a list page: folderUrl + list order name + page suffix + ".html".
QString ListPageUrl(const QString& folderUrl, int listOrder, int page);

// True when the cached page may be used without connecting, by the connection mode (Update):
// 0 always; 1 when the file exists; 2 when it exists and is at most DateBeforeUpdate calendar
// days old; 3 and any other mode never. An empty path is a missing file.
bool IsCacheCurrent(const QString& cacheFile);

} // namespace update
