#include "mainwindow/CategoryDeletion.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "update/CategoryAnalysis.h"
#include "update/PageCache.h"
#include "util/FileUtil.h"
#include "util/Trace.h"

#include <QFile>
#include <QFileInfo>

namespace mainwindow {

namespace {

constexpr int kListOrders = 3;

void TraceFailure(const catalogue::Db& db)
{
    util::TraceIfDebug(QStringLiteral("カテゴリ削除エラー(") + db.lastError().text() + u')');
}

} // namespace

bool IsDeletableCategory(const QString& key)
{
    if (!key.endsWith(u'/'))
        return false;
    for (const QString& path : config::AreaPaths) {
        const QString root = config::SiteRoot + path;
        if (key.startsWith(root) && key.size() > root.size())
            return true;
    }
    return false;
}

bool DeleteCategoryRows(const QString& key, QString* error)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        *error = db.lastError().text();
        return false;
    }
    if (!catalogue::DeleteFoldersBelow(db, key))
        TraceFailure(db);
    if (!catalogue::DeleteEntriesBelow(db, key))
        TraceFailure(db);
    return true;
}

bool DeleteCategoryCache(const QString& key)
{
    const QString page = update::CachePath(key, 0, 1);
    if (page.isEmpty() || !key.endsWith(u'/'))
        return true;
    const QFileInfo dir(QFileInfo(page).path());
    if (dir.isSymLink()) // a link is removed, never followed
        return QFile::remove(dir.filePath());
    // Only a directory that really lies below the cache folder, links along the way resolved;
    // the cache folder itself is never a category's directory.
    const QString root = QFileInfo(config::settings().CacheFolder).canonicalFilePath();
    const QString real = dir.canonicalFilePath();
    if (root.isEmpty() || real.isEmpty() || !real.startsWith(root + u'/') || !dir.isDir())
        return true;
    return util::DeleteFolderTree(real);
}

QString ParentPageOf(const QString& parentKey, int area)
{
    const std::size_t a = std::size_t(std::clamp(area, 0, int(config::AreaUrls.size()) - 1));
    return parentKey == config::SiteRoot + config::AreaPaths[a] ? config::AreaUrls[a] : parentKey;
}

void DeleteCachedFirstPage(const QString& pageUrl)
{
    for (int order = 0; order < kListOrders; ++order) {
        const QString file = update::CachePath(pageUrl, order, 1);
        if (!file.isEmpty())
            QFile::remove(file);
    }
}

} // namespace mainwindow
