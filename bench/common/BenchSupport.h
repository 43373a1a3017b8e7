#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// What the benchmarks share: medians, scratch folders and the wget baseline through the simulated
// site's proxy.
namespace bench {

double Median(QList<double> values);
// Milliseconds of each of repeats runs of work, after one run that is not counted; the median.
double TimeMedianMs(int repeats, const std::function<void()>& work);
// The template of a benchmark's scratch folder: below the folder named by the program's first
// argument (a RAM disk shows the statements' own cost), else below the system's temporary folder.
QString ScratchFolderTemplate();
// Writes one URL per line.
bool WriteUrlList(const QString& path, const QStringList& urls);
// The system's wget, or "" when it is not installed.
QString FindWget();
// Fetches every URL of listFile with wget through the proxy at 127.0.0.1:port, writing the pages
// below dir (emptied first). Milliseconds taken, or -1 when wget failed.
qint64 TimeWget(const QString& wget, const QString& listFile, const QString& dir, quint16 port);

} // namespace bench
