// Writes every list page of a generated site into a page cache, then measures (a) the floor:
// reading each page file and decoding it from CP932, and (b) the list analysis with its
// catalogue writes (update::AnalyzeSoftList, one transaction per page) into a fresh catalogue,
// and prints both rates and their ratio (the analysis should stay within 4x the floor). Beside
// them: (c) the analysis without the catalogue and (d) SQLite's C interface alone writing the
// same rows one page per transaction, the least any catalogue that commits each page costs.
//
//   bench_analyze [--scale K] [--repeats R]
#include "catalogue/Db.h"
#include "catalogue/Schema.h"
#include "common/BenchSupport.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SitePages.h"
#include "update/ListAnalysis.h"
#include "update/PageCache.h"
#include "update/SiteWriters.h"
#include "util/LocalTime.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

namespace {

using talvexsim::Folder;
using talvexsim::ListOrder;

struct Options
{
    int scale = 10;
    int repeats = 3;
};

Options parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption scale(QStringLiteral("scale"), QStringLiteral("Site scale."),
                                   QStringLiteral("K"), QStringLiteral("10"));
    const QCommandLineOption repeats(QStringLiteral("repeats"), QStringLiteral("Runs of each."),
                                     QStringLiteral("R"), QStringLiteral("3"));
    parser.addOptions({scale, repeats});
    parser.process(app);
    return {qBound(1, parser.value(scale).toInt(), 1000), qMax(1, parser.value(repeats).toInt())};
}

// The program folder: the first-run type table (the parsers map icons through it), a cache
// folder, and the catalogue path.
void setUpProgramFolder(const QString& folder)
{
    programfolder::SetProgramFolder(folder);
    config::ResetSettings();
    QString ini = QStringLiteral("[SoftType]\r\n");
    const QStringList rows = config::DefaultSoftTypeRows();
    for (qsizetype i = 0; i < rows.size(); ++i)
        ini += QStringLiteral("SoftType%1=").arg(i + 1) + rows[i] + QStringLiteral("\r\n");
    text::WriteTextFile(folder + u'/' + config::kSettingsFile, ini);
    config::LoadSoftTypes();
    config::Settings& s = config::settings();
    s.CacheFolder = folder + QStringLiteral("/CACHE");
    s.ReadSortType = 0;
}

struct ListPage
{
    QString folderUrl;
    QString file;
};

// Every list page of every folder with a list, in the index order, written where the page
// cache keeps it. Empty when a page cannot be written.
QList<ListPage> dumpListPages(const talvexsim::SitePages& pages)
{
    QList<ListPage> out;
    const talvexsim::Site& site = pages.site();
    for (const Folder& f : site.folders()) {
        if (!f.hasList)
            continue;
        for (int page = 1; page <= site.pageCount(f.index); ++page) {
            const QString file = update::CacheFileName(f.url, 0, page);
            const QString path =
                site.listPageUrl(f.index, ListOrder::Index, page).mid(config::SiteRoot.size() - 1);
            if (file.isEmpty() ||
                !text::WriteFileAtomic(file, pages.get(talvexsim::SitePages::webHost(), path).body))
                return {};
            out.append({f.url, file});
        }
    }
    return out;
}

// (a) Seconds to read and decode every page; chars counts the decoded text.
double floorRun(const QList<ListPage>& pages, qint64* chars)
{
    QElapsedTimer timer;
    timer.start();
    *chars = 0;
    for (const ListPage& p : pages) {
        QByteArray bytes;
        text::ReadFileBytes(p.file, &bytes);
        *chars += text::DecodeCp932(bytes).size();
    }
    return timer.nsecsElapsed() / 1e9;
}

// The analysis alone, without the catalogue: seconds to read, decode and analyse every page.
double parseRun(const QList<ListPage>& pages, qint64* found)
{
    QElapsedTimer timer;
    timer.start();
    *found = 0;
    for (const ListPage& p : pages) {
        QString text;
        text::ReadTextFile(p.file, &text);
        *found += update::AnalyzeSoftList(text, p.folderUrl, 1, 0).entries.size();
    }
    return timer.nsecsElapsed() / 1e9;
}

// (b) Seconds to analyse every folder's pages into a fresh catalogue at dbPath, as the update
// run does: page after page until the analysis says the list is finished.
double analysisRun(const talvexsim::Site& site, const QString& dbPath, int* pagesRead)
{
    QFile::remove(dbPath);
    if (!catalogue::CreateEmptyCatalogue(dbPath))
        return -1;
    config::settings().dbname = dbPath;
    *pagesRead = 0;
    QElapsedTimer timer;
    timer.start();
    // An update run holds the catalogue open for its length (the log is written back once).
    const catalogue::KeepCatalogueOpen keepOpen;
    for (const Folder& f : site.folders()) {
        if (!f.hasList)
            continue;
        for (int page = 1; page != -1; ++*pagesRead)
            update::AnalyzeSoftList(nullptr, f.url, &page);
    }
    return timer.nsecsElapsed() / 1e9;
}

// (d) The lower bound of any catalogue that commits each page: the C interface of SQLite
// writing the same entries (a key probe and an insert of the list columns each) into a fresh
// catalogue, one transaction per page, with the catalogue's journal settings. Seconds, or -1.
double rawRun(const QList<ListPage>& pages, const QString& dbPath)
{
    QList<QList<update::SoftListEntry>> parsed;
    for (const ListPage& p : pages) {
        QString text;
        text::ReadTextFile(p.file, &text);
        parsed.append(update::AnalyzeSoftList(text, p.folderUrl, 1, 0).entries);
    }
    QFile::remove(dbPath);
    sqlite3* db = nullptr;
    if (!catalogue::CreateEmptyCatalogue(dbPath) ||
        sqlite3_open(dbPath.toUtf8().constData(), &db) != SQLITE_OK)
        return -1;
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* probe = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM T_Softwares WHERE BaseURL = ? AND TargetURL = ?", -1,
                       &probe, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO T_Softwares (BaseURL, TargetURL, SoftName, Version, FileSize, "
                       "FileType, NewFlag, PickUpURL, NewsURL, Description, RegiMoney, OpenDate, "
                       "Ranking, DetailRead, Favorites, Search) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "?, ?, ?, ?, 0, 0, 0)",
                       -1, &insert, nullptr);
    const auto text = [](sqlite3_stmt* st, int i, const QString& value) {
        const QByteArray bytes = value.toUtf8();
        sqlite3_bind_text(st, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    };
    QElapsedTimer timer;
    timer.start();
    for (const QList<update::SoftListEntry>& page : parsed) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const update::SoftListEntry& e : page) {
            text(probe, 1, e.BaseURL);
            text(probe, 2, e.TargetURL);
            while (sqlite3_step(probe) == SQLITE_ROW) {
            }
            sqlite3_reset(probe);
            const QString values[] = {e.BaseURL,   e.TargetURL, e.SoftName,   e.Version,
                                      e.PickUpURL, e.NewsURL,   e.Description};
            const int positions[] = {1, 2, 3, 4, 8, 9, 10};
            for (int i = 0; i < 7; ++i)
                text(insert, positions[i], values[i]);
            sqlite3_bind_int64(insert, 5, e.FileSize.value_or(0));
            sqlite3_bind_int(insert, 6, e.FileType);
            sqlite3_bind_int(insert, 7, e.NewFlag);
            sqlite3_bind_int64(insert, 11, e.RegiMoney);
            text(insert, 12, e.OpenDate ? e.OpenDate->toString(Qt::ISODate) : QString());
            sqlite3_bind_int(insert, 13, e.Ranking);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    sqlite3_finalize(probe);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    util::PinLocalTimeZone(); // as the programs do
    QCoreApplication app(argc, argv);
    const Options options = parseOptions(app);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    setUpProgramFolder(folder.path());
    const talvexsim::SitePages pages(std::make_shared<const talvexsim::Site>(1, options.scale));
    const QList<ListPage> listPages = dumpListPages(pages);
    if (listPages.isEmpty()) {
        std::fprintf(stderr, "cannot write the list pages\n");
        return 1;
    }
    const qsizetype entries = pages.site().listEntryCount();
    std::printf("bench_analyze: scale %d, %lld list pages, %lld entries, median of %d runs\n",
                options.scale, static_cast<long long>(listPages.size()),
                static_cast<long long>(entries), options.repeats);

    QList<double> floor;
    qint64 chars = 0;
    for (int r = 0; r < options.repeats; ++r)
        floor.append(floorRun(listPages, &chars));
    QList<double> parse;
    qint64 found = 0;
    for (int r = 0; r < options.repeats; ++r)
        parse.append(parseRun(listPages, &found));
    QList<double> analysis;
    int pagesRead = 0;
    for (int r = 0; r < options.repeats; ++r) {
        const double seconds =
            analysisRun(pages.site(), folder.filePath(catalogue::kCatalogueFile), &pagesRead);
        if (seconds < 0)
            return 1;
        analysis.append(seconds);
    }
    QList<double> raw;
    for (int r = 0; r < options.repeats; ++r)
        raw.append(rawRun(listPages, folder.filePath(QStringLiteral("raw.mdb"))));
    const double a = bench::Median(floor);
    const double b = bench::Median(analysis);
    std::printf("  (a) read + decode        : %9.0f pages/s (%.3f s, %lld chars)\n",
                listPages.size() / a, a, static_cast<long long>(chars));
    std::printf("  (b) AnalyzeSoftList + db : %9.0f pages/s, %9.0f entries/s (%.3f s, %d pages "
                "read)\n",
                pagesRead / b, entries / b, b, pagesRead);
    const double c = bench::Median(parse);
    std::printf("  (c) of which the analysis: %9.0f pages/s (%.3f s, %lld entries found, no "
                "catalogue)\n",
                listPages.size() / c, c, static_cast<long long>(found));
    const double d = bench::Median(raw);
    std::printf("  (d) SQLite alone, same rows: %9.0f pages/s (%.3f s, one transaction per page)\n",
                listPages.size() / d, d);
    std::printf("  ratio (b) / (a) = %.2f (goal <= 4); without the catalogue (c) / (a) = %.2f\n",
                b / a, c / a);
    std::printf("  the catalogue's own floor (c + d) / (a) = %.2f; (b) / (c + d) = %.2f\n",
                (c + d) / a, b / (c + d));
    return 0;
}
