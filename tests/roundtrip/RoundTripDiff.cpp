#include "RoundTripDiff.h"

namespace {

// Control characters shown, so a stray CR or tab in a value is visible in the report.
QString shown(const QString& value)
{
    QString out = u'"' + value + u'"';
    out.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    return out.replace(u'\t', QStringLiteral("\\t"));
}

QString shownDate(const std::optional<QDate>& date)
{
    return date && date->isValid() ? date->toString(Qt::ISODate) : QStringLiteral("(unknown)");
}

} // namespace

void RoundTripDiff::compare(const char* field, const QString& expected, const QString& got)
{
    if (expected != got)
        m_lines.append(m_place + u' ' + QLatin1StringView(field) + u": expected " +
                       shown(expected) + u", got " + shown(got));
}

void RoundTripDiff::compare(const char* field, qint64 expected, qint64 got)
{
    if (expected != got)
        m_lines.append(m_place + u' ' + QLatin1StringView(field) + u": expected " +
                       QString::number(expected) + u", got " + QString::number(got));
}

void RoundTripDiff::compare(const char* field, const QDate& expected,
                            const std::optional<QDate>& got)
{
    const std::optional<QDate> want = expected.isValid() ? std::optional(expected) : std::nullopt;
    const bool same = want.has_value() == got.has_value() && (!want || *want == *got);
    if (!same)
        m_lines.append(m_place + u' ' + QLatin1StringView(field) + u": expected " +
                       shownDate(want) + u", got " + shownDate(got));
}

void RoundTripDiff::note(const QString& what)
{
    m_lines.append(m_place + u' ' + what);
}

QString RoundTripDiff::report(qsizetype maxLines) const
{
    QStringList out = m_lines.mid(0, maxLines);
    if (m_lines.size() > maxLines)
        out.append(QStringLiteral("… and %1 more").arg(m_lines.size() - maxLines));
    return QStringLiteral("%1 difference(s):\n").arg(m_lines.size()) + out.join(u'\n');
}
