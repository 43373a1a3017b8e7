// Fetches the same pages of the simulated site through its proxy address twice: with the
// program's page fetcher (iNetGetFile into the page cache) and with the system's wget, and
// prints both rates and their ratio (the fetcher should reach at least 0.8 of wget).
//
//   bench_fetch [--scale K] [--pages N] [--repeats R]
#include "config/Settings.h"
#include "site/Fetcher.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SitePages.h"
#include "update/PageCache.h"
#include "util/ProgramFolder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
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

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
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

// One run of wget over the same list, through the same proxy, writing the pages below dir.
bool wgetRun(const QString& wget, const QString& listFile, const QString& dir, quint16 port)
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
    process.start(wget, args);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "wget failed (exit %d): %s\n", process.exitCode(),
                     process.readAllStandardError().constData());
        return false;
    }
    return true;
}

// Pages per second of one wget run, or -1 when wget failed.

double wgetRate(const QString& wget, const QString& listFile, const QString& dir, quint16 port,
                int pages)
{
    QElapsedTimer timer;
    timer.start();
    if (!wgetRun(wget, listFile, dir, port))
        return -1;
    return pages * 1000.0 / qMax<qint64>(1, timer.elapsed());
}

bool writeList(const QString& path, const QStringList& urls)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(urls.join(u'\n').toLatin1() + '\n') > 0;
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
    std::printf("  iNetGetFile : %8.1f pages/s (%d failed fetches)\n", median(ours), failures);

    const QString wget = QStandardPaths::findExecutable(QStringLiteral("wget"));
    if (wget.isEmpty()) {
        std::printf("  wget        : not installed, no baseline measured\n");
        return 0;
    }
    const QString listFile = folder.filePath(QStringLiteral("urls.txt"));
    if (!writeList(listFile, urls))
        return 1;
    QList<double> theirs;
    for (int r = 0; r < options.repeats; ++r) {
        const double rate = wgetRate(wget, listFile, folder.filePath(QStringLiteral("wget")),
                                     server.port(), int(urls.size()));
        if (rate < 0)
            return 1;
        theirs.append(rate);
    }
    std::printf("  wget        : %8.1f pages/s\n", median(theirs));
    std::printf("  ratio iNetGetFile / wget = %.2f (goal >= 0.80)\n",
                median(ours) / median(theirs));
    return 0;
}
