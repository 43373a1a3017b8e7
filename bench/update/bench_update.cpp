// An update run of a whole simulated library area with pelimond-cli, against wget fetching
// exactly the pages that the update fetched (from the site's request log) one after another
// through the same proxy, and against the same update with one page in flight at a time
// (PrefetchCount=1). Goals: the full update (fetch + analysis + catalogue) within 1.0× wget's
// time on this machine; over a slow link (--latency 20) within 0.35× wget's and 0.4× the
// one-page-at-a-time run's.
//
//   bench_update [--scale K] [--repeats R] [--latency MS] [--prefetch N]
//       K = 85 gives some 20 000 entries in the library area; every request of the site waits
//       MS milliseconds; N is the PrefetchCount of the measured run (default: the setting's
//       default). Runs alternate, medians are compared.
#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "common/BenchSupport.h"
#include "config/Categories.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServer.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "util/LocalTime.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// A program folder whose category file reads every category's lists and whose settings reach the
// site through its proxy port.
bool prepareFolder(const QString& folder, quint16 port, int prefetch)
{
    programfolder::SetProgramFolder(folder);
    QList<config::CategoryRecord> rows = config::StandardCategories().mid(0, 15);
    for (config::CategoryRecord& row : rows)
        row.Fetch = true;
    if (!config::WriteCategoryFile(rows) ||
        !catalogue::CreateEmptyCatalogue(folder + u'/' + catalogue::kCatalogueFile))
        return false;
    msg::StderrSink quiet;
    msg::Install(&quiet);
    config::WriteDefaultSettings();
    msg::Install(nullptr);
    const QString ini = config::kSettingsFile;
    config::WriteIni(QStringLiteral("URL"), QStringLiteral("Proxy"), 2, ini);
    config::WriteIni(QStringLiteral("URL"), QStringLiteral("ProxyName"),
                     QStringLiteral("127.0.0.1"), ini);
    config::WriteIni(QStringLiteral("URL"), QStringLiteral("ProxyPort"), port, ini);
    config::WriteIni(QStringLiteral("CaChe"), QStringLiteral("Update"), 3, ini);
    return prefetch <= 0 ||
           config::WriteIni(QStringLiteral("URL"), QStringLiteral("PrefetchCount"), prefetch, ini);
}

int entryCount(const QString& folder)
{
    config::settings().dbname = folder + u'/' + catalogue::kCatalogueFile;
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        return -1;
    return catalogue::CountEntriesBelow(db, config::SiteRoot).value_or(-1);
}

// One update run into a fresh program folder below root, with the PrefetchCount (0: the
// setting's default): milliseconds, or -1.
qint64 timeUpdate(const QString& root, int run, quint16 port, int prefetch, QString* folderPath)
{
    *folderPath = root + QStringLiteral("/run%1-%2").arg(run).arg(prefetch);
    if (!QDir().mkpath(*folderPath) || !prepareFolder(*folderPath, port, prefetch))
        return -1;
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    cli.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    cli.start(QStringLiteral(PELIMOND_CLI),
              {QStringLiteral("--folder=") + *folderPath, QStringLiteral("update")});
    if (!cli.waitForFinished(-1) || cli.exitCode() != 0) {
        std::fprintf(stderr, "pelimond-cli update failed (exit %d)\n", cli.exitCode());
        return -1;
    }
    return timer.elapsed();
}

} // namespace

int main(int argc, char** argv)
{
    util::PinLocalTimeZone(); // as the programs do
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption scaleOption(QStringLiteral("scale"), QStringLiteral("Site scale."),
                                         QStringLiteral("K"), QStringLiteral("85"));
    const QCommandLineOption repeatOption(QStringLiteral("repeats"),
                                          QStringLiteral("Runs of each, alternating."),
                                          QStringLiteral("R"), QStringLiteral("5"));
    const QCommandLineOption latencyOption(QStringLiteral("latency"),
                                           QStringLiteral("Every request of the site waits MS."),
                                           QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption prefetchOption(QStringLiteral("prefetch"),
                                            QStringLiteral("PrefetchCount of the measured run."),
                                            QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions({scaleOption, repeatOption, latencyOption, prefetchOption});
    parser.process(app);
    const int scale = qBound(1, parser.value(scaleOption).toInt(), 1000);
    const int repeats = qBound(1, parser.value(repeatOption).toInt(), 50);
    const int latency = qBound(0, parser.value(latencyOption).toInt(), 10000);
    const int prefetch = qBound(0, parser.value(prefetchOption).toInt(), 8);

    auto site = std::make_shared<const talvexsim::Site>(1, scale);
    talvexsim::SimServerThread server(site);
    QTemporaryDir folder;
    if (!folder.isValid() || !server.start()) {
        std::fprintf(stderr, "cannot set up the site or the program folder\n");
        return 1;
    }
    server.server()->setLatencyMs(latency);
    const QString wget = bench::FindWget();
    const QString list = folder.filePath(QStringLiteral("urls.txt"));
    QList<double> ours;
    QList<double> single;
    QList<double> theirs;
    QStringList urls;
    int entries = 0;
    bool eachOnce = true;
    // Runs alternate, so that a slow moment of the machine falls on every side.
    for (int run = 0; run < repeats; ++run) {
        const QList<int> counts = prefetch == 1 ? QList<int>{1} : QList<int>{prefetch, 1};
        for (const int count : counts) {
            server.requests().clear();
            QString programFolder;
            const qint64 ms = timeUpdate(folder.path(), run, server.port(), count, &programFolder);
            if (ms < 0)
                return 1;
            (count == 1 ? single : ours).append(double(ms));
            if (count != 1 || prefetch == 1) {
                urls.clear();
                for (const talvexsim::RequestRecord& r : server.requests().records())
                    urls.append(r.url);
                eachOnce =
                    eachOnce && QSet<QString>(urls.cbegin(), urls.cend()).size() == urls.size();
                entries = entryCount(programFolder);
            }
            QDir(programFolder).removeRecursively();
        }
        if (wget.isEmpty())
            continue;
        if (!bench::WriteUrlList(list, urls))
            return 1;
        const qint64 wgetMs =
            bench::TimeWget(wget, list, folder.filePath(QStringLiteral("wget")), server.port());
        if (wgetMs < 0)
            return 1;
        theirs.append(double(wgetMs));
    }
    if (prefetch == 1)
        ours = single;
    const double ourMs = bench::Median(ours);
    const double singleMs = bench::Median(single);
    const bool slow = latency > 0;
    std::printf("bench_update: scale-%d site, library area, %d ms per request, %lld pages "
                "fetched%s, %d entries written, median of %d runs\n",
                scale, latency, static_cast<long long>(urls.size()),
                eachOnce ? " (each once)" : " (SOME MORE THAN ONCE)", entries, repeats);
    std::printf("  pelimond-cli update, PrefetchCount %s : %7.0f ms (%.0f pages/s)\n",
                prefetch > 0 ? qPrintable(QString::number(prefetch)) : "default", ourMs,
                urls.size() * 1000.0 / qMax(1.0, ourMs));
    std::printf("  pelimond-cli update, PrefetchCount 1   : %7.0f ms\n", singleMs);
    std::printf("  ratio update / PrefetchCount 1 = %.2f%s\n", ourMs / qMax(1.0, singleMs),
                slow ? " (goal <= 0.40)" : "");
    if (wget.isEmpty()) {
        std::printf("  wget                : not installed, no baseline measured\n");
        return 0;
    }
    const double wgetMs = bench::Median(theirs);
    std::printf("  wget same pages, one after another   : %7.0f ms\n", wgetMs);
    std::printf("  ratio update / wget = %.2f (goal <= %s)\n", ourMs / qMax(1.0, wgetMs),
                slow ? "0.35" : "1.00");
    std::printf("  ratio PrefetchCount 1 / wget = %.2f\n", singleMs / qMax(1.0, wgetMs));
    return 0;
}
