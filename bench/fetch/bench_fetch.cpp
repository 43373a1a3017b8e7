// Fetches the same pages of the simulated site through its proxy address twice: with the
// program's page fetcher (iNetGetFile into the page cache) and with the system's wget, and
// prints both rates and their ratio (the fetcher should reach at least 0.8 of wget).
//
//   bench_fetch [--scale K] [--pages N] [--repeats R]
#include "common/BenchSupport.h"
#include "config/Settings.h"
#include "site/Fetcher.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SitePages.h"
#include "update/PageCache.h"
#include "util/ProgramFolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

struct Options
{
    int scale = 4;
    int pages = 1000;
    int repeats = 3;
};

Options parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption scale(QStringLiteral("scale"), QStringLiteral("Site scale."),
                                   QStringLiteral("K"), QStringLiteral("4"));
    const QCommandLineOption pages(QStringLiteral("pages"), QStringLiteral("Pages per run."),
                                   QStringLiteral("N"), QStringLiteral("1000"));
    const QCommandLineOption repeats(QStringLiteral("repeats"), QStringLiteral("Runs of each."),
                                     QStringLiteral("R"), QStringLiteral("3"));
    parser.addOptions({scale, pages, repeats});
    parser.process(app);
    Options o;
    o.scale = qBound(1, parser.value(scale).toInt(), 1000);
    o.pages = qMax(1, parser.value(pages).toInt());
    o.repeats = qMax(1, parser.value(repeats).toInt());
    return o;
}

// count page addresses of the web host, spread evenly over every kind of page.
QStringList pageUrls(const talvexsim::SitePages& pages, int count)
{
    QStringList all;
    pages.forEachPage(
        [&](const QString&, const QString& path) { all.append(config::SiteRoot + path.mid(1)); });
    QStringList picked;
    const double step = double(all.size()) / count;
    for (int i = 0; i < count && i < all.size(); ++i)
        picked.append(all.at(qsizetype(i * step)));
    return picked;
}

// One run of the program's fetcher: each page into its cache file. Returns pages per second.
double fetcherRun(const QStringList& urls, int* failures)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& url : urls) {
        if (!site::iNetGetFile(url, update::CacheFileName(url, 0, 1)))
            ++*failures;
    }
    return urls.size() * 1000.0 / qMax<qint64>(1, timer.elapsed());
}

void useProxy(const QString& folder, quint16 port)
{
    programfolder::SetProgramFolder(folder);
    config::ResetSettings();
    config::Settings& s = config::settings();
    s.Proxy = 2;
    s.ProxyName = QStringLiteral("127.0.0.1");
    s.ProxyPort = port;
    s.TimeOut = 30;
    s.UserAgent = QStringLiteral("Pelimond");
    s.CacheFolder = folder + QStringLiteral("/CACHE");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(app);
    auto site = std::make_shared<const talvexsim::Site>(1, options.scale);
    const talvexsim::SitePages pages(site);
    const QStringList urls = pageUrls(pages, options.pages);
    talvexsim::SimServerThread server(site);
    QTemporaryDir folder;
    if (!folder.isValid() || !server.start()) {
        std::fprintf(stderr, "cannot set up the site or the program folder\n");
        return 1;
    }
    useProxy(folder.path(), server.port());
    std::printf("bench_fetch: %lld pages of a scale-%d site through the proxy at 127.0.0.1:%u, "
                "median of %d runs\n",
                static_cast<long long>(urls.size()), options.scale, server.port(), options.repeats);

    QList<double> ours;
    int failures = 0;
    for (int r = 0; r < options.repeats; ++r)
        ours.append(fetcherRun(urls, &failures));
    std::printf("  iNetGetFile : %8.1f pages/s (%d failed fetches)\n", bench::Median(ours),
                failures);

    const QString wget = bench::FindWget();
    if (wget.isEmpty()) {
        std::printf("  wget        : not installed, no baseline measured\n");
        return 0;
    }
    const QString listFile = folder.filePath(QStringLiteral("urls.txt"));
    if (!bench::WriteUrlList(listFile, urls))
        return 1;
    QList<double> theirs;
    for (int r = 0; r < options.repeats; ++r) {
        const qint64 ms =
            bench::TimeWget(wget, listFile, folder.filePath(QStringLiteral("wget")), server.port());
        if (ms < 0)
            return 1;
        theirs.append(urls.size() * 1000.0 / qMax<qint64>(1, ms));
    }
    std::printf("  wget        : %8.1f pages/s\n", bench::Median(theirs));
    std::printf("  ratio iNetGetFile / wget = %.2f (goal >= 0.80)\n",
                bench::Median(ours) / bench::Median(theirs));
    return 0;
}
