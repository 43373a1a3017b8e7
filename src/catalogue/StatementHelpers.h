#pragma once

#include "catalogue/Db.h"

#include <QString>
#include <QVariantList>
#include <optional>

// Shared pieces of the statement functions; not for use outside the catalogue.
namespace catalogue::detail {

// Runs a read statement and hands each row to read; false when the statement failed.
template <class Read>
bool ForEachRow(Db& db, const QString& sql, const QVariantList& values, Read read)
{
    Statement* query = db.select(sql, values);
    if (!query)
        return false;
    while (query->next())
        read(*query);
    query->finish();
    return true;
}

// The single number a Count(*) statement returns.
std::optional<int> Count(Db& db, const QString& sql, const QVariantList& values = {});
// An INSERT of every column, editing the row whose unique key is keyColumns (", "-separated)
// instead when one exists: every other column, or only those of updated when it is given.
QString UpsertSql(const QString& table, const QStringList& columns, const QString& keyColumns,
                  const QStringList& updated = {});
// Text columns hold an empty text, never Null.
QVariant Text(const QString& text);

} // namespace catalogue::detail
