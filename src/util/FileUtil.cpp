#include "util/FileUtil.h"

#include "config/Settings.h"
#include "util/ProgramFolder.h"
#include "util/Trace.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace util {

namespace {

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// Deletes the contents of dir (files first, then each subfolder with its contents).
bool deleteContents(const QString& dir)
{
    QDir d(dir);
    const QFileInfoList files =
        d.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& f : files) {
        QFile file(f.absoluteFilePath());
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
        if (!file.remove())
            return false;
    }
    const QFileInfoList subs = d.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& sub : subs) {
        if (sub.isSymLink()) { // a link is removed, never followed
            if (!QFile::remove(sub.absoluteFilePath()))
                return false;
        } else if (!DeleteFolderTree(sub.absoluteFilePath())) {
            return false;
        }
    }
    return true;
}

} // namespace

QString ResolvePath(const QString& path)
{
    QString p = path;
    if (p.endsWith(u'\\') || p.endsWith(u'/'))
        p.chop(1);
    const QString folder = programfolder::ProgramFolder();
    if (p.startsWith(u".\\") || p.startsWith(u"./"))
        return programfolder::FindPath(folder + programfolder::ToSlashes(p.mid(1)));
    if (p.startsWith(u"..")) {
        const QString parent = folder.left(folder.lastIndexOf(u'/'));
        return programfolder::ToSlashes(parent + p.mid(2));
    }
    return programfolder::ToSlashes(p);
}

bool MakeFolders(const QString& path)
{
    QDir().mkpath(programfolder::ToSlashes(path));
    return true;
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    // isFile() is false for a missing path too; asking exists() first costs a second call.
    const QFileInfo info(programfolder::ToSlashes(path));
    return info.isFile() && !info.isHidden();
}

bool RenameOver(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdU16String()),
                            std::filesystem::path(to.toStdU16String()), error);
    return !error;
}

QString StripExtension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString TrimNull(const QString& text)
{
    QString t = text.trimmed();
    const qsizetype nul = t.indexOf(QChar(0));
    if (nul >= 0)
        t.truncate(nul);
    return t;
}

QVariant NullTo(const QVariant& value, const QVariant& def)
{
    return value.isNull() ? def : value;
}

QString ReplaceText(const QString& text, const QString& find, const QString& replacement)
{
    if (find.isEmpty())
        return text;
    QString out = text;
    return out.replace(find, replacement, Qt::CaseSensitive);
}

int CountOf(QStringView text, QStringView part)
{
    if (part.isEmpty())
        return 0;
    int count = 0;
    for (qsizetype at = text.indexOf(part); at >= 0; at = text.indexOf(part, at + part.size()))
        ++count;
    return count;
}

bool DeleteFolderTree(const QString& folder)
{
    const QString dir = withoutTrailingSlash(programfolder::ToSlashes(folder));
    const QFileInfo info(dir);
    // The file-system root (and an empty path) is never emptied.
    if (dir.isEmpty() || info.isRoot() || QDir(dir).isRoot())
        return false;
    if (!info.isDir()) {
        TraceIfDebug(u'[' + folder + QStringLiteral("]の削除に失敗しました"));
        return false;
    }
    const QString cache = withoutTrailingSlash(config::settings().CacheFolder);
    const bool keep =
        !cache.isEmpty() && QFileInfo(cache).absoluteFilePath() == info.absoluteFilePath();
    if (!deleteContents(dir) || (!keep && !QDir().rmdir(dir))) {
        TraceIfDebug(u'[' + folder + QStringLiteral("]の削除に失敗しました"));
        return false;
    }
    return true;
}

bool CleanFileName(QString& name)
{
    static const QString unsafe = QStringLiteral("'\\/:,;*?\"<>|");
    for (QChar& c : name) {
        if (unsafe.contains(c))
            c = u'_';
    }
    return true;
}

std::optional<double> ToNumber(const QString& text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<int> ToWholeNumber(const QString& text)
{
    const auto d = ToNumber(text);
    if (!d)
        return std::nullopt;
    const double r = std::nearbyint(*d);
    if (r < -2147483648.0 || r > 2147483647.0)
        return std::nullopt;
    return static_cast<int>(r);
}

} // namespace util
