#pragma once

#include <QString>

// Deleting a category: its rows in the catalogue and its pages in the page cache. The main
// window's folder menu and the command-line companion share these steps.
namespace mainwindow {

// True for a key that names a deletable category: a folder URL below one of the site's areas
// that is not an area's root (nor "Favorites" or "Search").
bool IsDeletableCategory(const QString& key);

// Deletes the folder key and every folder below it, and their entries except favourites and
// search results. Statement failures are traced and passed over; false (with *error) only when
// the catalogue cannot be opened.
bool DeleteCategoryRows(const QString& key, QString* error);

// Deletes the folder's directory of the page cache with everything in it. Only a directory
// strictly inside the cache folder is touched (an address the cache refuses has none). False
// when the directory exists and could not be deleted.
bool DeleteCategoryCache(const QString& key);

// The page above a category whose cached list page keeps the category: the area's start page
// for a first-level category (parentKey is the area's root), else the parent folder.
QString ParentPageOf(const QString& parentKey, int area);
// Deletes the cached first list page of pageUrl, in every list order, so that opening it reads
// it from the site again. Missing files are passed over.
void DeleteCachedFirstPage(const QString& pageUrl);

} // namespace mainwindow
