#pragma once

#include "mainwindow/EntryKey.h"

#include <QList>
#include <QString>

// Saving software entries as a set of pages a browser opens offline: the frameset page the user
// names, and beside it a folder "<name>_files" with the list page "menu.html" and copies of the
// program's WEBIMAGE pictures.
namespace exportpages {

// The name rule of the save command: a name that ends in ".htm" or ".html" (any case) is kept,
// any other gets ".html" appended.
QString ExportFileName(const QString& chosen);

// The library site's site map, shown in the frameset's right frame until an entry is chosen.
QString SiteMapUrl();

// Writes the page set for the entries, in the order given, at file (used as it stands; pass a
// name the user chose through ExportFileName first). An entry whose row is not in the catalogue
// is left out. Every page is built before anything is written; the folder and its files come
// first and the frameset page last, each file replaced in one step, so a set that could not be
// written leaves the frameset page as it was and no new folder behind. False, with a reason in
// error when given, when the catalogue cannot be opened or a file cannot be written.
bool WriteExport(const QString& file, const QList<mainwindow::EntryKey>& entries,
                 QString* error = nullptr);

} // namespace exportpages
