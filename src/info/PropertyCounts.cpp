#include "info/PropertyCounts.h"

#include "catalogue/Catalogue.h"

namespace info {

namespace {

const QString kFavorites = QStringLiteral("Favorites");
const QString kSearch = QStringLiteral("Search");

QString ErrorText(const catalogue::Db& db)
{
    const QString text = db.lastError().text();
    return text.isEmpty() ? QStringLiteral("データベースを開けません") : text;
}

} // namespace

bool ReadFolderProperties(const QString& key, FolderProperties* out, QString* error)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        *error = ErrorText(db);
        return false;
    }
    const bool fixed = key == kFavorites || key == kSearch;
    std::optional<int> folders = 1;
    if (!fixed)
        folders = catalogue::CountFoldersBelow(db, key);
    std::optional<int> entries;
    if (folders) {
        out->folders = std::max(0, *folders - 1);
        entries = key == kFavorites ? catalogue::CountFavorites(db)
                  : key == kSearch  ? catalogue::CountSearch(db)
                                    : catalogue::CountEntriesBelow(db, key);
    }
    if (!entries) {
        *error = ErrorText(db);
        return false;
    }
    out->entries = std::max(0, *entries);
    if (fixed) {
        out->updated = QDateTime::currentDateTime();
        return true;
    }
    out->updated = catalogue::FolderUpdateDate(db, key);
    if (db.lastError().type() != QSqlError::NoError) {
        *error = ErrorText(db);
        return false;
    }
    return true;
}

bool ReadSelectionTotals(const QList<mainwindow::EntryKey>& entries, SelectionTotals* out,
                         const std::function<void(const SelectionTotals&)>& progress,
                         QString* error)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        *error = ErrorText(db);
        return false;
    }
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const std::optional<catalogue::SizeAndMoney> row =
            catalogue::EntrySizeAndMoney(db, entries[i].base, entries[i].target);
        if (!row)
            continue;
        out->position = int(i + 1);
        out->sizeKb += row->FileSize;
        out->money += row->RegiMoney;
        if (progress)
            progress(*out);
    }
    return true;
}

QString FolderContentsText(const FolderProperties& properties)
{
    return QStringLiteral("ライブラリ数: ") + QString::number(properties.entries) +
           QStringLiteral("、カテゴリ数: ") + QString::number(properties.folders);
}

QString FolderDateText(const std::optional<QDateTime>& updated)
{
    if (!updated || !updated->isValid())
        return QStringLiteral("----年--月--日、--:--:--");
    return updated->toString(QStringLiteral("yyyy年MM月dd日、HH:mm:ss"));
}

} // namespace info
