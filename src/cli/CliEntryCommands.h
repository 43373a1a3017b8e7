#pragma once

#include "cli/CliCommands.h"
#include "mainwindow/EntryKey.h"

#include <QTextStream>

// The companion's commands on catalogue rows: favourite marks, deleting a category, the
// folder properties and the addresses of an entry. Each returns the process exit status.
namespace cli {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitRefused = 2; // a bad call, or a target the command does not take
inline constexpr int kExitCancelled = 130;

int FavoriteCommand(const Options& options);
int DeleteCategoryCommand(const Options& options);
int PropertiesCommand(const Options& options, QTextStream& out);
int AddressCommand(const Options& options, QTextStream& out);
int MemberCommand(const Options& options, QTextStream& out);
int SearchCommand(const Options& options, QTextStream& out);
int ExportCommand(const Options& options);
int DownloadCommand(const Options& options);

// The entries of a folder key, "Favorites" or "Search" in the order `list` prints them; *read is
// false when the catalogue cannot be opened.
QList<mainwindow::EntryKey> ListedEntries(const QString& key, bool* read);

// Prints the list of a folder key, "Favorites" or "Search" as `list` does (tab-separated or
// JSON); false after saying why when the catalogue cannot be opened.
bool PrintList(const QString& key, bool json, QTextStream& out);

} // namespace cli
