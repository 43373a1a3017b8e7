#pragma once

#include "mainwindow/EntryKey.h"

#include <QList>
#include <QString>
#include <optional>

// The favourite marks of list entries.
namespace mainwindow {

// Marks every entry as a favourite, in order, counting each one whether or not it was marked
// already. Nothing when the catalogue cannot be opened or a statement fails; error tells why.
std::optional<int> MarkFavorites(const QList<EntryKey>& entries, QString* error);
// Removes the mark from every entry; a failing statement is skipped. False (with error) only
// when the catalogue cannot be opened.
bool UnmarkFavorites(const QList<EntryKey>& entries, QString* error);

} // namespace mainwindow
