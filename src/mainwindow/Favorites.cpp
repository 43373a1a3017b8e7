#include "mainwindow/Favorites.h"

#include "catalogue/Catalogue.h"

namespace mainwindow {

namespace {

QString ErrorText(const catalogue::Db& db)
{
    const QString text = db.lastError().text();
    return text.isEmpty() ? QStringLiteral("データベースを開けません") : text;
}

} // namespace

std::optional<int> MarkFavorites(const QList<EntryKey>& entries, QString* error)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        *error = ErrorText(db);
        return std::nullopt;
    }
    int count = 0;
    for (const EntryKey& entry : entries) {
        if (!catalogue::MarkFavorite(db, entry.base, entry.target)) {
            *error = ErrorText(db);
            return std::nullopt;
        }
        ++count;
    }
    return count;
}

bool UnmarkFavorites(const QList<EntryKey>& entries, QString* error)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        *error = ErrorText(db);
        return false;
    }
    for (const EntryKey& entry : entries)
        catalogue::UnmarkFavorite(db, entry.base, entry.target);
    return true;
}

} // namespace mainwindow
