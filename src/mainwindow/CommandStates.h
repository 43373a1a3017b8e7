#pragma once

#include "info/EntryAddresses.h"

#include <QString>

namespace mainwindow {

class MainCommands;

// The addresses of the single selected entry, recorded by UpdateCommandStates for the browser,
// clipboard and download commands.
using info::CurrentEntry;

// What the enabling rules look at.
struct Selection
{
    QString folderKey; // the tree's selected node
    int count = 0;     // selected list rows
    QString base;      // BaseURL of the list's selected item
    QString target;    // its TargetURL
};

// Enables the commands that fit the selection and records the current entry. With one entry
// selected its row is read; when that fails the price, pick-up and news items keep their states.
bool UpdateCommandStates(MainCommands& commands, const Selection& selection, CurrentEntry& current);
// The folder menu's states for the node it opens on.
void SetFolderMenuStates(MainCommands& commands, const QString& nodeKey);
// The 更新 menu's states when it opens.
void SetRefreshMenuStates(MainCommands& commands, const QString& selectedKey);

} // namespace mainwindow
