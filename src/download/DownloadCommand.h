#pragma once

#include "info/EntryAddresses.h"
#include "util/Shell.h"

#include <QString>
#include <QStringList>

// The main window's download command: the program's own download, the browser, or one of the
// two download managers "Iria" and "Irvine".
namespace download {

enum DownloadMethod {
    PlmDownload = 0,     // "PLMダウンロード(&E)": PrepareDownload
    BrowserDownload = 1, // "ダウンロード(&D)": the address opened like a page
    SendToIria = 2,      // "Iriaへ送る(&I)"
    SendToIrvine = 3,    // "Irvineへ送る(&V)"
};

// Downloads the selected entry's archive by the method. The address is the entry's download
// address, read from its detail page first when the catalogue lacks it (the lookup tells the
// user when it stays empty, and nothing else happens then). Nothing happens without a
// selected entry (an empty target) or for an unknown method.
void DownloadSelectedEntry(int method, const info::CurrentEntry& current,
                           const info::SelectedEntry& entry, info::LookupObserver* observer,
                           const util::UrlOpener& openUrl);

// The settings file's keys (section PLMDM) with the command line of each manager.
inline const QString kIriaCommandKey = QStringLiteral("IriaCommand");
inline const QString kIrvineCommandKey = QStringLiteral("IrvineCommand");

// The program and arguments a manager is started with: the command line split as a shell
// splits words (blanks separate, double quotes group) but never run by a shell; each "%1"
// becomes the address, and a command line without "%1" gets the address as its last argument.
// The address is always one argument, whatever it contains. Empty for an empty command line.
QStringList ManagerCommand(const QString& commandLine, const QString& address);

// Hands the address to the manager named "Iria" (method 2) or "Irvine" (method 3) by starting
// the command line of its key. When the key is empty or the program cannot be started the user
// is told N + "の呼び出しに失敗しました。" …; false then.
bool SendToDownloadManager(int method, const QString& address);

} // namespace download
