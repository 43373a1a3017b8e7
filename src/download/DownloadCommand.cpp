#include "download/DownloadCommand.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "download/PrepareDownload.h"
#include "util/Messages.h"

#include <QProcess>

namespace download {

namespace {

void tellManagerFailure(const QString& name)
{
    msg::Show(name + QStringLiteral("の呼び出しに失敗しました。\r\n\r\n") + name +
                  QStringLiteral(" がインストールされていないか\r\n") + name +
                  QStringLiteral("のバージョンが古いです。\r\n"),
              name + QStringLiteral("に送れませんでした。"), msg::Icon::Stop);
}

QString commandLineOf(const QString& key)
{
    return config::ReadIni(config::kSettingsFile, QStringLiteral("PLMDM"), key, QString());
}

} // namespace

QStringList ManagerCommand(const QString& commandLine, const QString& address)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return {};
    bool placed = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (words[i].contains(QStringLiteral("%1"))) {
            words[i].replace(QStringLiteral("%1"), address);
            placed = true;
        }
    }
    if (!placed)
        words.append(address);
    return words;
}

bool SendToDownloadManager(int method, const QString& address)
{
    const bool iria = method == SendToIria;
    const QString name = iria ? QStringLiteral("Iria") : QStringLiteral("Irvine");
    QStringList command =
        ManagerCommand(commandLineOf(iria ? kIriaCommandKey : kIrvineCommandKey), address);
    if (command.isEmpty() || !QProcess::startDetached(command.takeFirst(), command)) {
        tellManagerFailure(name);
        return false;
    }
    return true;
}

void DownloadSelectedEntry(int method, const info::CurrentEntry& current,
                           const info::SelectedEntry& entry, info::LookupObserver* observer,
                           const util::UrlOpener& openUrl)
{
    if (entry.target.isEmpty() || method < PlmDownload || method > SendToIrvine)
        return;
    const QString address = info::GetEntryAddress(current, entry, info::ArchiveFile, observer);
    if (address.isEmpty())
        return;
    switch (method) {
    case PlmDownload:
        PrepareDownload(entry.base, entry.target);
        break;
    case BrowserDownload:
        if (openUrl)
            openUrl(address);
        break;
    default:
        SendToDownloadManager(method, address);
    }
}

} // namespace download
