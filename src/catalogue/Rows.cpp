#include "catalogue/Rows.h"

namespace catalogue {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

bool isUnknownDate(const QDateTime& when)
{
    return !when.isValid() || when.date() == QDate(1900, 1, 1);
}

} // namespace

QString ToDbDate(const QDateTime& when)
{
    return when.toString(kDateFormat);
}

QDateTime FromDbDate(const QVariant& value)
{
    if (value.isNull())
        return {};
    // Read field by field: the general format parser costs more than the rest of a row read.
    const QString text = value.toString();
    const QStringView v(text);
    if (v.size() == 19 && v[4] == u'-' && v[7] == u'-' && v[10] == u' ' && v[13] == u':' &&
        v[16] == u':') {
        const QDate date(v.mid(0, 4).toInt(), v.mid(5, 2).toInt(), v.mid(8, 2).toInt());
        const QTime time(v.mid(11, 2).toInt(), v.mid(14, 2).toInt(), v.mid(17, 2).toInt());
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
    }
    return QDateTime::fromString(text, Qt::ISODate);
}

QVariant DateOrNull(const QDateTime& when)
{
    return isUnknownDate(when) ? QVariant() : QVariant(ToDbDate(when));
}

QVariant DateOrNull(const std::optional<QDateTime>& when)
{
    return when ? DateOrNull(*when) : QVariant();
}

QVariant SizeOrNull(const std::optional<qint64>& size)
{
    return (!size || *size == -1) ? QVariant() : QVariant(*size);
}

} // namespace catalogue
