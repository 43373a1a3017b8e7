#include "search/SearchPlaces.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"

namespace search {

QList<SearchPlace> SearchPlaces()
{
    const QString newArrivals = config::SiteRoot + config::AreaPaths[1];
    const QString games = config::SiteRoot + config::AreaPaths[2];
    QList<SearchPlace> places{
        {config::SiteRoot + config::AreaPaths[0], QStringLiteral("全てのカテゴリ(通常)"),
         QStringLiteral("TalvexRoot")},
        {newArrivals, QStringLiteral("全てのカテゴリ(新着)"), QStringLiteral("NewArrival")},
    };
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        return places;
    for (const catalogue::FolderRow& row : catalogue::TopFolders(db)) {
        if (row.TargetURL.contains(newArrivals))
            places.append({row.TargetURL, row.Description + QStringLiteral("(新着)"),
                           QStringLiteral("CloseNew")});
        else if (row.TargetURL.contains(games))
            places.append({row.TargetURL, row.Description + QStringLiteral("(ゲームズ)"),
                           QStringLiteral("Close")});
        else
            places.append({row.TargetURL, row.Description, QStringLiteral("Close")});
    }
    return places;
}

} // namespace search
