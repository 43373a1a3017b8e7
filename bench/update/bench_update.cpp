// An update run of a whole simulated library area with pelimond-cli, against wget fetching
// exactly the pages that the update fetched (from the site's request log) through the same
// proxy. Goal: the full update (fetch + analysis + catalogue) within 1.5× wget's time.
//
//   bench_update [--scale K] [--repeats R]   (K = 85 gives some 20 000 entries in the library
//                                             area; runs alternate, medians are compared)
#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "common/BenchSupport.h"
#include "config/Categories.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "talvex-sim/RequestLog.h"
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
#include <QTemporaryDir>
#include <cstdio>

namespace {

// A program folder whose category file reads every category's lists and whose settings reach the
// site through its proxy port.
bool prepareFolder(const QString& folder, quint16 port)
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
    return true;
}

int entryCount(const QString& folder)
{
    config::settings().dbname = folder + u'/' + catalogue::kCatalogueFile;
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        return -1;
    return catalogue::CountEntriesBelow(db, config::SiteRoot).value_or(-1);
}

// One update run into a fresh program folder below root: milliseconds, or -1.
qint64 timeUpdate(const QString& root, int run, quint16 port, QString* folderPath)
{
    *folderPath = root + QStringLiteral("/run%1").arg(run);
    if (!QDir().mkpath(*folderPath) || !prepareFolder(*folderPath, port))
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
    parser.addOptions({scaleOption, repeatOption});
    parser.process(app);
    const int scale = qBound(1, parser.value(scaleOption).toInt(), 1000);
    const int repeats = qBound(1, parser.value(repeatOption).toInt(), 50);

    auto site = std::make_shared<const talvexsim::Site>(1, scale);
    talvexsim::SimServerThread server(site);
    QTemporaryDir folder;
    if (!folder.isValid() || !server.start()) {
        std::fprintf(stderr, "cannot set up the site or the program folder\n");
        return 1;
    }
    const QString wget = bench::FindWget();
    const QString list = folder.filePath(QStringLiteral("urls.txt"));
    QList<double> ours;
    QList<double> theirs;
    QStringList urls;
    int entries = 0;
    // Runs alternate, so that a slow moment of the machine falls on both sides.
    for (int run = 0; run < repeats; ++run) {
        server.requests().clear();
        QString programFolder;
        const qint64 ms = timeUpdate(folder.path(), run, server.port(), &programFolder);
        if (ms < 0)
            return 1;
        ours.append(double(ms));
        urls.clear();
        for (const talvexsim::RequestRecord& r : server.requests().records())
            urls.append(r.url);
        entries = entryCount(programFolder);
        QDir(programFolder).removeRecursively();
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
    const double ourMs = bench::Median(ours);
    std::printf("bench_update: scale-%d site, library area, %lld pages fetched, %d entries "
                "written, median of %d runs\n",
                scale, static_cast<long long>(urls.size()), entries, repeats);
    std::printf("  pelimond-cli update : %7.0f ms (%.0f pages/s)\n", ourMs,
                urls.size() * 1000.0 / qMax(1.0, ourMs));
    if (wget.isEmpty()) {
        std::printf("  wget                : not installed, no baseline measured\n");
        return 0;
    }
    const double wgetMs = bench::Median(theirs);
    std::printf("  wget same pages     : %7.0f ms\n", wgetMs);
    std::printf("  ratio update / wget = %.2f (goal <= 1.50)\n", ourMs / qMax(1.0, wgetMs));
    return 0;
}
