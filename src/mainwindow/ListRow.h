#pragma once

#include "catalogue/Rows.h"

#include <QString>
#include <array>
#include <optional>

// One row of the software list, formatted once when the list is filled: the texts it shows and
// the keys it sorts by.
namespace mainwindow {

// The list's columns, in display order. Mark is hidden; it holds the entry mark so that the
// list can be sorted by it.
enum Column {
    IconColumn,
    NameColumn,
    VersionColumn,
    SizeColumn,
    DateColumn,
    TypeColumn,
    PriceColumn,
    DescriptionColumn,
    MarkColumn,
    ColumnCount
};

struct ListRow
{
    QString key;                           // TargetURL
    QString base;                          // BaseURL
    std::array<QString, ColumnCount> text; // shown texts; the icon column's is empty
    int icon = 0;                          // 0-based number of the list icon
    std::optional<int> color; // the type's colour (Windows 0x00BBGGRR); none if unknown
    // Typed sort keys. A missing size or date sorts before every real one.
    qint64 sizeKey = -1;
    qint64 priceKey = 0;
    qint64 dateKey = -1; // yyyymmdd
};

// "---", with P / R / N in positions 1 to 3 for a pick-up article, a news article and a new
// entry.
QString EntryMark(const catalogue::EntryRow& entry);
// The icon-choice settings, later rules winning: normal, new, pick-up, news article.
int ChooseIcon(const catalogue::EntryRow& entry);
// Size in KB right-aligned in six characters; "---" for none or 0.
QString FormatSize(const std::optional<qint64>& size);
// "yyyy/MM/dd"; "----/--/--" for none.
QString FormatDate(const std::optional<QDateTime>& date);
// Thousands separators, right-aligned in seven characters; a single space for free entries.
QString FormatPrice(qint64 yen);
ListRow MakeListRow(const catalogue::EntryRow& entry);

} // namespace mainwindow
