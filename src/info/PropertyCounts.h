#pragma once

#include "mainwindow/EntryKey.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// What the folder and multi-selection property windows show, read from the catalogue.
namespace info {

struct FolderProperties
{
    int entries = 0; // entries of the folder and of every folder below it
    int folders = 0; // folders below it
    // The folder's UpdateDate; invalid when the row has no date, nothing without a row. The
    // two fixed nodes ("Favorites", "Search") get the moment of the read.
    std::optional<QDateTime> updated;
};

// The counts and the date of a tree node key: a folder URL, "Favorites" or "Search". False,
// with the catalogue's error text in *error, when the catalogue cannot be read; *out then
// keeps what was read before the failure.
bool ReadFolderProperties(const QString& key, FolderProperties* out, QString* error);

struct SelectionTotals
{
    int position = 0;  // 1-based position of the last entry found in the selection
    qint64 sizeKb = 0; // sum of FileSize
    qint64 money = 0;  // sum of RegiMoney
};

// Sums the size and fee of the entries in order; an entry without a row is skipped. progress,
// when given, hears the totals after each entry found. False, with *error, when the catalogue
// cannot be opened.
bool ReadSelectionTotals(const QList<mainwindow::EntryKey>& entries, SelectionTotals* out,
                         const std::function<void(const SelectionTotals&)>& progress,
                         QString* error);

// "ライブラリ数: 5、カテゴリ数: 2"
QString FolderContentsText(const FolderProperties& properties);
// "2024年03月09日、08:05:01"; "----年--月--日、--:--:--" without a date.
QString FolderDateText(const std::optional<QDateTime>& updated);

} // namespace info
