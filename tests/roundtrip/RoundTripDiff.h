#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// Collects every field on which an analyser's reading of a generated page differs from what the
// generator put there, so one run names all of them at once instead of stopping at the first.
class RoundTripDiff
{
public:
    // The page and entry the next comparisons are about ("seed 7 …/util/ by_date_002.html #3").
    void setPlace(const QString& place) { m_place = place; }

    void compare(const char* field, const QString& expected, const QString& got);
    void compare(const char* field, qint64 expected, qint64 got);
    void compare(const char* field, const QDate& expected, const std::optional<QDate>& got);
    // A difference that is not one field's value (a missing entry, a wrong entry count).
    void note(const QString& what);

    bool isEmpty() const { return m_lines.isEmpty(); }
    qsizetype count() const { return m_lines.size(); }
    // The first lines of the report, one difference a line, with a count of those left out.
    QString report(qsizetype maxLines = 40) const;

private:
    QString m_place;
    QStringList m_lines;
};
