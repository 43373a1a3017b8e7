// Fills the software list with a 50 000-entry folder of a temporary catalogue and sorts it by
// every column in both orders. The baseline is reading the same rows into row objects with no
// view at all; every figure is printed with its ratio to that baseline.
#include "catalogue/Catalogue.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "mainwindow/ListRow.h"
#include "mainwindow/SoftwareList.h"
#include "util/LocalTime.h"
#include "util/ProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace mainwindow;

namespace {

constexpr int kRows = 50000;
constexpr int kRepeats = 3;
const QString kFolder = config::SiteRoot + QStringLiteral("tpack/filearea/win/util/");

catalogue::EntryRow MakeEntry(int i)
{
    catalogue::EntryRow row;
    row.BaseURL = kFolder;
    row.TargetURL =
        config::SiteRoot + QStringLiteral("soft/se%1.html").arg(i, 6, 10, QLatin1Char('0'));
    row.SoftName = (i % 2 ? QStringLiteral("ソフト") : QStringLiteral("Tool")) +
                   QString::number((i * 7919) % kRows);
    row.Version = QStringLiteral("1.%1").arg(i % 97);
    row.FileSize = i % 5 == 0 ? std::optional<qint64>() : std::optional<qint64>((i * 31) % 9000);
    row.FileType = i % 8;
    row.NewFlag = i % 3 == 0;
    row.PickUpURL = i % 11 == 0 ? config::SiteRoot + QStringLiteral("pickup/") : QString();
    row.NewsURL = i % 13 == 0 ? config::SiteRoot + QStringLiteral("news/") : QString();
    row.Description = QStringLiteral("テキストエディタ。タブ、検索と置換 ") + QString::number(i);
    row.RegiMoney = i % 4 == 0 ? (i % 50) * 100 : 0;
    if (i % 17)
        row.OpenDate = QDateTime(QDate(2001, 1, 1).addDays((i * 13) % 4000), QTime(0, 0));
    row.Ranking = i % 100 + 1;
    return row;
}

bool WriteCatalogue(const QString& path)
{
    if (!catalogue::CreateEmptyCatalogue(path))
        return false;
    catalogue::PageTransaction page(path);
    for (int i = 0; i < kRows; ++i) {
        if (!catalogue::SaveEntry(page.db(), MakeEntry(i)))
            return false;
    }
    return page.commit();
}

// The model filled from entries already read, made into list rows as the list makes them.
void SetEntries(SoftwareListModel* model, const QList<catalogue::EntryRow>& entries)
{
    std::vector<ListRow> rows;
    rows.reserve(std::size_t(entries.size()));
    for (const catalogue::EntryRow& entry : entries)
        rows.push_back(MakeListRow(entry));
    model->setRows(std::move(rows));
}

template <class Work> double BestOf(Work work)
{
    double best = 1e18;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// Reading the folder's rows into row objects, no view.
double Baseline()
{
    return BestOf([] {
        catalogue::Db db;
        catalogue::OpenCatalogue(db);
        const QList<catalogue::EntryRow> rows = catalogue::FolderEntries(db, kFolder);
        if (rows.size() != kRows)
            std::fprintf(stderr, "read %lld rows\n", static_cast<long long>(rows.size()));
    });
}

void Report(const char* what, double ms, double baseline, double goal)
{
    std::printf("%-28s %8.1f ms   ratio %5.2f   goal < %.0f ms %s\n", what, ms, ms / baseline, goal,
                ms < goal ? "" : "(missed)");
}

} // namespace

int main(int argc, char** argv)
{
    util::PinLocalTimeZone(); // as the programs do
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    programfolder::SetProgramFolder(dir.path());
    config::Settings& s = config::settings();
    s.dbname = dir.filePath(QStringLiteral("Pelimond.mdb"));
    s.ListViewFontSize = 10;
    for (int code = 0; code < 7; ++code)
        config::SoftTypes().append(
            {code, {}, QStringLiteral("種類%1").arg(code), 0x102030 * code, {}, {}});
    if (!WriteCatalogue(s.dbname)) {
        std::fprintf(stderr, "cannot write the catalogue\n");
        return 1;
    }

    SoftwareList list;
    list.resize(1000, 700);
    list.SetupListColumns();
    list.show();
    QApplication::processEvents();

    const double baseline = Baseline();
    std::printf("%d entries; baseline (read into row objects, no view) %.1f ms\n", kRows, baseline);
    const double format = BestOf([] {
        catalogue::EntryRow entry = MakeEntry(1);
        std::vector<ListRow> rows;
        rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i)
            rows.push_back(MakeListRow(entry));
    });
    Report("format rows only", format, baseline, 150);
    const double fill = BestOf([&list] {
        list.FillSoftwareList(kFolder);
        QApplication::processEvents();
    });
    Report("fill (read + format + view)", fill, baseline, 150);
    catalogue::Db db;
    catalogue::OpenCatalogue(db);
    const QList<catalogue::EntryRow> rows = catalogue::FolderEntries(db, kFolder);
    db.close();
    const double model = BestOf([&list, &rows] {
        SetEntries(list.listModel(), rows);
        QApplication::processEvents();
    });
    Report("model fill from read rows", model, baseline, 150);

    // The first text sort after a fill also makes the column's case-folded keys.
    double firstSort = 1e18;
    for (int r = 0; r < kRepeats; ++r) {
        SetEntries(list.listModel(), rows);
        QElapsedTimer timer;
        timer.start();
        list.listModel()->sort(NameColumn, Qt::AscendingOrder);
        QApplication::processEvents();
        firstSort = std::min(firstSort, timer.nsecsElapsed() / 1e6);
    }
    Report("first sort by name", firstSort, baseline, 100);
    static const char* const names[] = {
        "icon (load order)", "name", "version", "size", "date", "type", "price",
        "description",       "mark"};
    for (int column = 0; column < ColumnCount; ++column) {
        const double ms =
            BestOf([&list, column] {
                for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                    list.listModel()->sort(column, order);
                    QApplication::processEvents();
                }
            }) /
            2;
        Report((std::string("sort by ") + names[column]).c_str(), ms, baseline, 100);
    }
    return 0;
}
