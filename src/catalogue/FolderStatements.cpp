#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "catalogue/StatementHelpers.h"

namespace catalogue {

namespace {

const QString kSelectFolders = QStringLiteral(
    "SELECT TargetURL, Description, URLClass, UpdateDate, UpdateFlg FROM T_Folders ");

FolderRow readFolder(const Statement& q)
{
    FolderRow row;
    row.TargetURL = q.value(0).toString();
    row.Description = q.value(1).toString();
    row.URLClass = q.value(2).toInt();
    row.UpdateDate = FromDbDate(q.value(3));
    row.UpdateFlg = q.value(4).toInt() != 0;
    return row;
}

QList<FolderRow> readFolders(Db& db, const QString& where, const QVariantList& values)
{
    QList<FolderRow> rows;
    detail::ForEachRow(db, kSelectFolders + where, values,
                       [&rows](const Statement& q) { rows.append(readFolder(q)); });
    return rows;
}

} // namespace

std::optional<FolderRow> FindFolder(Db& db, const QString& url)
{
    const QList<FolderRow> rows = readFolders(db, QStringLiteral("WHERE TargetURL = ?"), {url});
    return rows.isEmpty() ? std::nullopt : std::optional<FolderRow>(rows.first());
}

bool SaveFolder(Db& db, const FolderRow& row)
{
    static const QString sql = detail::UpsertSql(QStringLiteral("T_Folders"), FolderColumns(),
                                                 QStringLiteral("TargetURL"));
    return db.execute(sql, {detail::Text(row.TargetURL), detail::Text(row.Description),
                            row.URLClass, DateOrNull(row.UpdateDate), int(row.UpdateFlg)});
}

bool ClearFolderMarks(Db& db)
{
    return db.execute(QStringLiteral("UPDATE T_Folders SET UpdateFlg = 0"));
}

bool ClearFolderMarksBelow(Db& db, const QString& url)
{
    const SqlCondition below = PrefixCondition(QStringLiteral("TargetURL"), url);
    return db.execute(QStringLiteral("UPDATE T_Folders SET UpdateFlg = 0 WHERE ") + below.sql,
                      below.values);
}

QList<FolderRow> FolderBranch(Db& db, const QString& key, int maxClass)
{
    return readFolders(db,
                       QStringLiteral("WHERE TargetURL LIKE ? ESCAPE '\\' AND URLClass <= ? "
                                      "ORDER BY TargetURL"),
                       {QString(EscapeLike(key) + QStringLiteral("%/")), maxClass});
}

std::optional<QString> FolderDescription(Db& db, const QString& url)
{
    std::optional<QString> description;
    detail::ForEachRow(db, QStringLiteral("SELECT Description FROM T_Folders WHERE TargetURL = ?"),
                       {url}, [&description](const Statement& q) {
                           if (!description)
                               description = q.value(0).toString();
                       });
    return description;
}

QList<FolderRow> TopFolders(Db& db)
{
    return readFolders(db, QStringLiteral("WHERE URLClass = 1 ORDER BY rowid"), {});
}

std::optional<int> CountFoldersBelow(Db& db, const QString& url)
{
    const SqlCondition below = PrefixCondition(QStringLiteral("TargetURL"), url);
    return detail::Count(db, QStringLiteral("SELECT COUNT(*) FROM T_Folders WHERE ") + below.sql,
                         below.values);
}

std::optional<QDateTime> FolderUpdateDate(Db& db, const QString& url)
{
    std::optional<QDateTime> when;
    detail::ForEachRow(db, QStringLiteral("SELECT UpdateDate FROM T_Folders WHERE TargetURL = ?"),
                       {url}, [&when](const Statement& q) {
                           if (!when)
                               when = FromDbDate(q.value(0));
                       });
    return when;
}

bool DeleteFoldersBelow(Db& db, const QString& url)
{
    const SqlCondition below = PrefixCondition(QStringLiteral("TargetURL"), url);
    return db.execute(QStringLiteral("DELETE FROM T_Folders WHERE ") + below.sql, below.values);
}

} // namespace catalogue
