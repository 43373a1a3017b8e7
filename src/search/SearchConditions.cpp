#include "search/SearchConditions.h"

#include "catalogue/Rows.h"

#include <QRegularExpression>

namespace search {

namespace {

using catalogue::SqlCondition;

// "column Like '*words*'" with every space of the words standing for anything between.
std::optional<SqlCondition> containsWords(const QString& column, const QString& words)
{
    const QString pattern = u'*' + QString(words).replace(u' ', u'*') + u'*';
    // A pattern of stars alone matches every text: no need to look at each one.
    if (pattern.count(u'*') == pattern.size())
        return SqlCondition{column + QStringLiteral(" IS NOT NULL"), {}};
    return catalogue::JetLikeCondition(column, pattern);
}

SqlCondition compare(const QString& column, const char* op, const QVariant& value)
{
    return {column + u' ' + QString::fromLatin1(op) + QStringLiteral(" ?"), {value}};
}

// A date bound as stored: local midnight of the day, "yyyy-MM-dd HH:mm:ss".
QString dayValue(const QDate& day)
{
    return catalogue::ToDbDate(QDateTime(day, QTime(0, 0)));
}

} // namespace

std::optional<SqlCondition> SearchCondition(const SearchConditions& c, SearchText* invalid)
{
    if (invalid)
        *invalid = SearchText::None;
    const std::optional<SqlCondition> name = containsWords(QStringLiteral("SoftName"), c.name);
    if (!name) {
        if (invalid)
            *invalid = SearchText::Name;
        return std::nullopt;
    }
    const std::optional<SqlCondition> description =
        containsWords(QStringLiteral("Description"), c.description);
    if (!description) {
        if (invalid)
            *invalid = SearchText::Description;
        return std::nullopt;
    }
    SqlCondition where;
    where &= *name;
    where &= *description;
    if (c.fromDate && c.fromDate->isValid())
        where &= compare(QStringLiteral("OpenDate"), ">=", dayValue(*c.fromDate));
    if (c.toDate && c.toDate->isValid())
        where &= compare(QStringLiteral("OpenDate"), "<=", dayValue(*c.toDate));
    if (c.fileType)
        where &= compare(QStringLiteral("FileType"), "=", *c.fileType);
    if (c.minSize)
        where &= compare(QStringLiteral("FileSize"), ">=", *c.minSize);
    if (c.maxSize)
        where &= compare(QStringLiteral("FileSize"), "<=", *c.maxSize);
    if (c.pickup)
        where &= SqlCondition{QStringLiteral("PickUpURL <> ''"), {}};
    if (c.news)
        where &= SqlCondition{QStringLiteral("NewsURL <> ''"), {}};
    where &= catalogue::PrefixCondition(QStringLiteral("BaseURL"), c.scope);
    return where;
}

std::optional<QDate> ReadDateBox(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{4})/([0-9]{1,2})/([0-9]{1,2})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<qint64> ReadSizeBox(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString DateBoxText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

QDate MonthBefore(const QDate& today)
{
    int year = today.year();
    int month = today.month() - 1;
    if (month < 1) {
        month = 12;
        --year;
    }
    return QDate(year, month, 1).addDays(today.day() - 1);
}

} // namespace search
