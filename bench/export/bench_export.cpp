// Saving 5 000 selected entries as pages, against the floor of the same work without the
// program: the same rows read through SQLite's C interface alone and as many bytes as the page
// set holds written to one file. Both are repeated and the medians printed with their ratio
// (goal: at most 3).
// Then the time to open the settings dialog, its font list included: the first opening in the
// process (the system's fonts read for the first time) and the median of later ones.
#include "catalogue/Catalogue.h"
#include "catalogue/Db.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "common/BenchSupport.h"
#include "config/Categories.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "export/PageExport.h"
#include "settings/frmSetting.h"
#include "util/LocalTime.h"
#include "util/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int kFolders = 10;
constexpr int kEntriesPerFolder = 1000;
constexpr int kSelected = 5000;
constexpr int kRepeats = 7;
constexpr int kDialogOpenings = 5;

const QString kRoot = config::SiteRoot + config::AreaPaths[0];

QString folderUrl(int f)
{
    return kRoot + QStringLiteral("plat%1/cat/").arg(f);
}

catalogue::EntryRow entryOf(int i)
{
    catalogue::EntryRow row;
    row.BaseURL = folderUrl(i / kEntriesPerFolder);
    row.TargetURL =
        config::SiteRoot + QStringLiteral("soft/se%1.html").arg(i, 6, 10, QLatin1Char('0'));
    row.SoftName = QStringLiteral("ソフト") + QString::number(i);
    row.Version = i % 6 == 0 ? QString() : QStringLiteral("1.%1").arg(i % 97);
    row.FileSize = i % 5 == 0 ? std::optional<qint64>() : std::optional<qint64>(i % 4096);
    row.FileType = i % 7 == 6 ? 99 : i % 6;
    row.NewFlag = i % 3 == 0;
    row.Description = QStringLiteral("テキストエディタ。タブ、検索と置換 & 正規表現 <") +
                      QString::number(i) + u'>';
    row.RegiMoney = i % 4 == 0 ? 1500 : 0;
    row.OpenDate = QDateTime(QDate(2001, 1, 1).addDays(i % 4000), QTime(0, 0));
    if (i % 9 == 0)
        row.PickUpURL = config::SiteRoot + QStringLiteral("pickup/%1.html").arg(i);
    if (i % 11 == 0)
        row.NewsURL = config::SiteRoot + QStringLiteral("news/%1.html").arg(i);
    if (row.RegiMoney)
        row.PaymentURL =
            QStringLiteral("http://shop.talvex.example/swreg/step1.reserve?srno=%1&SITE=T").arg(i);
    row.DescriptionDetail = QStringLiteral("詳しい説明。").repeated(20);
    row.Author = QStringLiteral("作者") + QString::number(i % 300);
    return row;
}

bool writeCatalogue(const QString& path)
{
    if (!catalogue::CreateEmptyCatalogue(path))
        return false;
    const catalogue::KeepCatalogueOpen keepOpen(path);
    for (int f = 0; f < kFolders; ++f) {
        catalogue::PageTransaction page(path);
        for (int i = f * kEntriesPerFolder; i < (f + 1) * kEntriesPerFolder; ++i) {
            if (!catalogue::SaveEntry(page.db(), entryOf(i)))
                return false;
        }
        if (!page.commit())
            return false;
    }
    return true;
}

qint64 bytesBelow(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        total += it.nextFileInfo().size();
    return total;
}

// The floor: every selected row read whole with SQLite alone, then the bytes written to a file.
qint64 floorRun(const QByteArray& dbPath, const QList<mainwindow::EntryKey>& keys,
                const QString& outFile, qint64 bytes)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(dbPath.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return -1;
    }
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM T_Softwares WHERE BaseURL = ? AND TargetURL = ?", -1, &q,
                       nullptr);
    qint64 read = 0;
    for (const mainwindow::EntryKey& key : keys) {
        const QByteArray base = key.base.toUtf8();
        const QByteArray target = key.target.toUtf8();
        sqlite3_bind_text(q, 1, base.constData(), int(base.size()), SQLITE_STATIC);
        sqlite3_bind_text(q, 2, target.constData(), int(target.size()), SQLITE_STATIC);
        if (sqlite3_step(q) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(q); ++c) {
                sqlite3_column_text(q, c);
                read += sqlite3_column_bytes(q, c);
            }
        }
        sqlite3_reset(q);
    }
    sqlite3_finalize(q);
    sqlite3_close(db);
    QFile out(outFile);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    const QByteArray block(64 * 1024, 'x');
    for (qint64 left = bytes; left > 0; left -= block.size())
        out.write(block.constData(), std::min<qint64>(left, block.size()));
    out.close();
    return read;
}

void measureDialog()
{
    QList<double> times;
    for (int i = 0; i < kDialogOpenings; ++i) {
        QElapsedTimer timer;
        timer.start();
        options::frmSetting dialog;
        dialog.show();
        QCoreApplication::processEvents();
        times.append(double(timer.nsecsElapsed()) / 1e6);
        dialog.reject();
    }
    const double first = times.takeFirst();
    std::printf("settings dialog opened, font list included: first %.1f ms, then median %.1f ms"
                "   %s\n",
                first, bench::Median(times),
                first <= 300.0 ? "(goal <= 300 ms)" : "(goal <= 300 ms missed)");
}

} // namespace

int main(int argc, char** argv)
{
    util::PinLocalTimeZone();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir(bench::ScratchFolderTemplate());
    programfolder::SetProgramFolder(dir.path());
    config::Settings& s = config::settings();
    s.dbname = dir.filePath(catalogue::kCatalogueFile);
    config::SoftTypes().clear();
    QStringList typeLines{QStringLiteral("[SoftType]")};
    const QStringList rows = config::DefaultSoftTypeRows();
    for (int i = 0; i < rows.size(); ++i)
        typeLines.append(QStringLiteral("SoftType%1=").arg(i + 1) + rows[i]);
    QFile ini(dir.filePath(config::kSettingsFile));
    if (!ini.open(QIODevice::WriteOnly) ||
        ini.write(typeLines.join(QStringLiteral("\r\n")).toUtf8()) < 0)
        return 1;
    ini.close();
    config::LoadSoftTypes();
    QDir().mkpath(dir.filePath(QStringLiteral("WEBIMAGE")));
    const QDir images(QStringLiteral(PELIMOND_WEBIMAGE_DIR));
    for (const QString& name : images.entryList({QStringLiteral("*.gif")}, QDir::Files))
        QFile::copy(images.filePath(name), dir.filePath(QStringLiteral("WEBIMAGE/") + name));

    QElapsedTimer build;
    build.start();
    if (!dir.isValid() || !writeCatalogue(s.dbname)) {
        std::fprintf(stderr, "cannot write the catalogue in %s\n", qPrintable(dir.path()));
        return 1;
    }
    std::printf("folder: %s\n", qPrintable(dir.path()));
    std::printf("catalogue: %d entries, written in %.1f s; %d selected; median of %d runs\n",
                kFolders * kEntriesPerFolder, build.elapsed() / 1e3, kSelected, kRepeats);

    // Every other entry, so the reads jump about the catalogue as a list's selection does.
    QList<mainwindow::EntryKey> keys;
    for (int i = 0; i < kSelected; ++i) {
        const catalogue::EntryRow row = entryOf(i * 2 + 1);
        keys.append({row.BaseURL, row.TargetURL});
    }
    const QString page = dir.filePath(QStringLiteral("out/Selected.html"));
    QDir().mkpath(dir.filePath(QStringLiteral("out")));
    bool ok = true;
    const double program =
        bench::TimeMedianMs(kRepeats, [&] { ok = ok && exportpages::WriteExport(page, keys); });
    if (!ok) {
        std::fprintf(stderr, "the export failed\n");
        return 1;
    }
    const qint64 bytes = bytesBelow(dir.filePath(QStringLiteral("out")));
    const QByteArray dbPath = s.dbname.toUtf8();
    const QString floorFile = dir.filePath(QStringLiteral("floor.bin"));
    const double floor =
        bench::TimeMedianMs(kRepeats, [&] { floorRun(dbPath, keys, floorFile, bytes); });
    std::printf("page set: %lld bytes\n", static_cast<long long>(bytes));
    std::printf("%-34s %9.3f ms   floor %9.3f ms   ratio %5.2f  %s\n", "export of 5 000 entries",
                program, floor, program / floor,
                program / floor <= 3.0 ? "(goal <= 3)" : "(goal <= 3 missed)");

    measureDialog();
    return 0;
}
