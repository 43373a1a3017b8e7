// The property windows' reads on a 100 000-entry catalogue, against the same statements run
// through SQLite's C interface alone:
//   (a) the folder properties of the library area's root (sub-folder count, entry count below
//       it, its update date), each read opening and closing the catalogue as the window does;
//   (b) the size and fee totals of 10 000 selected entries, one prepared lookup per entry.
// Each is repeated and the medians are printed with their ratio to the baseline.
#include "catalogue/Catalogue.h"
#include "catalogue/Db.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "catalogue/SqlCondition.h"
#include "common/BenchSupport.h"
#include "config/Settings.h"
#include "info/PropertyCounts.h"
#include "util/LocalTime.h"
#include "util/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kPlatforms = 10;
constexpr int kCategories = 10;    // per platform
constexpr int kSubCategories = 10; // per category
constexpr int kEntriesPerFolder = 100;
constexpr int kEntries = kPlatforms * kCategories * kSubCategories * kEntriesPerFolder;
constexpr int kPageRows = 1000;
constexpr int kSelected = 10000;
constexpr int kRepeats = 9;

const QString kRoot = config::SiteRoot + config::AreaPaths[0];

QString platformUrl(int p)
{
    return kRoot + QStringLiteral("plat%1/").arg(p);
}

QString categoryUrl(int p, int c)
{
    return platformUrl(p) + QStringLiteral("cat%1/").arg(c);
}

QString leafUrl(int leaf)
{
    const int p = leaf / (kCategories * kSubCategories);
    const int c = leaf / kSubCategories % kCategories;
    return categoryUrl(p, c) + QStringLiteral("sub%1/").arg(leaf % kSubCategories);
}

QString targetOf(int i)
{
    return config::SiteRoot + QStringLiteral("soft/plat%1/se%2.html")
                                  .arg(i / (kEntries / kPlatforms))
                                  .arg(i, 6, 10, QLatin1Char('0'));
}

catalogue::EntryRow entryOf(int i)
{
    catalogue::EntryRow row;
    row.BaseURL = leafUrl(i / kEntriesPerFolder);
    row.TargetURL = targetOf(i);
    row.SoftName = QStringLiteral("ソフト") + QString::number(i);
    row.Version = QStringLiteral("1.%1").arg(i % 97);
    row.FileSize = i % 5 == 0 ? std::optional<qint64>() : std::optional<qint64>(i % 4096);
    row.FileType = i % 7;
    row.NewFlag = i % 3 == 0;
    row.Description = QStringLiteral("テキストエディタ。タブ、検索と置換 ") + QString::number(i);
    row.RegiMoney = i % 4 == 0 ? 1500 : 0;
    row.OpenDate = QDateTime(QDate(2001, 1, 1).addDays(i % 4000), QTime(0, 0));
    row.Ranking = i % kEntriesPerFolder + 1;
    return row;
}

bool writeCatalogue(const QString& path)
{
    if (!catalogue::CreateEmptyCatalogue(path))
        return false;
    const catalogue::KeepCatalogueOpen keepOpen(path);
    const QDateTime when(QDate(2024, 3, 9), QTime(8, 5, 1));
    {
        catalogue::PageTransaction page(path);
        for (int p = 0; p < kPlatforms; ++p) {
            bool ok = catalogue::SaveFolder(
                page.db(), {platformUrl(p), QStringLiteral("機種"), 1, when, true});
            for (int c = 0; ok && c < kCategories; ++c)
                ok = catalogue::SaveFolder(
                    page.db(), {categoryUrl(p, c), QStringLiteral("分類"), 2, when, true});
            if (!ok)
                return false;
        }
        for (int leaf = 0; leaf < kPlatforms * kCategories * kSubCategories; ++leaf) {
            if (!catalogue::SaveFolder(page.db(),
                                       {leafUrl(leaf), QStringLiteral("小分類"), 3, when, true}))
                return false;
        }
        if (!page.commit())
            return false;
    }
    for (int first = 0; first < kEntries; first += kPageRows) {
        catalogue::PageTransaction page(path);
        for (int i = first; i < first + kPageRows; ++i) {
            if (!catalogue::SaveEntry(page.db(), entryOf(i)))
                return false;
        }
        if (!page.commit())
            return false;
    }
    return true;
}

// ---- the baseline: SQLite's C interface alone

struct Raw
{
    sqlite3* db = nullptr;
    explicit Raw(const QByteArray& path)
    {
        if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            db = nullptr;
        }
    }
    ~Raw() { sqlite3_close(db); }
    Raw(const Raw&) = delete;
    Raw& operator=(const Raw&) = delete;
};

sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    return statement;
}

qint64 countWithPrefix(sqlite3* db, const char* sql, const QByteArray& pattern)
{
    sqlite3_stmt* q = prepare(db, sql);
    sqlite3_bind_text(q, 1, pattern.constData(), int(pattern.size()), SQLITE_STATIC);
    const qint64 n = sqlite3_step(q) == SQLITE_ROW ? sqlite3_column_int64(q, 0) : -1;
    sqlite3_finalize(q);
    return n;
}

struct RawProperties
{
    qint64 folders = -1;
    qint64 entries = -1;
    QString updated;
};

RawProperties rawFolderProperties(const QByteArray& path, const QString& key)
{
    RawProperties out;
    Raw raw(path);
    if (!raw.db)
        return out;
    const QByteArray pattern = (catalogue::EscapeLike(key) + u'%').toUtf8();
    out.folders = std::max<qint64>(
        0,
        countWithPrefix(raw.db, "SELECT COUNT(*) FROM T_Folders WHERE TargetURL LIKE ? ESCAPE '\\'",
                        pattern) -
            1);
    out.entries = countWithPrefix(
        raw.db, "SELECT COUNT(*) FROM T_Softwares WHERE BaseURL LIKE ? ESCAPE '\\'", pattern);
    sqlite3_stmt* q = prepare(raw.db, "SELECT UpdateDate FROM T_Folders WHERE TargetURL = ?");
    const QByteArray k = key.toUtf8();
    sqlite3_bind_text(q, 1, k.constData(), int(k.size()), SQLITE_STATIC);
    if (sqlite3_step(q) == SQLITE_ROW && sqlite3_column_type(q, 0) != SQLITE_NULL)
        out.updated = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
    sqlite3_finalize(q);
    return out;
}

info::SelectionTotals rawSelectionTotals(const QByteArray& path,
                                         const QList<mainwindow::EntryKey>& keys)
{
    info::SelectionTotals out;
    Raw raw(path);
    if (!raw.db)
        return out;
    sqlite3_stmt* q = prepare(raw.db, "SELECT IFNULL(FileSize, 0), IFNULL(RegiMoney, 0) FROM "
                                      "T_Softwares WHERE BaseURL = ? AND TargetURL = ?");
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QByteArray base = keys[i].base.toUtf8();
        const QByteArray target = keys[i].target.toUtf8();
        sqlite3_bind_text(q, 1, base.constData(), int(base.size()), SQLITE_STATIC);
        sqlite3_bind_text(q, 2, target.constData(), int(target.size()), SQLITE_STATIC);
        if (sqlite3_step(q) == SQLITE_ROW) {
            out.position = int(i + 1);
            out.sizeKb += sqlite3_column_int64(q, 0);
            out.money += sqlite3_column_int64(q, 1);
        }
        sqlite3_reset(q);
    }
    sqlite3_finalize(q);
    return out;
}

void report(const char* what, double ms, double baseline)
{
    std::printf("%-34s %9.3f ms   baseline %9.3f ms   ratio %5.2f  %s\n", what, ms, baseline,
                ms / baseline, ms / baseline <= 2.0 ? "(goal <= 2)" : "(goal <= 2 missed)");
}

} // namespace

int main(int argc, char** argv)
{
    util::PinLocalTimeZone(); // as the programs do
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(bench::ScratchFolderTemplate());
    programfolder::SetProgramFolder(dir.path());
    config::Settings& s = config::settings();
    s.dbname = dir.filePath(catalogue::kCatalogueFile);
    QElapsedTimer build;
    build.start();
    if (!dir.isValid() || !writeCatalogue(s.dbname)) {
        std::fprintf(stderr, "cannot write the catalogue in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const QByteArray path = s.dbname.toUtf8();
    std::printf("folder: %s\n", qPrintable(dir.path()));
    std::printf("catalogue: %d entries in %d folders, written in %.1f s; median of %d runs\n",
                kEntries, kPlatforms * (1 + kCategories * (1 + kSubCategories)),
                build.elapsed() / 1e3, kRepeats);

    // (a) The folder properties of the library root.
    info::FolderProperties properties;
    RawProperties raw;
    const double program = bench::TimeMedianMs(kRepeats, [&properties] {
        QString error;
        properties = {};
        if (!info::ReadFolderProperties(kRoot, &properties, &error))
            std::fprintf(stderr, "ReadFolderProperties: %s\n", qPrintable(error));
    });
    const double baseline =
        bench::TimeMedianMs(kRepeats, [&raw, &path] { raw = rawFolderProperties(path, kRoot); });
    std::printf("\n(a) folder properties of %s\n", qPrintable(kRoot));
    std::printf("    program : %s, %s\n", qPrintable(info::FolderContentsText(properties)),
                qPrintable(info::FolderDateText(properties.updated)));
    std::printf("    baseline: ライブラリ数: %lld、カテゴリ数: %lld, %s\n", raw.entries,
                raw.folders, raw.updated.isEmpty() ? "(no date)" : qPrintable(raw.updated));
    if (properties.entries != raw.entries || properties.folders != raw.folders)
        std::printf("    the counts differ!\n");
    report("ReadFolderProperties", program, baseline);

    // (b) The totals of 10 000 selected entries, spread over the whole catalogue.
    QList<mainwindow::EntryKey> keys;
    for (int i = 0; i < kSelected; ++i) {
        const int entry = int((qint64(i) * kEntries) / kSelected) + i % 10;
        keys.append({leafUrl(entry / kEntriesPerFolder), targetOf(entry)});
    }
    info::SelectionTotals totals;
    info::SelectionTotals rawTotals;
    const double sums = bench::TimeMedianMs(kRepeats, [&totals, &keys] {
        QString error;
        totals = {};
        if (!info::ReadSelectionTotals(keys, &totals, {}, &error))
            std::fprintf(stderr, "ReadSelectionTotals: %s\n", qPrintable(error));
    });
    const double rawSums = bench::TimeMedianMs(
        kRepeats, [&rawTotals, &keys, &path] { rawTotals = rawSelectionTotals(path, keys); });
    std::printf("\n(b) totals of %d selected entries\n", kSelected);
    std::printf("    program : %d found, %lld KB, %lld 円\n", totals.position, totals.sizeKb,
                totals.money);
    std::printf("    baseline: %d found, %lld KB, %lld 円\n", rawTotals.position, rawTotals.sizeKb,
                rawTotals.money);
    if (totals.position != rawTotals.position || totals.sizeKb != rawTotals.sizeKb ||
        totals.money != rawTotals.money)
        std::printf("    the totals differ!\n");
    report("ReadSelectionTotals", sums, rawSums);
    return 0;
}
