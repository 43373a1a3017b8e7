#pragma once

#include "mainwindow/EntryKey.h"

#include <QList>
#include <QString>
#include <functional>

class QWidget;

namespace exportpages {

// Asks for the file to save as: the filter ("name|patterns") and the file the dialog starts
// with; the chosen path, or "" when the user cancelled. util::ChooseSaveFile by default.
using SaveFileChooser =
    std::function<QString(QWidget* owner, const QString& filter, const QString& initialFile)>;

// The main window's "名前を付けて保存(&A)": asks for a file in the save dialog, starting in the
// user's documents folder with the folder's text + ".html", and writes the entries, in list
// order, as a page set there, with the hourglass pointer while it works. A failed write is told
// in the "保存できませんでした。" message. Nothing happens without entries or when the dialog
// is cancelled. True when the set was written.
bool SaveEntriesAsPages(QWidget* owner, const QString& folderText,
                        const QList<mainwindow::EntryKey>& entries,
                        const SaveFileChooser& choose = {});

} // namespace exportpages
