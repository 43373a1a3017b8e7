#include "catalogue/StatementHelpers.h"

namespace catalogue::detail {

std::optional<int> Count(Db& db, const QString& sql, const QVariantList& values)
{
    std::optional<int> result;
    ForEachRow(db, sql, values, [&result](const Statement& q) { result = q.value(0).toInt(); });
    return result;
}

QString UpsertSql(const QString& table, const QStringList& columns, const QString& keyColumns,
                  const QStringList& updated)
{
    QStringList marks;
    QStringList assignments;
    const QStringList keys = keyColumns.split(QStringLiteral(", "));
    for (const QString& column : columns) {
        marks.append(QStringLiteral("?"));
        // The key columns are left alone: rewriting them would rebuild the key's index entry.
        if (!keys.contains(column) && (updated.isEmpty() || updated.contains(column)))
            assignments.append(column + QStringLiteral(" = excluded.") + column);
    }
    return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") +
           columns.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
           marks.join(QStringLiteral(", ")) + QStringLiteral(") ON CONFLICT (") + keyColumns +
           QStringLiteral(") DO UPDATE SET ") + assignments.join(QStringLiteral(", "));
}

QVariant Text(const QString& text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

} // namespace catalogue::detail
