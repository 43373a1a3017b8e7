#pragma once

#include "catalogue/SqlCondition.h"

#include <QDate>
#include <QString>
#include <optional>

// What a search of the catalogue asks for, and the condition on T_Softwares it makes. The
// search window fills it from its controls; the command-line companion from its options.
namespace search {

// The free texts of a search, to tell which one holds a pattern that cannot be run.
enum class SearchText { None, Name, Description };

struct SearchConditions
{
    // Texts the entry's SoftName / Description must contain. A space stands for anything
    // between the words around it; "*", "?", "#" and "[…]" are patterns (any run, one
    // character, one digit, one of a list); every other character, "'" "%" "_" "\" included,
    // stands for itself. ASCII letters match either case.
    QString name;
    QString description;
    std::optional<QDate> fromDate; // OpenDate on or after
    std::optional<QDate> toDate;   // OpenDate on or before
    std::optional<int> fileType;   // software type code
    std::optional<qint64> minSize; // FileSize in KB, at least
    std::optional<qint64> maxSize; // FileSize in KB, at most
    bool pickup = false;           // only entries with a pick-up article
    bool news = false;             // only entries with a news article
    // Where to look: the entries whose BaseURL starts with it (an area's folder root or a
    // folder's TargetURL), taken literally; "" looks everywhere.
    QString scope;
};

// The condition on T_Softwares, every value bound, in this order: name, description, dates,
// type, sizes, pick-up, news, scope. An entry whose name or description is Null never meets
// it. Nothing when the name or the description is a pattern the catalogue refuses (a "["
// without its "]", a range such as "[z-a]"); *invalid then tells which.
std::optional<catalogue::SqlCondition> SearchCondition(const SearchConditions& conditions,
                                                       SearchText* invalid = nullptr);

// The date a date box holds: "yyyy/mm/dd" or "yyyy/m/d", blanks around it ignored. Nothing for
// any other text and for a day that does not exist (2024/02/30).
std::optional<QDate> ReadDateBox(const QString& text);
// The size a size box holds: decimal digits only, blanks around them ignored.
std::optional<qint64> ReadSizeBox(const QString& text);
// "yyyy/mm/dd"
QString DateBoxText(const QDate& date);
// The same day one month earlier; a day the earlier month lacks runs on into the next month
// (March 31 gives March 2 or 3).
QDate MonthBefore(const QDate& today);

} // namespace search
