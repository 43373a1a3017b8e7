#pragma once

#include <QList>
#include <QString>

namespace config {

inline const QString kCategoryFile = QStringLiteral("CATEGORY.INI");

struct CategoryRecord
{
    bool Fetch = false;
    QString Name;
    QString URL;
};

// The program-wide category table, indexed from 1 in file order; entry 0 is always empty.
QList<CategoryRecord>& Categories();

// The thirty rows of the standard list ("標準に戻す"); rows 16 to 30 are the new arrivals.
QList<CategoryRecord> StandardCategories();
// One line of "CATEGORY.INI": name + "@@" + URL + "@@" + "1" or "0".
QString CategoryLine(const CategoryRecord& category);
// Writes the category file from a list of rows (atomically); false when the write fails.
bool WriteCategoryFile(const QList<CategoryRecord>& rows);

// Appends the new-arrival rows unless a line already mentions the new-arrival area.
bool AddNewArrivalCategories();
// Reads "CATEGORY.INI" into Categories.
bool LoadCategories();
// The Fetch flag of the first category whose URL the given URL contains; true when none does.
bool IsCategoryFetched(const QString& url);

} // namespace config
