#include "update/PageCache.h"

#include "config/Settings.h"
#include "util/FileUtil.h"
#include "util/ProgramFolder.h"
#include "util/Trace.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <optional>

namespace update {

namespace {

const QString kNewArrivals = config::SiteRoot + QStringLiteral("tpack/whats/");

bool hasControlCharacter(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

// The segment as a server or a later reader might see it once every level of percent-encoding
// is undone ("%252e" is "." too).
QString fullyDecoded(const QString& segment)
{
    QByteArray bytes = segment.toUtf8();
    for (int round = 0; round < 8 && bytes.contains('%'); ++round) {
        const QByteArray decoded = QByteArray::fromPercentEncoding(bytes);
        if (decoded == bytes)
            break;
        bytes = decoded;
    }
    return QString::fromUtf8(bytes);
}

bool isSafeSegment(const QString& segment)
{
    if (segment.isEmpty() || segment.contains(u'\\') || hasControlCharacter(segment))
        return false;
    const QString decoded = fullyDecoded(segment);
    return decoded != u"." && decoded != u".." && !decoded.contains(u'/') &&
           !decoded.contains(u'\\') && !hasControlCharacter(decoded);
}

// The URL's path below SiteRoot with "/" between levels, or nothing when the URL is not one of
// the site's or a segment could step out of its folder.
std::optional<QString> relativePath(const QString& url)
{
    if (!url.startsWith(config::SiteRoot))
        return std::nullopt;
    const QString rest = url.mid(config::SiteRoot.size());
    QStringList segments = rest.split(u'/');
    if (rest.isEmpty() || rest.endsWith(u'/'))
        segments.removeLast(); // a folder URL: its trailing "/"
    for (const QString& segment : segments) {
        if (!isSafeSegment(segment))
            return std::nullopt;
    }
    return rest;
}

QString cacheRoot()
{
    QString root = programfolder::ToSlashes(config::settings().CacheFolder);
    return root.isEmpty() ? root : QDir::cleanPath(root);
}

QString refuse(const QString& url)
{
    QString shown = url;
    for (QChar& c : shown) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    }
    util::TraceIfDebug(QStringLiteral("CacheFileName エラー(") + shown + u')');
    return {};
}

} // namespace

QString ListOrderName(int listOrder)
{
    switch (listOrder) {
    case 1:
        return QStringLiteral("by_date");
    case 2:
        return QStringLiteral("by_name");
    default:
        return QStringLiteral("index");
    }
}

QString PageSuffix(int page)
{
    if (page <= 1)
        return {};
    return u'_' + QString::number(page).rightJustified(3, u'0');
}

int ListOrderInEffect(const QString& url, int listOrder)
{
    if (listOrder < 0 || listOrder > 2)
        return 0;
    if (url.count(u'/') < 7 || url.contains(kNewArrivals))
        return 0;
    return listOrder;
}

int ListOrderInEffect(const QString& url)
{
    return ListOrderInEffect(url, config::settings().ReadSortType);
}

QString CacheFileName(const QString& url, int listOrder, int page)
{
    const QString path = CachePath(url, listOrder, page);
    if (!path.isEmpty())
        util::MakeFolders(path.left(path.lastIndexOf(u'/')));
    return path;
}

namespace {

// The cache file's path, or nothing for an address that has none.
std::optional<QString> cachePathOf(const QString& url, int listOrder, int page)
{
    const QString root = cacheRoot();
    const std::optional<QString> relative = relativePath(url);
    if (root.isEmpty() || !relative)
        return std::nullopt;
    QString path = root + u'/' + *relative;
    if (url.endsWith(u'/'))
        path += ListOrderName(ListOrderInEffect(url, listOrder)) + PageSuffix(page) +
                QStringLiteral(".html");
    // The segments were checked one by one; this is the last word on staying inside.
    path = QDir::cleanPath(path);
    if (!path.startsWith(root + u'/'))
        return std::nullopt;
    return path;
}

} // namespace

QString CachePath(const QString& url, int listOrder, int page)
{
    const std::optional<QString> path = cachePathOf(url, listOrder, page);
    return path ? *path : refuse(url);
}

bool HasCacheFile(const QString& url, int listOrder, int page)
{
    return cachePathOf(url, listOrder, page).has_value();
}

QString ListPageUrl(const QString& folderUrl, int listOrder, int page)
{
    return folderUrl + ListOrderName(ListOrderInEffect(folderUrl, listOrder)) + PageSuffix(page) +
           QStringLiteral(".html");
}

bool IsCacheCurrent(const QString& cacheFile)
{
    const config::Settings& s = config::settings();
    const QFileInfo info(cacheFile);
    const bool exists = !cacheFile.isEmpty() && info.isFile();
    switch (s.Update) {
    case 0:
        return true;
    case 1:
        return exists;
    case 2:
        return exists &&
               info.lastModified().date().daysTo(QDate::currentDate()) <= s.DateBeforeUpdate;
    default:
        return false;
    }
}

} // namespace update
