// The folder and the multi-selection property windows.

#include "InfoFixture.h"
#include "config/Settings.h"
#include "info/frmProperties.h"
#include "info/frmPropertyf.h"
#include "tst_info.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kWin = kLibrary + u"win/"_s;
const QString kNoDate = u"----年--月--日、--:--:--"_s;

QString Page(int n)
{
    return config::SiteRoot + u"soft/se"_s + QString::number(n).rightJustified(6, u'0') +
           u".html"_s;
}

// Counts the paint events of a widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void TstInfo::folderProperties_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("contents");
    QTest::addColumn<QString>("date"); // "" for the moment of the read
    QTest::newRow("folder with two sub-folders")
        << kWin << u"ライブラリ数: 5、カテゴリ数: 2"_s << u"2024年03月09日、08:05:01"_s;
    // The wildcard characters of a Like pattern are taken as they stand.
    QTest::newRow("underscore") << kLibrary + u"a_b/"_s << u"ライブラリ数: 1、カテゴリ数: 0"_s
                                << kNoDate;
    QTest::newRow("percent") << kLibrary + u"1%/"_s << u"ライブラリ数: 1、カテゴリ数: 0"_s
                             << kNoDate;
    QTest::newRow("お気に入り") << u"Favorites"_s << u"ライブラリ数: 2、カテゴリ数: 0"_s
                                << QString();
    QTest::newRow("folder without a row")
        << kLibrary + u"gone/"_s << u"ライブラリ数: 0、カテゴリ数: 0"_s << kNoDate;
}

void TstInfo::folderProperties()
{
    QFETCH(QString, key);
    QFETCH(QString, contents);
    QFETCH(QString, date);
    const InfoProgram program;
    // Five entries over a folder and its two sub-folders; three look-alikes of the wildcard
    // folders, two of them favourites.
    program.addFolder(kWin, u"2024-03-09T08:05:01"_s);
    const QStringList folders{kWin,
                              kWin + u"util/"_s,
                              kWin + u"util/"_s,
                              kWin + u"game/"_s,
                              kWin + u"game/"_s,
                              kLibrary + u"a_b/"_s,
                              kLibrary + u"1%/"_s,
                              kLibrary + u"axb/"_s,
                              kLibrary + u"1x/"_s,
                              kLibrary + u"1x/"_s};
    QList<catalogue::EntryRow> rows;
    for (const QString& folder : folders) {
        if (folder != kWin)
            program.addFolder(folder);
        rows.append(Entry(folder, Page(int(rows.size()))));
        rows.last().Favorites = rows.size() > 8;
    }
    program.addEntries(rows);
    QStringList opened;
    info::frmPropertyf window(key, u"名前"_s, [&opened](const QString& url) { opened << url; });
    window.show();
    QTRY_VERIFY(window.readDone());

    QCOMPARE(window.windowTitle(), u"名前 のプロパティ"_s);
    QCOMPARE(window.box(1)->text(), u"カテゴリ"_s);
    QCOMPARE(window.box(2)->text(), key);
    QCOMPARE(window.contents()->text(), contents);
    if (date.isEmpty()) {
        const QDateTime shown =
            QDateTime::fromString(window.box(3)->text(), u"yyyy年MM月dd日、HH:mm:ss"_s);
        QVERIFY(qAbs(shown.secsTo(QDateTime::currentDateTime())) < 60);
    } else {
        QCOMPARE(window.box(3)->text(), date);
    }
    // Only a folder's address opens in the browser.
    window.browserButton()->click();
    QCOMPARE(window.browserButton()->isEnabled(), key != u"Favorites");
    QCOMPARE(opened, window.browserButton()->isEnabled() ? QStringList{key} : QStringList());
}

void TstInfo::selectionTotals_data()
{
    QTest::addColumn<QList<int>>("picked"); // entries 0 to 2; -1: an entry without a row
    QTest::addColumn<QStringList>("shown"); // count line, size, fee
    QTest::newRow("three entries")
        << QList<int>{0, 1, 2} << QStringList{u"ファイル数: 3"_s, u"60 KB"_s, u"1,500 円"_s};
    QTest::newRow("a missing entry is skipped")
        << QList<int>{2, 0, -1} << QStringList{u"ファイル数: 2"_s, u"40 KB"_s, u"0 円"_s};
}

void TstInfo::selectionTotals()
{
    QFETCH(QList<int>, picked);
    QFETCH(QStringList, shown);
    const InfoProgram program;
    QList<catalogue::EntryRow> rows;
    for (int i = 0; i < 3; ++i) {
        rows.append(Entry(kWin, Page(i)));
        rows.last().FileSize = 10 * (i + 1);
        rows.last().RegiMoney = i == 1 ? 1500 : 0; // the catalogue keeps "no fee" as 0
    }
    program.addEntries(rows);
    QList<mainwindow::EntryKey> keys;
    for (int i : picked)
        keys.append({kWin, Page(i < 0 ? 999 : i)});

    info::frmProperties window(keys, kWin, {});
    window.show();
    QTRY_VERIFY(window.readDone());

    QCOMPARE(window.windowTitle(), u" 選択したライブラリのプロパティ"_s);
    QCOMPARE(window.box(0)->text(), u"複数の種類"_s);
    QCOMPARE(window.box(1)->text(), kWin);
    QCOMPARE(
        (QStringList{window.countLabel()->text(), window.box(2)->text(), window.box(3)->text()}),
        shown);
}

void TstInfo::selectionRepaintsAreThrottled()
{
    const InfoProgram program;
    QList<catalogue::EntryRow> rows;
    QList<mainwindow::EntryKey> keys;
    for (int i = 0; i < 3000; ++i) {
        rows.append(Entry(kWin, Page(i)));
        rows.last().FileSize = 1;
        keys.append({kWin, Page(i)});
    }
    program.addEntries(rows);

    info::frmProperties window(keys, u"Search"_s, {});
    PaintCounter counter;
    window.box(2)->installEventFilter(&counter);
    window.show();
    QTRY_VERIFY(window.readDone());

    QCOMPARE(window.box(2)->text(), u"3,000 KB"_s);
    QVERIFY(!window.browserButton()->isEnabled());
    // One repaint per row would be 3000.
    QVERIFY2(counter.paints < 100, qPrintable(QString::number(counter.paints)));
}

void TstInfo::summaryWindows_data()
{
    QTest::addColumn<bool>("folder"); // else the selection window
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("trace"); // "": the catalogue is there
    QTest::newRow("folder, Escape is OK") << true << int(Qt::Key_Escape) << QString();
    QTest::newRow("selection, Enter is OK") << false << int(Qt::Key_Enter) << QString();
    QTest::newRow("folder without a catalogue")
        << true << int(Qt::Key_Return) << u"フォルダプロパティオープンエラー("_s;
    QTest::newRow("selection without a catalogue")
        << false << int(Qt::Key_Escape) << u"プロパティ(複数)オープンエラー("_s;
}

void TstInfo::summaryWindows()
{
    QFETCH(bool, folder);
    QFETCH(int, key);
    QFETCH(QString, trace);
    const InfoProgram program;
    if (!trace.isEmpty()) {
        config::settings().Debug = 1;
        config::settings().dbname = program.folder().file(u"missing.mdb"_s);
    }
    std::unique_ptr<QDialog> window;
    std::function<bool()> readDone;
    if (folder) {
        auto* f = new info::frmPropertyf(kWin, u"Windows"_s, {});
        readDone = [f] { return f->readDone(); };
        window.reset(f);
    } else {
        auto* s = new info::frmProperties({{kWin, Page(1)}}, kWin, {});
        readDone = [s] { return s->readDone(); };
        window.reset(s);
    }
    window->show();
    QTRY_VERIFY(readDone());

    const QStringList lines = program.folder().readLines(u"Trace.Log"_s);
    QCOMPARE(lines.size(), trace.isEmpty() ? 0 : 1);
    if (!trace.isEmpty())
        QVERIFY2(lines[0].contains(u" $ "_s + trace) && lines[0].endsWith(u')'),
                 qPrintable(lines[0]));
    QTest::keyClick(window->findChild<QLineEdit*>(u"txt_info_1"_s), Qt::Key(key));
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Accepted));
}
