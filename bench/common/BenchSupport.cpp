#include "common/BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

namespace bench {

double Median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double TimeMedianMs(int repeats, const std::function<void()>& work)
{
    work();
    QList<double> times;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    return Median(times);
}

QString ScratchFolderTemplate()
{
    const QStringList args = QCoreApplication::arguments();
    return (args.size() > 1 ? args[1] : QDir::tempPath()) + QStringLiteral("/bench-XXXXXX");
}

bool WriteUrlList(const QString& path, const QStringList& urls)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(urls.join(u'\n').toUtf8() + '\n') > 0;
}

QString FindWget()
{
    return QStandardPaths::findExecutable(QStringLiteral("wget"));
}

qint64 TimeWget(const QString& wget, const QString& listFile, const QString& dir, quint16 port)
{
    QDir(dir).removeRecursively();
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("no_proxy"));
    env.remove(QStringLiteral("NO_PROXY"));
    process.setProcessEnvironment(env);
    const QStringList args{QStringLiteral("-q"),
                           QStringLiteral("-e"),
                           QStringLiteral("use_proxy=yes"),
                           QStringLiteral("-e"),
                           QStringLiteral("http_proxy=http://127.0.0.1:%1/").arg(port),
                           QStringLiteral("-x"),
                           QStringLiteral("-P"),
                           dir,
                           QStringLiteral("-i"),
                           listFile};
    QElapsedTimer timer;
    timer.start();
    process.start(wget, args);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "wget failed (exit %d): %s\n", process.exitCode(),
                     process.readAllStandardError().constData());
        return -1;
    }
    return timer.elapsed();
}

} // namespace bench
