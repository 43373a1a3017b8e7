#include "download/DownloadTexts.h"

#include "util/Text.h"

#include <QtMath>
#include <limits>

namespace download {

QString SizeText(qint64 received, qint64 expected)
{
    return text::GroupedNumber(received / 1024) + QStringLiteral("KB / ") +
           text::GroupedNumber(expected / 1024) + QStringLiteral("KB");
}

qint64 RemainingSeconds(qint64 received, qint64 expected, qint64 receivedAtStart,
                        double elapsedSeconds)
{
    const qint64 done = received - receivedAtStart;
    if (done <= 0 || expected <= received || elapsedSeconds <= 0)
        return 0;
    return qRound64(double(expected - received) * elapsedSeconds / double(done));
}

QString RemainingTimeText(qint64 seconds)
{
    const qint64 s = qMax<qint64>(0, seconds);
    const qint64 hours = s / 3600;
    const qint64 minutes = s / 60 % 60;
    const QString sec = QString::number(s % 60) + QStringLiteral("秒");
    if (hours > 0)
        return QString::number(hours) + QStringLiteral("時間 ") + QString::number(minutes) +
               QStringLiteral("分 ") + sec;
    if (minutes > 0)
        return QString::number(minutes) + QStringLiteral("分 ") + sec;
    return sec;
}

double ElapsedSeconds(const QDateTime& start, const QDateTime& now)
{
    return double(start.msecsTo(now)) / 1000.0;
}

int BarScale::value(qint64 bytes) const
{
    return int(qBound(qint64(0), bytes >> shift, qint64(maximum)));
}

BarScale BarScaleFor(qint64 maximum)
{
    BarScale scale;
    maximum = qMax<qint64>(0, maximum);
    while ((maximum >> scale.shift) > std::numeric_limits<int>::max())
        ++scale.shift;
    scale.maximum = int(maximum >> scale.shift);
    return scale;
}

} // namespace download
