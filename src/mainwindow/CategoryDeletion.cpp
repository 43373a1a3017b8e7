#include "mainwindow/CategoryDeletion.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "update/CategoryAnalysis.h"
#include "update/PageCache.h"
#include "util/FileUtil.h"
#include "util/Messages.h"
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

// The folder's directory of the page cache, deleted; false when it exists and stays.
bool DeleteFolderDirectory(const QString& key)
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

// The page whose list names the category: the area's start page for a first-level category,
// else the parent folder.
QString ParentPage(const QString& key)
{
    const QString parent = update::ParentFolderUrl(key);
    const auto area = std::size_t(update::AreaOfUrl(key));
    return parent == config::SiteRoot + config::AreaPaths[area] ? config::AreaUrls[area] : parent;
}

// Deletes the cached first list page of pageUrl in every list order: a deep folder is read in
// the order of the settings, which may have changed since.
void DeleteCachedFirstPage(const QString& pageUrl)
{
    for (int order = 0; order < kListOrders; ++order) {
        const QString file = update::CachePath(pageUrl, order, 1);
        if (!file.isEmpty())
            QFile::remove(file);
    }
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

bool AskDeleteCategory(const QString& name)
{
    return msg::Show(QStringLiteral("カテゴリ '") + name +
                         QStringLiteral("' とカテゴリ内の全てのライブラリを削除してもよろしい"
                                        "ですか?\r\n\r\n\r\n"),
                     QStringLiteral("カテゴリ削除の確認"), msg::Icon::Question, msg::Buttons::YesNo,
                     msg::Answer::No) == msg::Answer::Yes;
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
    if (!DeleteFolderDirectory(key))
        return false;
    DeleteCachedFirstPage(ParentPage(key));
    return true;
}

void ShowCacheDeletionFailure()
{
    msg::Show(QStringLiteral("キャッシュファイルの削除に失敗しました。\r\n"
                             "他のアプリケーションでキャッシュ内のファイルを開いているなどで\r\n"
                             "ファイルが削除できませんでした。"),
              QStringLiteral("ファイルの削除エラー"), msg::Icon::Stop);
}

} // namespace mainwindow
