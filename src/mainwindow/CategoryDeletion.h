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

// Asks whether the category called name (its name in the tree) is to be deleted with all its
// entries; true for Yes. No is the default answer.
bool AskDeleteCategory(const QString& name);

// Deletes the folder's directory of the page cache with everything in it, then the cached first
// list page of the page above it (the area's start page for a first-level category), so that
// opening that page reads it from the site again. Only a directory strictly inside the cache
// folder is touched (an address the cache refuses has none). False, with the parent's page
// kept, when the directory exists and could not be deleted.
bool DeleteCategoryCache(const QString& key);
// Tells the user that the category's cached pages could not be deleted.
void ShowCacheDeletionFailure();

} // namespace mainwindow
