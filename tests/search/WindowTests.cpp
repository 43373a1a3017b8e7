// The search window: what it loads, its boxes and keys, and how it searches and closes.

#include "SearchFixture.h"
#include "search/SearchConditions.h"
#include "search/frmSearch.h"
#include "search/frmSearchRef.h"
#include "tst_search.h"
#include "util/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using fixture::Entry;
using fixture::kGames;
using fixture::kLibrary;
using fixture::kNewArrivals;

namespace {

// A catalogue with a few folders and a shown, active search window over it.
struct Window
{
    explicit Window(int area = 0) : window(area)
    {
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the search window is not active");
    }
    template <class T = QWidget> T* child(const QString& name) const
    {
        T* found = window.findChild<T*>(name);
        if (!found)
            qFatal("no %s", qPrintable(name));
        return found;
    }
    QLineEdit* box(int i) const { return child<QLineEdit>(u"inp_"_s + QString::number(i)); }
    QCheckBox* check(int i) const
    {
        return child<QCheckBox>(u"chk_search_"_s + QString::number(i));
    }
    QComboBox* places() const { return child<QComboBox>(u"cmb_search"_s); }
    QString focused() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }

    fixture::SearchCatalogue db;
    msg::ScriptedSink messages;
    bool filled = Fill(db); // before the window reads the folders
    search::frmSearch window;

private:
    static bool Fill(const fixture::SearchCatalogue& db)
    {
        db.addFolder(kLibrary + u"win/"_s, u"Windows"_s);
        db.addFolder(kLibrary + u"win/util/"_s, u"ユーティリティ"_s);
        db.addFolder(kNewArrivals + u"win/"_s, u"Windows"_s);
        db.addFolder(kGames + u"act/"_s, u"アクション"_s);
        return true;
    }
};

QStringList ItemTexts(const QComboBox* combo, int role = Qt::DisplayRole)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemData(i, role).toString());
    return texts;
}

// Has the scope picker, once it is open, choose the node key and press OK.
void ChooseInPicker(const QString& key)
{
    QTimer::singleShot(0, qApp, [key] {
        auto* picker = qobject_cast<search::frmSearchRef*>(QApplication::activeModalWidget());
        QVERIFY(picker);
        picker->treeref()->setCurrentItem(picker->Node(key));
        picker->findChild<QPushButton*>(u"cmd_okc_0"_s)->click();
    });
}

} // namespace

void TstSearch::windowLoad()
{
    Window w;
    QCOMPARE(w.window.windowTitle(), u"ライブラリの検索"_s);
    QCOMPARE(w.child<QLabel>(u"lbl_search_5"_s)->text(), u"ソフトウエアライブラリの検索"_s);
    QCOMPARE(ItemTexts(w.places()),
             (QStringList{u"全てのカテゴリ(通常)"_s, u"全てのカテゴリ(新着)"_s, u"Windows"_s,
                          u"Windows(新着)"_s, u"アクション(ゲームズ)"_s}));
    QCOMPARE(ItemTexts(w.places(), Qt::UserRole),
             (QStringList{kLibrary, kNewArrivals, kLibrary + u"win/"_s, kNewArrivals + u"win/"_s,
                          kGames + u"act/"_s}));
    QCOMPARE(w.places()->currentIndex(), 0);
    auto* types = w.child<QComboBox>(u"Combo1"_s);
    QCOMPARE(ItemTexts(types), (QStringList{u"フリー"_s, u"シェア"_s}));
    QCOMPARE(types->currentData().toInt(), 1);
    const QDate today = QDate::currentDate();
    QCOMPARE(w.box(2)->text(), search::DateBoxText(search::MonthBefore(today)));
    QCOMPARE(w.box(3)->text(), today.toString(u"yyyy/MM/dd"_s));
    for (int i = 0; i < 5; ++i)
        QVERIFY(!w.check(i)->isChecked());
    QVERIFY(!w.window.prtySearch());
    // Each option's fields: disabled with the button face until checked.
    const QList<QStringList> fields{
        {u"inp_2"_s, u"inp_3"_s}, {u"Combo1"_s}, {u"inp_4"_s, u"inp_5"_s}};
    for (int i = 0; i < 3; ++i) {
        for (int on = 0; on < 3; ++on) {
            for (const QString& name : fields[i]) {
                const QWidget* field = w.child(name);
                QCOMPARE(field->isEnabled(), on == 1);
                QCOMPARE(field->palette().color(QPalette::Base),
                         QPalette().color(on == 1 ? QPalette::Base : QPalette::Button));
            }
            w.check(i)->click();
        }
    }
}

void TstSearch::boxFilters_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::newRow("name takes everything") << 0 << u"a/b 1'x*"_s << u"[c]"_s << u"a/b 1'x*[c]"_s;
    QTest::newRow("date: digits and /") << 2 << u"2024/0a1/05"_s << QString() << u"2024/01/05"_s;
    QTest::newRow("size: digits only") << 4 << u"12/3a4"_s << QString() << u"1234"_s;
    QTest::newRow("size: seven at most") << 5 << u"123456789"_s << QString() << u"1234567"_s;
    QTest::newRow("pasted into a size box") << 4 << u"9"_s << u"12a/3"_s << u"9123"_s;
    QTest::newRow("pasted into a date box") << 3 << QString() << u"2024年1/5x"_s << u"20241/5"_s;
}

void TstSearch::boxFilters()
{
    QFETCH(int, box);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    Window w;
    for (int i = 0; i < 3; ++i)
        w.check(i)->click();
    QLineEdit* field = w.box(box);
    field->clear();
    field->setFocus();
    QTest::keyClicks(field, typed);
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(field->text(), kept);
}

void TstSearch::focusSelectsAll()
{
    Window w;
    w.box(0)->setText(u"editor"_s);
    w.box(1)->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(w.box(1), Qt::Key_Backtab);
    QTRY_COMPARE(w.box(0)->selectedText(), u"editor"_s);
    w.box(1)->setFocus(Qt::OtherFocusReason);
    QTest::mouseClick(w.box(0), Qt::LeftButton, {}, QPoint(4, w.box(0)->height() / 2));
    QTRY_COMPARE(w.box(0)->selectedText(), u"editor"_s);
}

void TstSearch::tabOrderAndAccelerators()
{
    Window w;
    QCOMPARE(w.focused(), u"inp_0"_s);
    QStringList order;
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(w.focused());
    }
    QCOMPARE(order,
             (QStringList{u"inp_1"_s, u"cmb_search"_s, u"cmd_ref"_s, u"chk_search_0"_s,
                          u"chk_search_1"_s, u"chk_search_2"_s, u"chk_search_3"_s,
                          u"chk_search_4"_s, u"btn_search_0"_s, u"btn_search_1"_s, u"inp_0"_s}));
    QTest::keyClick(&w.window, Qt::Key_L, Qt::AltModifier);
    QCOMPARE(w.focused(), u"cmb_search"_s);
    QTest::keyClick(&w.window, Qt::Key_Z, Qt::AltModifier);
    QTRY_VERIFY(w.check(2)->isChecked());
    QVERIFY(w.box(4)->isEnabled());
    // Two captions share N and D: each press goes to the next, checking nothing.
    QStringList visited;
    for (int i = 0; i < 2; ++i) {
        QTest::keyClick(&w.window, Qt::Key_N, Qt::AltModifier);
        visited.append(w.focused());
    }
    visited.sort();
    QCOMPARE(visited, (QStringList{u"chk_search_4"_s, u"inp_0"_s}));
    QVERIFY(!w.check(4)->isChecked());
    QTest::keyClick(&w.window, Qt::Key_S, Qt::AltModifier);
    QTRY_VERIFY(w.window.prtySearch());
}

void TstSearch::closeWithoutSearch_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("キャンセル") << u"button"_s;
    QTest::newRow("Alt+C") << u"alt"_s;
    QTest::newRow("Escape") << u"escape"_s;
    QTest::newRow("close box") << u"close"_s;
}

void TstSearch::closeWithoutSearch()
{
    QFETCH(QString, how);
    Window w;
    w.db.addEntries({Entry(kLibrary + u"win/"_s, u"Kept"_s), Entry(kLibrary, u"Other"_s)});
    w.db.execute(u"UPDATE T_Softwares SET Search = 1 WHERE SoftName = 'Kept'"_s);
    if (how == u"button")
        w.child<QPushButton>(u"btn_search_1"_s)->click();
    else if (how == u"alt")
        QTest::keyClick(&w.window, Qt::Key_C, Qt::AltModifier);
    else if (how == u"escape")
        QTest::keyClick(w.box(0), Qt::Key_Escape);
    else
        w.window.close();
    QTRY_VERIFY(!w.window.isVisible());
    QVERIFY(!w.window.prtySearch());
    QCOMPARE(w.db.marked(), QStringList{u"Kept"_s});
}

void TstSearch::searchMarksAndCloses_data()
{
    QTest::addColumn<int>("hits");
    QTest::addColumn<bool>("enter");
    QTest::addColumn<bool>("told");
    QTest::newRow("hits = SearchMax, 検索(&S)") << 3 << false << false;
    QTest::newRow("hits = SearchMax + 1, Enter") << 4 << true << true;
}

void TstSearch::searchMarksAndCloses()
{
    QFETCH(int, hits);
    QFETCH(bool, enter);
    QFETCH(bool, told);
    Window w;
    config::settings().SearchMax = 3;
    QList<catalogue::EntryRow> rows{Entry(kLibrary, u"Miss"_s)};
    for (int i = 0; i < hits; ++i)
        rows.append(Entry(kLibrary + u"win/util/"_s, u"Tool hit "_s + QString::number(i)));
    w.db.addEntries(rows);
    QTest::keyClicks(w.box(0), u"tool hit"_s);
    w.places()->setCurrentIndex(w.places()->findData(QString(kLibrary + u"win/"_s)));
    if (enter)
        QTest::keyClick(w.box(0), Qt::Key_Return);
    else
        w.child<QPushButton>(u"btn_search_0"_s)->click();
    QVERIFY(w.window.prtySearch());
    QVERIFY(!w.window.isVisible());
    QCOMPARE(w.db.marked().size(), hits);
    QCOMPARE(w.messages.shown.size(), told ? 1 : 0);
    if (told) {
        const msg::Message& m = w.messages.shown.first();
        QCOMPARE(m.text, u"設定した条件でのヒット数が3件を超えました。\r\n3件目までを表示します。"
                         "\r\n\r\n件数を少なくしたい場合、条件を絞り込んでください。"_s);
        QCOMPARE(m.title, u"ヒット数オーバー"_s);
        QCOMPARE(m.icon, msg::Icon::Exclamation);
        QCOMPARE(m.buttons, msg::Buttons::Ok);
    }
}

void TstSearch::refusedPatternKeepsWindowOpen()
{
    Window w;
    w.db.addEntries({Entry(kLibrary, u"Kept"_s), Entry(kLibrary, u"Other"_s)});
    w.db.execute(u"UPDATE T_Softwares SET Search = 1 WHERE SoftName = 'Kept'"_s);
    w.box(1)->setText(u"[abc"_s);
    w.box(0)->setFocus();
    w.child<QPushButton>(u"btn_search_0"_s)->click();
    QCOMPARE(w.messages.shown.size(), 1);
    QVERIFY(w.messages.shown.first().text.contains(u"「[abc」"_s));
    QVERIFY(w.window.isVisible());
    QVERIFY(!w.window.prtySearch());
    QCOMPARE(w.focused(), u"inp_1"_s);
    QCOMPARE(w.db.marked(), QStringList{u"Kept"_s});
}

void TstSearch::referenceAddsPlaceOnce()
{
    Window w;
    auto* ref = w.child<QPushButton>(u"cmd_ref"_s);
    const QString util = kLibrary + u"win/util/"_s;
    ChooseInPicker(util);
    ref->click();
    QCOMPARE(w.places()->count(), 6);
    QCOMPARE(w.places()->currentText(), u"ユーティリティ"_s);
    QCOMPARE(w.places()->currentData().toString(), util);
    QCOMPARE(w.window.Conditions().scope, util);
    // The same folder again, and a first-level one the list had from the start: nothing moves.
    w.places()->setCurrentIndex(1);
    for (const QString& key : {util, QString(kLibrary + u"win/"_s)}) {
        ChooseInPicker(key);
        ref->click();
        QCOMPARE(w.places()->count(), 6);
        QCOMPARE(w.places()->currentIndex(), 1);
    }
}
