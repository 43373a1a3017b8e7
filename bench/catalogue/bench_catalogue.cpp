// Writes 100 000 entries through the store's find-then-add-or-edit path, one page transaction
// per 100 rows, and the same rows with plain prepared INSERTs into an identical schema with the
// same transaction size, and prints both rates and their ratio.
#include "catalogue/Catalogue.h"
#include "catalogue/Db.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "common/BenchSupport.h"
#include "config/Settings.h"
#include "util/LocalTime.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace catalogue;

namespace {

constexpr int kRows = 100000;
constexpr int kPageRows = 100;

// The list columns of entry i as a list page would give them.
void fillListColumns(EntryRow& row, int i)
{
    row.SoftName = QStringLiteral("ソフト") + QString::number(i);
    row.Version = QStringLiteral("1.%1").arg(i % 97);
    row.FileSize = i % 5 == 0 ? std::optional<qint64>() : std::optional<qint64>(i % 4096);
    row.FileType = i % 7;
    row.NewFlag = i % 3 == 0;
    row.PickUpURL = i % 11 == 0 ? config::SiteRoot + QStringLiteral("pickup/") : QString();
    row.NewsURL = QString();
    row.Description =
        QStringLiteral("テキストエディタ。タブ、検索と置換、マクロ ") + QString::number(i);
    row.RegiMoney = i % 4 == 0 ? 1500 : 0;
    row.OpenDate = QDateTime(QDate(2009, 1, 1).addDays(i % 3000), QTime(0, 0));
    row.Ranking = i % kPageRows + 1;
}

QString baseOf(int i)
{
    return config::SiteRoot + QStringLiteral("tpack/filearea/win/cat%1/").arg(i / 1000);
}

QString targetOf(int i)
{
    return config::SiteRoot + QStringLiteral("soft/%1.html").arg(i);
}

double storeRate(const QString& path)
{
    // As in an update run, the catalogue is held open while page after page is written.
    const KeepCatalogueOpen keepOpen(path);
    QElapsedTimer timer;
    timer.start();
    for (int first = 0; first < kRows; first += kPageRows) {
        PageTransaction page(path);
        for (int i = first; i < first + kPageRows; ++i) {
            EntryRow row = FindEntry(page.db(), baseOf(i), targetOf(i)).value_or(EntryRow());
            row.BaseURL = baseOf(i);
            row.TargetURL = targetOf(i);
            fillListColumns(row, i);
            if (!SaveEntry(page.db(), row))
                return 0;
        }
        if (!page.commit())
            return 0;
    }
    return kRows * 1000.0 / double(std::max<qint64>(1, timer.elapsed()));
}

QVariantList plainValues(int i)
{
    EntryRow r;
    fillListColumns(r, i);
    const QString none = QStringLiteral("");
    const QString pickUp = r.PickUpURL.isNull() ? none : r.PickUpURL;
    return {baseOf(i),
            targetOf(i),
            r.SoftName,
            r.Version,
            SizeOrNull(r.FileSize),
            QVariant(),
            r.FileType,
            r.NewFlag,
            pickUp,
            none,
            r.Description,
            r.RegiMoney,
            DateOrNull(r.OpenDate),
            QVariant(),
            0,
            none,
            none,
            none,
            none,
            none,
            none,
            none,
            none,
            0,
            0,
            *r.Ranking};
}

double plainRate(const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("plain"));
    db.setDatabaseName(path);
    if (!db.open())
        return 0;
    double rate = 0;
    {
        QStringList marks;
        const QStringList columns = EntryColumns() << QStringLiteral("Ranking");
        for (qsizetype c = 0; c < columns.size(); ++c)
            marks << QStringLiteral("?");
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO T_Softwares (") + columns.join(u',') +
                       QStringLiteral(") VALUES (") + marks.join(u',') + u')');
        QElapsedTimer timer;
        timer.start();
        for (int first = 0; first < kRows; first += kPageRows) {
            db.transaction();
            for (int i = first; i < first + kPageRows; ++i) {
                const QVariantList values = plainValues(i);
                for (qsizetype v = 0; v < values.size(); ++v)
                    insert.bindValue(int(v), values[v]);
                if (!insert.exec()) {
                    std::fprintf(stderr, "%s\n", qPrintable(insert.lastError().text()));
                    return 0;
                }
            }
            db.commit();
        }
        rate = kRows * 1000.0 / double(std::max<qint64>(1, timer.elapsed()));
    }
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));
    return rate;
}

} // namespace

int main(int argc, char** argv)
{
    util::PinLocalTimeZone(); // as the programs do
    QCoreApplication app(argc, argv);
    // On a disk rather than a RAM disk, each side pays a flush per transaction.
    QTemporaryDir dir(bench::ScratchFolderTemplate());
    const QString store = dir.filePath(QStringLiteral("store.mdb"));
    const QString plain = dir.filePath(QStringLiteral("plain.mdb"));
    if (!dir.isValid() || !CreateEmptyCatalogue(store) || !CreateEmptyCatalogue(plain)) {
        std::fprintf(stderr, "cannot create the catalogues in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const double baseline = plainRate(plain);
    const double added = storeRate(store);
    const double edited = storeRate(store); // the same rows again: every find hits
    std::printf("folder: %s\n", qPrintable(dir.path()));
    std::printf("rows: %d, %d per transaction\n", kRows, kPageRows);
    std::printf("plain prepared INSERT        : %10.0f rows/s\n", baseline);
    std::printf("store find + save (new rows) : %10.0f rows/s  ratio %.2f\n", added,
                baseline > 0 ? added / baseline : 0.0);
    std::printf("store find + save (edits)    : %10.0f rows/s  ratio %.2f\n", edited,
                baseline > 0 ? edited / baseline : 0.0);
    return 0;
}
