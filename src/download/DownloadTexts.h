#pragma once

#include <QDateTime>
#include <QString>

// The texts and the bar of the download window, from the bytes received and expected.
namespace download {

// "1,234KB / 5,678KB": received and expected bytes in whole KB (1 024 bytes, rounded down).
QString SizeText(qint64 received, qint64 expected);

// Seconds left at the rate of this run so far: the bytes still to come times the seconds
// elapsed, divided by the bytes this run has received (those above receivedAtStart, which an
// earlier run left). 0 while this run has received nothing, and when nothing is left.
qint64 RemainingSeconds(qint64 received, qint64 expected, qint64 receivedAtStart,
                        double elapsedSeconds);

// "1時間 2分 5秒", "2分 5秒" or "7秒" (no leading zeros; hours go on past a day).
QString RemainingTimeText(qint64 seconds);

// Seconds from start to now, by date and time, so also across midnight and a change of date.
double ElapsedSeconds(const QDateTime& start, const QDateTime& now);

// A progress bar counts in int: an archive above 2 GiB is shown in steps of 2^shift bytes.
struct BarScale
{
    int maximum = 0;
    int shift = 0;
    int value(qint64 bytes) const;
};
BarScale BarScaleFor(qint64 maximum);

} // namespace download
