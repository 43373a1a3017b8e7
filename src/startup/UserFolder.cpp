#include "startup/UserFolder.h"

#include "util/Messages.h"
#include "util/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace startup {

namespace {

// A start that fills the folder copies a few dozen small files; one that waits longer than this
// for another start has met a start that hangs.
constexpr int kFillWaitMs = 30000;

QString joined(const QString& dir, const QString& name)
{
    return dir + u'/' + name;
}

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Copies source to dir/name through CopyingName(name). A name that appeared meanwhile wins: the
// copy is then dropped.
bool copyFile(const QString& source, const QString& dir, const QString& name, QString* reason)
{
    const QString copying = joined(dir, CopyingName(name));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        *reason = in.errorString();
        return false;
    }
    QFile out(copying);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *reason = out.errorString();
        return false;
    }
    bool ok = true;
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            *reason = in.errorString();
            ok = false;
        } else if (out.write(chunk) != chunk.size()) {
            *reason = out.errorString();
            ok = false;
        }
    }
    // On disk before it gets its name: a crash after the rename must not leave a short file.
    if (ok && (!out.flush() || ::fsync(out.handle()) != 0)) {
        *reason = out.errorString();
        ok = false;
    }
    out.close();
    // rename() never replaces an existing file.
    if (ok && !out.rename(joined(dir, name)) && programfolder::FindEntry(dir, name).isEmpty()) {
        *reason = out.errorString();
        ok = false;
    }
    QFile::remove(copying);
    return ok;
}

// Copies the item source (a file, or a folder with everything below it) into dir as name. A file
// that dir holds already, in any case of letters, stays as it is; a folder that exists is filled.
bool copyItem(const QString& source, const QString& dir, const QString& name,
              const QString& shownName, QString* failure)
{
    const QString existing = programfolder::FindEntry(dir, name);
    const QFileInfo info(source);
    QString reason;
    if (!info.isDir()) {
        QFile::remove(joined(dir, CopyingName(name))); // left by an interrupted start
        if (!existing.isEmpty())
            return true;
        // A pipe or a device would hang or never end; a link to nothing fails to open.
        if (info.exists() && !info.isFile())
            reason = QStringLiteral("通常のファイルではありません");
        else if (copyFile(source, dir, name, &reason))
            return true;
        *failure = QStringLiteral("ファイルをコピーできません: ") + shownName +
                   QStringLiteral(" (") + reason + u')';
        return false;
    }
    const QString target = joined(dir, existing.isEmpty() ? name : existing);
    std::error_code error;
    if (!QFileInfo(target).isDir() &&
        !std::filesystem::create_directory(nativePath(target), error)) {
        *failure = QStringLiteral("フォルダを作成できません: ") + shownName + QStringLiteral(" (") +
                   QString::fromLocal8Bit(error.message()) + u')';
        return false;
    }
    // System: a link to nothing is listed too, and stops the copy as a file that cannot be read.
    const QStringList entries = QDir(source).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (!copyItem(joined(source, entry), target, entry, shownName + u'/' + entry, failure))
            return false;
    }
    return true;
}

// The text of the message that ends a start whose per-user folder cannot be used.
QString UnusableFolderMessage(const QString& userFolder, const QString& failure)
{
    return QStringLiteral("プログラムフォルダ ") + userFolder +
           QStringLiteral(" を使えないため、起動できません。\r\n") + failure +
           QStringLiteral("\r\n\r\n書き込みのできるフォルダを環境変数 XDG_DATA_HOME に指定すると、"
                          "その中の Pelimond フォルダを使います。");
}

} // namespace

QString CopyingName(const QString& name)
{
    return u'.' + name + QStringLiteral(".copying");
}

bool IsSharedFolder(const QString& executableFolder)
{
    return QFileInfo::exists(joined(executableFolder, kSharedFolderMarker)) ||
           !QFileInfo(executableFolder).isWritable();
}

QString PerUserFolder()
{
    // A relative XDG_DATA_HOME is ignored, as the XDG base directory rules ask.
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(data + QStringLiteral("/Pelimond"));
}

bool CopyDeliveredFiles(const QString& installedFolder, const QString& userFolder, QString* failure)
{
    for (const QString& item : kDeliveredItems) {
        const QString source = joined(installedFolder, item);
        if (!QFileInfo::exists(source))
            continue; // this installation delivers no such item
        if (!copyItem(source, userFolder, item, item, failure))
            return false;
    }
    return true;
}

bool MakeUserFolder(const QString& installedFolder, const QString& userFolder, QString* failure)
{
    std::error_code error;
    std::filesystem::create_directories(nativePath(userFolder), error);
    if (!QFileInfo(userFolder).isDir()) {
        *failure = QStringLiteral("フォルダを作成できません (") +
                   QString::fromLocal8Bit(error.message()) + u')';
        return false;
    }
    {
        // The only sure test of writing is to write: permission bits say nothing of a
        // read-only file system, and nothing at all to root.
        QTemporaryFile probe(joined(userFolder, QStringLiteral(".write-test-XXXXXX")));
        if (!probe.open()) {
            *failure = QStringLiteral("フォルダに書き込めません (") + probe.errorString() + u')';
            return false;
        }
    }
    QLockFile lock(joined(userFolder, kFillLockName));
    lock.setStaleLockTime(0); // taken over only from a start that has ended
    if (!lock.tryLock(kFillWaitMs)) {
        *failure = lock.error() == QLockFile::LockFailedError
                       ? QStringLiteral("同時に起動したプログラムがフォルダの準備を終えません。")
                       : QStringLiteral("フォルダに書き込めません。");
        return false;
    }
    return CopyDeliveredFiles(installedFolder, userFolder, failure);
}

bool PrepareProgramFolder(const QString& executableFolder)
{
    if (!IsSharedFolder(executableFolder))
        return true; // a portable copy: everything stays beside the executable
    const QString folder = PerUserFolder();
    QString failure;
    if (!MakeUserFolder(executableFolder, folder, &failure)) {
        msg::Show(UnusableFolderMessage(folder, failure), QStringLiteral("起動"), msg::Icon::Stop);
        return false;
    }
    programfolder::SetProgramFolder(folder);
    return true;
}

} // namespace startup
