#include "mainwindow/FolderBranch.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "update/RunState.h"
#include "util/FileUtil.h"
#include "util/Trace.h"

#include <algorithm>

namespace mainwindow {

namespace {

QString areaRootOf(const QString& key)
{
    for (const QString& path : config::AreaPaths) {
        const QString root = config::SiteRoot + path;
        if (key.startsWith(root, Qt::CaseInsensitive))
            return root;
    }
    const int area = std::clamp(update::runState().CurrentArea, 0, 2);
    return config::SiteRoot + config::AreaPaths[std::size_t(area)];
}

} // namespace

std::optional<QList<catalogue::FolderRow>> ReadFolderBranch(const QString& key)
{
    const int depth = util::CountOf(key, u"/") - util::CountOf(areaRootOf(key), u"/") + 2;
    catalogue::Db db;
    QList<catalogue::FolderRow> rows;
    if (catalogue::OpenCatalogue(db))
        rows = catalogue::FolderBranch(db, key, depth);
    if (!db.isOpen() || db.lastError().type() != QSqlError::NoError) {
        util::TraceIfDebug(QStringLiteral("ツリービュー更新エラー(") +
                           db.lastError().nativeErrorCode() + u')');
        return std::nullopt;
    }
    return rows;
}

} // namespace mainwindow
