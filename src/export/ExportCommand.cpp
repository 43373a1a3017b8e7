#include "export/ExportCommand.h"

#include "export/PageExport.h"
#include "mainwindow/WaitCursor.h"
#include "util/Dialogs.h"
#include "util/FileUtil.h"
#include "util/Messages.h"

#include <QDir>
#include <QStandardPaths>

namespace exportpages {

namespace {

const QString kFilter = QStringLiteral("Webページ(*.html)|*.html;*.htm");

// The documents folder + the folder's text + ".html". A character that cannot stand in a file
// name (a "/" as in "OS/2,WARP") becomes "_", so the name stays one file in that folder.
QString InitialFile(const QString& folderText)
{
    QString name = folderText + QStringLiteral(".html");
    util::CleanFileName(name);
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return documents + u'/' + name;
}

} // namespace

bool SaveEntriesAsPages(QWidget* owner, const QString& folderText,
                        const QList<mainwindow::EntryKey>& entries, const SaveFileChooser& choose)
{
    if (entries.isEmpty())
        return false;
    const QString initial = InitialFile(folderText);
    const QString chosen =
        choose ? choose(owner, kFilter, initial) : util::ChooseSaveFile(owner, kFilter, initial);
    if (chosen.isEmpty())
        return false;
    bool written = false;
    {
        const mainwindow::WaitCursor wait;
        written = WriteExport(ExportFileName(chosen), entries);
    }
    if (!written) {
        msg::Show(QStringLiteral("ファイルの書き込みに失敗しました。\r\n"
                                 "メディアが書き込み禁止になっていないか、また十分な容量があるかを"
                                 "確認してください。"),
                  QStringLiteral("保存できませんでした。"), msg::Icon::Stop);
    }
    return written;
}

} // namespace exportpages
