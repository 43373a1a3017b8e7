#include "MainWindowFixture.h"
#include "mainwindow/CommandStates.h"
#include "mainwindow/ListRow.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/MainSplitter.h"
#include "mainwindow/WindowLayout.h"
#include "resources/AnimationWidget.h"
#include "site/Fetcher.h"
#include "update/DetailAnalysis.h"
#include "update/RunState.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <QToolBar>

using namespace mainwindow;
using fixture::AddFolderTree;
using fixture::AddUtilFolder;
using fixture::Entry;
using fixture::kDisk;
using fixture::kLibrary;
using fixture::kNewArrivals;
using fixture::kPage;
using fixture::kUtil;
using fixture::kWin;
using fixture::ShowAt;
using fixture::UtilEntries;

namespace {

QStringList Children(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts.append(node->child(i)->text(0));
    return texts;
}

void SendDrop(FolderTree* tree, const QString& key, bool* accepted)
{
    QMimeData mime;
    mime.setData(SoftwareListModel::DragFormat(), "x");
    const QPoint at = tree->visualItemRect(tree->Node(key)).center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &move);
    *accepted = move.isAccepted();
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &drop);
}

// Closes the popup menu once it is open, choosing nothing.
void DismissNextPopup(int tries = 100)
{
    QTimer::singleShot(10, qApp, [tries] {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        else if (tries > 0)
            DismissNextPopup(tries - 1);
    });
}

} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void treeHasFourRootsAndTwoLevelsOfFolders();
    void expansionReadsTheNextLevelsOnce();
    void rowFormatting_data();
    void rowFormatting();
    void fillShowsTypeColoursAndSelectsFirstRow();
    void searchViewKeepsToSearchMax();
    void headerClicksToggleTheSortOrder();
    void clickingAnAreaRootSetsTheAreaAndListsItsOwnKey();
    void onlineModeReachesForTheSiteOnlyFromFolders();
    void firstStartUsesSeventyPercentCentred();
    void settingsWrittenAtClose_data();
    void settingsWrittenAtClose();
    void statusPanelWidths_data();
    void statusPanelWidths();
    void splitterDragStopsShortOfTheEdges();
    void netModeMenuAndToolbarShowOneMode();
    void everyCommandIsLive();
    void updateCommandsNeedTheUpdateWindow();
    void selectionDrivesStatusAndCommands();
    void folderMenuStates_data();
    void folderMenuStates();
    void rightClickChoosingNothingKeepsTheView();
    void dropOnFavouritesMarksTheSelectedRows_data();
    void dropOnFavouritesMarksTheSelectedRows();
    void removingFavouritesRefillsTheView();
    void doubleClickOpensThePageOfTheSetting_data();
    void doubleClickOpensThePageOfTheSetting();
};

void TstMainWindow::treeHasFourRootsAndTwoLevelsOfFolders()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    frmMain window;
    FolderTree* tree = window.tview();
    QCOMPARE(tree->topLevelItemCount(), 4);
    const QStringList texts{QStringLiteral("お気に入り"), QStringLiteral("検索結果"),
                            QStringLiteral("新着ライブラリ"),
                            QStringLiteral("タルベックスライブラリ")};
    const QStringList keys{QStringLiteral("Favorites"), QStringLiteral("Search"), kNewArrivals,
                           kLibrary};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(tree->topLevelItem(i)->text(0), texts[i]);
        QCOMPARE(FolderTree::KeyOf(tree->topLevelItem(i)), keys[i]);
        QCOMPARE(tree->topLevelItem(i)->isExpanded(), i >= 2);
    }
    // Two levels below the library root; the folder without a parent row is left out.
    QCOMPARE(Children(tree->Node(kLibrary)),
             (QStringList{QStringLiteral("Macintosh"), QStringLiteral("Windows")}));
    QCOMPARE(Children(tree->Node(kWin)), QStringList{QStringLiteral("ユーティリティ")});
    QCOMPARE(tree->Node(kUtil)->childCount(), 0);
    QVERIFY(!tree->Node(kLibrary + QStringLiteral("dos/game/")));
    QCOMPARE(Children(tree->Node(kNewArrivals)), QStringList{QStringLiteral("新着Windows")});
    // The window opens on the favourites.
    QCOMPARE(tree->SelectedKey(), QStringLiteral("Favorites"));
}

void TstMainWindow::expansionReadsTheNextLevelsOnce()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    frmMain window;
    FolderTree* tree = window.tview();
    QTreeWidgetItem* win = tree->Node(kWin);
    win->setExpanded(true);
    QCOMPARE(Children(tree->Node(kUtil)), QStringList{QStringLiteral("ディスク")});
    QVERIFY(!tree->Node(kDisk + QStringLiteral("tools/")));

    // A folder added to the catalogue now shows only through a branch read, which collapsing
    // and expanding again does not repeat.
    db.addFolder(kUtil + QStringLiteral("zip/"), QStringLiteral("圧縮"));
    win->setExpanded(false);
    win->setExpanded(true);
    QCOMPARE(tree->Node(kUtil)->childCount(), 1);

    tree->Node(kUtil)->setExpanded(true);
    QCOMPARE(Children(tree->Node(kUtil)),
             (QStringList{QStringLiteral("ディスク"), QStringLiteral("圧縮")}));
    QCOMPARE(Children(tree->Node(kDisk)), QStringList{QStringLiteral("ツール")});
}

void TstMainWindow::rowFormatting_data()
{
    // marks: the fields set, P pick-up, R news article, N new; shown: size, price, mark texts.
    QTest::addColumn<std::optional<qint64>>("size");
    QTest::addColumn<qint64>("price");
    QTest::addColumn<QString>("marks");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("icon");
    QTest::newRow("plain") << std::optional<qint64>(1234) << qint64(1500) << QString()
                           << QStringList{u"  1234"_qs, u"  1,500"_qs, u"---"_qs} << 4;
    QTest::newRow("no size, free, pick-up beats new")
        << std::optional<qint64>() << qint64(0) << u"PN"_qs
        << QStringList{u"---"_qs, u" "_qs, u"P-N"_qs} << 1;
    QTest::newRow("zero size, news beats all")
        << std::optional<qint64>(0) << qint64(1234567) << u"PRN"_qs
        << QStringList{u"---"_qs, u"1,234,567"_qs, u"PRN"_qs} << 3;
    QTest::newRow("six digits, new only")
        << std::optional<qint64>(123456) << qint64(100) << u"N"_qs
        << QStringList{u"123456"_qs, u"    100"_qs, u"--N"_qs} << 2;
}

void TstMainWindow::rowFormatting()
{
    QFETCH(std::optional<qint64>, size);
    QFETCH(qint64, price);
    QFETCH(QString, marks);
    QFETCH(QStringList, shown);
    QFETCH(int, icon);
    TestFolder folder;
    fixture::FirstStartSettings(QString());
    catalogue::EntryRow entry = Entry(kUtil, kPage, QStringLiteral("x"));
    entry.FileSize = size;
    entry.RegiMoney = price;
    entry.PickUpURL = marks.contains(u'P') ? u"http://p/"_qs : QString();
    entry.NewsURL = marks.contains(u'R') ? u"http://n/"_qs : QString();
    entry.NewFlag = marks.contains(u'N');
    const ListRow row = MakeListRow(entry);
    QCOMPARE((QStringList{row.text[SizeColumn], row.text[PriceColumn], row.text[MarkColumn]}),
             shown);
    QCOMPARE(row.icon, icon);
    QCOMPARE(row.text[DateColumn], QStringLiteral("----/--/--"));
}

void TstMainWindow::fillShowsTypeColoursAndSelectsFirstRow()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    QList<catalogue::EntryRow> rows = UtilEntries();
    rows[0].OpenDate = QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8));
    rows[0].Description = QStringLiteral("  説明文  ");
    rows[1].FileType = 42; // not in the type table
    db.addEntries(rows);
    frmMain window;
    ShowAt(window, kUtil);

    const SoftwareListModel* model = window.lstView()->listModel();
    QCOMPARE(
        fixture::ColumnTexts(window, NameColumn),
        (QStringList{QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("gamma")}));
    QCOMPARE(
        fixture::ColumnTexts(window, TypeColumn),
        (QStringList{QStringLiteral("フリー"), QStringLiteral("42"), QStringLiteral("シェア")}));
    QCOMPARE(model->index(0, DateColumn).data().toString(), QStringLiteral("2003/04/05"));
    QCOMPARE(model->index(0, NameColumn).data(Qt::ToolTipRole).toString(),
             QStringLiteral("説明文"));
    QCOMPARE(model->index(0, NameColumn).data(Qt::ForegroundRole).value<QColor>(),
             QColor(255, 0, 0));
    QCOMPARE(model->index(2, PriceColumn).data(Qt::ForegroundRole).value<QColor>(),
             QColor(0, 0x80, 0xFF));
    QVERIFY(!model->index(1, NameColumn).data(Qt::ForegroundRole).isValid());
    QVERIFY(!model->index(0, IconColumn).data(Qt::DecorationRole).value<QIcon>().isNull());
    QVERIFY(window.lstView()->isColumnHidden(MarkColumn));
    // After the fill the first row alone is selected and its mark is in panel 3.
    QCOMPARE(window.lstView()->SelectedRows(), QList<int>{0});
    QCOMPARE(window.StatusText(3), QStringLiteral("P--"));
}

void TstMainWindow::searchViewKeepsToSearchMax()
{
    fixture::Catalogue db;
    QList<catalogue::EntryRow> rows;
    for (int i = 0; i < 5; ++i) {
        rows.append(Entry(kUtil, kPage + QString::number(i), QString::number(i)));
        rows.last().Search = i != 2;
    }
    db.addEntries(rows);
    config::settings().SearchMax = 3;
    frmMain window;
    ShowAt(window, QStringLiteral("Search"));
    QCOMPARE(fixture::ColumnTexts(window, NameColumn),
             (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("3")}));
}

void TstMainWindow::headerClicksToggleTheSortOrder()
{
    fixture::Catalogue db;
    AddUtilFolder(db);
    config::settings().SortKey = 1;
    config::settings().SortOrder = 0;
    frmMain window;
    ShowAt(window, kUtil);
    const SoftwareListModel* model = window.lstView()->listModel();
    const QStringList ascending{QStringLiteral("Alpha"), QStringLiteral("beta"),
                                QStringLiteral("gamma")};
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), ascending);
    QCOMPARE(model->headerImage(NameColumn), 0);

    fixture::ClickHeader(window, NameColumn);
    QCOMPARE(
        fixture::ColumnTexts(window, NameColumn),
        (QStringList{QStringLiteral("gamma"), QStringLiteral("beta"), QStringLiteral("Alpha")}));
    QCOMPARE(model->headerImage(NameColumn), 1);
    fixture::ClickHeader(window, NameColumn);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), ascending);

    // Moving to another column toggles as well: ascending was last, so sizes come descending,
    // by number, the missing size last.
    fixture::ClickHeader(window, SizeColumn);
    QCOMPARE(
        fixture::ColumnTexts(window, SizeColumn),
        (QStringList{QStringLiteral("1234567"), QStringLiteral("999999"), QStringLiteral("---")}));
    QCOMPARE(model->headerImage(SizeColumn), 1);
    QCOMPARE(model->headerImage(NameColumn), -1);

    // The icon column sorts by the hidden mark column and carries its arrow.
    fixture::ClickHeader(window, IconColumn);
    QCOMPARE(model->sortColumn(), int(MarkColumn));
    QCOMPARE(fixture::ColumnTexts(window, MarkColumn),
             (QStringList{QStringLiteral("---"), QStringLiteral("-RN"), QStringLiteral("P--")}));
    QCOMPARE(model->headerImage(IconColumn), 0);
    QCOMPARE(model->headerImage(MarkColumn), -1);
}

void TstMainWindow::clickingAnAreaRootSetsTheAreaAndListsItsOwnKey()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries({Entry(kLibrary, kPage, QStringLiteral("root entry")),
                   Entry(config::AreaUrls[0], kPage, QStringLiteral("start page entry")),
                   Entry(kNewArrivals + QStringLiteral("win/"), kPage, QStringLiteral("new"))});
    frmMain window;
    ShowAt(window, kNewArrivals + QStringLiteral("win/"));
    QCOMPARE(update::runState().CurrentArea, 1);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), QStringList{QStringLiteral("new")});
    fixture::ClickNode(window, kLibrary);
    QCOMPARE(update::runState().CurrentArea, 0);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), QStringList{QStringLiteral("root entry")});
    QCOMPARE(window.StatusText(1), QString());
    // The favourites view leaves the area alone.
    update::runState().CurrentArea = 1;
    fixture::ClickNode(window, QStringLiteral("Favorites"));
    QCOMPARE(update::runState().CurrentArea, 1);
    update::runState().CurrentArea = 0;
}

void TstMainWindow::onlineModeReachesForTheSiteOnlyFromFolders()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    // Online, through a proxy on this machine that refuses every connection.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const int closedPort = probe.serverPort();
    probe.close();
    config::Settings& s = config::settings();
    s.Update = 3;
    s.Proxy = 2;
    s.ProxyName = QStringLiteral("127.0.0.1");
    s.ProxyPort = closedPort;
    s.TimeOut = 2;
    site::SetRetryPauseForTests(0);
    msg::ScriptedSink sink;
    frmMain window;
    ShowAt(window, QStringLiteral("Search"));
    fixture::ClickNode(window, QStringLiteral("Favorites"));
    QVERIFY(sink.shown.isEmpty());
    fixture::ClickNode(window, kUtil);
    site::SetRetryPauseForTests(-1);
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].title, QStringLiteral("接続失敗"));
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!window.picanimate()->isRunning());
}

void TstMainWindow::firstStartUsesSeventyPercentCentred()
{
    fixture::Catalogue db;
    frmMain window;
    const QRect screen = window.screen()->geometry();
    const QRect g = window.geometry();
    QVERIFY(qAbs(g.width() - screen.width() * 7 / 10) <= 1);
    QVERIFY(qAbs(g.height() - screen.height() * 7 / 10) <= 1);
    QVERIFY(qAbs(g.center().x() - screen.center().x()) <= 2);
    QVERIFY(qAbs(g.center().y() - screen.center().y()) <= 2);
    fixture::ShowWindow(window);
    QCOMPARE(window.splitter()->SplitterLeft(), TwipsToPixels(2940, LogicalDpi(&window)));
}

void TstMainWindow::settingsWrittenAtClose_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("recordWidths");
    QTest::addColumn<QString>("lastWinState");
    QTest::addColumn<bool>("compacts");
    QTest::newRow("normal") << QStringLiteral("normal") << 1 << QStringLiteral("0") << true;
    QTest::newRow("minimised") << QStringLiteral("min") << 0 << QStringLiteral("0") << false;
    QTest::newRow("maximised") << QStringLiteral("max") << 1 << QStringLiteral("2") << true;
}

void TstMainWindow::settingsWrittenAtClose()
{
    QFETCH(QString, state);
    QFETCH(int, recordWidths);
    QFETCH(QString, lastWinState);
    QFETCH(bool, compacts);
    fixture::Catalogue db;
    // Deleted rows leave free pages that only a compaction gives back.
    QList<catalogue::EntryRow> rows;
    for (int i = 0; i < 400; ++i) {
        rows.append(Entry(kUtil, kPage + QString::number(i), QString(200, u'x')));
        rows.last().Description = QString(400, u'y');
    }
    db.addEntries(rows);
    {
        catalogue::Db open;
        QVERIFY(catalogue::OpenDb(open, db.path()));
        QVERIFY(catalogue::DeleteFolderEntries(open, kUtil));
    }
    const qint64 sizeBefore = QFileInfo(db.path()).size();
    config::Settings& s = config::settings();
    s.Left = PixelsToTwips(100, 96.0);
    s.Top = PixelsToTwips(80, 96.0);
    s.Width = PixelsToTwips(640, 96.0);
    s.Height = PixelsToTwips(480, 96.0);
    s.SplitterLeft = PixelsToTwips(150, 96.0);
    s.SortKey = 4;
    s.SortOrder = 1;
    s.Update = 1;
    s.RecordListWidth = recordWidths;
    s.CompactBeforeEnd = 1;
    const QStringList expected{QString::number(s.Top),
                               QString::number(s.Left),
                               QString::number(s.Width),
                               QString::number(s.Height),
                               lastWinState,
                               QString::number(s.SplitterLeft),
                               u"4"_qs,
                               u"1"_qs};

    frmMain window;
    QCOMPARE(LogicalDpi(&window), 96.0);
    fixture::ShowWindow(window);
    window.lstView()->header()->resizeSection(NameColumn, 200);
    if (state == u"min")
        window.showMinimized();
    else if (state == u"max")
        window.showMaximized();
    QTRY_COMPARE(window.isMaximized(), state == u"max");
    QSignalSpy unloaded(&window, &frmMain::unloaded);
    QVERIFY(window.close());
    QCOMPARE(unloaded.count(), 1);

    QStringList written;
    for (const char* key :
         {"Top", "Left", "Width", "Height", "LastWinState", "SplitterLeft", "SortKey", "SortOrder"})
        written << db.ini(u"Window"_qs, QString::fromLatin1(key));
    QCOMPARE(written, expected);
    QCOMPARE(db.ini(u"CACHE"_qs, u"Update"_qs), QStringLiteral("1"));
    QCOMPARE(db.ini(u"Agent"_qs, u"0"_qs), config::ProgramVersionText());
    QCOMPARE(db.ini(u"Window"_qs, u"ListView2"_qs),
             recordWidths ? QString::number(PixelsToTwips(200, 96.0)) : u"<none>"_qs);
    QCOMPARE(QFileInfo(db.path()).size() < sizeBefore, compacts);
}

void TstMainWindow::statusPanelWidths_data()
{
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<QList<int>>("widths"); // path, progress, mark
    QTest::newRow("wide") << 12000 << 11880 << QList<int>{8280, 2600, 1000};
    QTest::newRow("exactly 3600") << 3600 << 3480 << QList<int>{1, 2600, 1000};
    QTest::newRow("narrow") << 3599 << 3480 << QList<int>{1, 1794, 1794};
    QTest::newRow("tiny") << 8 << 0 << QList<int>{1, 0, 0};
}

void TstMainWindow::statusPanelWidths()
{
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(QList<int>, widths);
    const PanelWidths w = StatusPanelWidths(outer, inner);
    QCOMPARE((QList<int>{w.path, w.progress, w.mark}), widths);
}

void TstMainWindow::splitterDragStopsShortOfTheEdges()
{
    fixture::Catalogue db;
    config::settings().Width = PixelsToTwips(600, 96.0);
    config::settings().Height = PixelsToTwips(400, 96.0);
    frmMain window;
    fixture::ShowWindow(window);
    QSplitterHandle* handle = window.splitter()->handle(1);
    const int margin = TwipsToPixels(1000, LogicalDpi(&window));
    const auto listLeft = [&] { return window.lstView()->mapTo(&window, QPoint()).x(); };
    const auto drag = [&](int dx) {
        const QPoint start = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, start);
        QTest::mouseMove(handle, start + QPoint(dx, 0));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, start + QPoint(dx, 0));
    };
    drag(-500);
    QCOMPARE(listLeft(), margin);
    drag(+1000);
    QCOMPARE(listLeft(), window.frameGeometry().width() - margin);
    drag(-100);
    QCOMPARE(listLeft(), window.frameGeometry().width() - margin - 100);
}

void TstMainWindow::netModeMenuAndToolbarShowOneMode()
{
    fixture::Catalogue db;
    frmMain window;
    fixture::ShowWindow(window);
    MainCommands* c = window.commands();
    // Menu order; the stored numbers differ from it.
    const QStringList buttons{u"Online"_qs, u"Cache"_qs, u"CacheDate"_qs, u"OffLine"_qs};
    const QList<int> modes{3, 1, 2, 0};
    const auto checkedItems = [c] {
        QList<int> on;
        for (int i = 0; i < 4; ++i)
            if (c->item(u"mnu_tool_suba", i)->isChecked())
                on.append(i);
        return on;
    };
    QCOMPARE(checkedItems(), QList<int>{3}); // the stored offline mode
    for (int i = 0; i < 4; ++i) {
        // Choosing the checked item again keeps it checked.
        c->item(u"mnu_tool_suba", i)->trigger();
        c->item(u"mnu_tool_suba", i)->trigger();
        QCOMPARE(config::settings().Update, modes[i]);
        QCOMPARE(checkedItems(), QList<int>{i});
        QCOMPARE(c->modeButtons()->checkedAction(), c->button(buttons[i]));
        // The next mode's toolbar button moves the menu's check with it.
        const int next = (i + 1) % 4;
        QTest::mouseClick(c->toolbar()->widgetForAction(c->button(buttons[next])), Qt::LeftButton);
        QCOMPARE(config::settings().Update, modes[next]);
        QCOMPARE(checkedItems(), QList<int>{next});
    }
    // A mode outside 0 to 3 clears the menu.
    window.SetNetMode(7);
    QVERIFY(checkedItems().isEmpty());
}

void TstMainWindow::everyCommandIsLive()
{
    fixture::Catalogue db;
    AddUtilFolder(db);
    frmMain window;
    ShowAt(window, kUtil); // one entry selected: the rules would enable most items
    MainCommands* c = window.commands();
    // What the rules enable for one priced pick-up entry is live; help needs its pages in the
    // program folder.
    const QList<QPair<QString, int>> working{
        {u"mnu_file_sub"_qs, 1},    {u"mnu_file_sub"_qs, 2},    {u"mnu_edit_sub"_qs, 0},
        {u"mnu_edit_sub"_qs, 3},    {u"mnu_ope_sub"_qs, 0},     {u"mnu_ope_sub"_qs, 2},
        {u"mnu_rclick_sub"_qs, 2},  {u"mnu_rclick_sub"_qs, 99}, {u"mnu_help_sub"_qs, 1},
        {u"mnu_refresh_sub"_qs, 0}, {u"mnu_refresh_sub"_qs, 1}, {u"mnu_frclick_sub"_qs, 99},
        {u"mnu_ope_subc"_qs, 0},    {u"mnu_rclick_subd"_qs, 1}, {u"mnu_ope_sub"_qs, 1},
        {u"mnu_rclick_sub"_qs, 7},  {u"mnu_ope_subb"_qs, 0},    {u"mnu_rclick_subc"_qs, 3},
    };
    for (const auto& [array, index] : working)
        QVERIFY2(c->item(array, index)->isEnabled(), qPrintable(ItemName(array, index)));
    for (QStringView menu :
         {u"mnu_rclick_suba", u"mnu_rclick_subb", u"mnu_edit_suba", u"mnu_ope_suba"}) {
        for (int kind : {0, 1, 2, 3, 4})
            QVERIFY2(c->item(menu, kind)->isEnabled(), qPrintable(ItemName(menu, kind)));
    }
    QVERIFY(c->item(u"mnu_edit_suba", 6)->isEnabled());
    QVERIFY(c->item(u"mnu_rclick_subb", 6)->isEnabled());
    QVERIFY(!c->item(u"mnu_help_sub", 0)->isEnabled());
    QVERIFY(c->button(u"Refresh")->isEnabled());
    QVERIFY(c->button(u"Property")->isEnabled());
    for (QStringView key : {u"Search", u"Save", u"Setting"})
        QVERIFY2(c->button(key)->isEnabled(), qPrintable(key.toString()));
    for (int item : {1, 2})
        QVERIFY(c->item(u"mnu_tool_sub", item)->isEnabled());
    QVERIFY(c->item(u"mnu_edit_sub", 5)->isEnabled());
    QVERIFY(c->item(u"mnu_file_sub", 0)->isEnabled());
}

void TstMainWindow::updateCommandsNeedTheUpdateWindow()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    msg::ScriptedSink sink;
    frmMain window;
    ShowAt(window, kWin);
    MainCommands* c = window.commands();
    QVERIFY(!c->item(u"mnu_refresh_sub", 2)->isEnabled());
    QVERIFY(!c->button(u"RefreshClass")->isEnabled());

    QStringList targets;
    window.setUpdateWindowRunner([&targets, &db](QWidget*, update::RunObserver*) {
        targets.append(update::runState().UpdateTargetUrl);
        db.addFolder(kUtil + QStringLiteral("new/"), QStringLiteral("新しい"));
    });
    QVERIFY(c->button(u"RefreshClass")->isEnabled());
    sink.answerNext(msg::Answer::Yes);
    c->button(u"RefreshClass")->trigger();
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].title, QStringLiteral("Windows 以下のカテゴリ更新"));
    QCOMPARE(sink.shown[0].defaultAnswer, msg::Answer::No);
    QCOMPARE(targets, QStringList{kWin});
    // The branch below the folder is read again and shows what the run found.
    QVERIFY(window.tview()->Node(kUtil + QStringLiteral("new/")));
    // The library root is read from the area's start page, in the library's own area even when
    // the new arrivals were opened last.
    update::runState().CurrentArea = 1;
    window.tview()->SelectNode(window.tview()->Node(kLibrary));
    sink.answerNext(msg::Answer::Yes);
    c->item(u"mnu_refresh_sub", 2)->trigger();
    QCOMPARE(targets, (QStringList{kWin, config::AreaUrls[0]}));
    QCOMPARE(update::runState().CurrentArea, 0);
    window.tview()->SelectNode(window.tview()->Node(kWin));

    // Answering No (the default) runs nothing.
    c->item(u"mnu_refresh_sub", 3)->trigger();
    QCOMPARE(sink.shown.size(), 3);
    QCOMPARE(sink.shown[2].title, QStringLiteral("全カテゴリ更新"));
    QCOMPARE(targets.size(), 2);
    update::runState().UpdateTargetUrl.clear();
}

void TstMainWindow::selectionDrivesStatusAndCommands()
{
    fixture::Catalogue db;
    AddUtilFolder(db);
    frmMain window;
    ShowAt(window, kUtil);
    MainCommands* c = window.commands();
    QCOMPARE(window.StatusText(1), QStringLiteral("Windows > ユーティリティ"));
    QCOMPARE(window.StatusText(2), QStringLiteral("選択数:   1 / ライブラリ数:   3"));
    // First row: a priced pick-up entry without a news article.
    QCOMPARE(window.currentEntry().downloadPage, update::DownloadPageUrl(kPage));
    for (QStringView menu :
         {u"mnu_rclick_suba", u"mnu_rclick_subb", u"mnu_edit_suba", u"mnu_ope_suba"}) {
        QVERIFY(c->item(menu, 4)->isEnabled());
        QVERIFY(!c->item(menu, 5)->isEnabled());
    }
    QVERIFY(c->button(u"AddFavorites")->isEnabled());
    QVERIFY(!c->button(u"DeleteFavorites")->isEnabled());
    QVERIFY(c->item(u"mnu_ope_sub", 0)->isEnabled());

    // Several rows: the single-entry commands go off, adding favourites stays on.
    c->item(u"mnu_edit_sub", 0)->trigger(); // すべて選択
    QCOMPARE(window.StatusText(2), QStringLiteral("選択数:   3 / ライブラリ数:   3"));
    QCOMPARE(window.StatusText(3), QString());
    QVERIFY(!c->item(u"mnu_ope_sub", 0)->isEnabled());
    QVERIFY(!c->item(u"mnu_edit_sub", 3)->isEnabled());
    QVERIFY(!c->item(u"mnu_rclick_sub", 0)->isEnabled());
    QVERIFY(c->item(u"mnu_rclick_sub", 4)->isEnabled());
    QVERIFY(c->button(u"AddFavorites")->isEnabled());
    // Inverting a full selection leaves nothing selected; the folder path stays.
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(window.StatusText(2), QStringLiteral("選択数:   0 / ライブラリ数:   3"));
    QCOMPARE(window.StatusText(1), QStringLiteral("Windows > ユーティリティ"));

    // The favourites view lists the marked entry with its own folder path, and the add/remove
    // pair is the other way round.
    fixture::ClickNode(window, QStringLiteral("Favorites"));
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), QStringList{QStringLiteral("gamma")});
    QCOMPARE(window.StatusText(1), QStringLiteral("Windows > ユーティリティ"));
    QVERIFY(!c->button(u"AddFavorites")->isEnabled());
    QVERIFY(c->button(u"DeleteFavorites")->isEnabled());
    QVERIFY(c->item(u"mnu_rclick_sub", 5)->isEnabled());
}

void TstMainWindow::folderMenuStates_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("below");
    QTest::addColumn<bool>("browser");
    QTest::newRow("favourites") << QStringLiteral("Favorites") << false << false << false;
    QTest::newRow("new-arrivals root") << kNewArrivals << true << false << false;
    QTest::newRow("library root") << kLibrary << true << true << false;
    QTest::newRow("new-arrivals folder")
        << kNewArrivals + QStringLiteral("win/") << true << false << true;
    QTest::newRow("library folder") << kWin << true << true << true;
}

void TstMainWindow::folderMenuStates()
{
    QFETCH(QString, key);
    QFETCH(bool, update);
    QFETCH(bool, below);
    QFETCH(bool, browser);
    fixture::Catalogue db;
    frmMain window;
    window.setUpdateWindowRunner([](QWidget*, update::RunObserver*) {});
    MainCommands* c = window.commands();
    SetFolderMenuStates(*c, key);
    QCOMPARE(c->item(u"mnu_frclick_sub", 0)->isEnabled(), update);
    QCOMPARE(c->item(u"mnu_frclick_sub", 1)->isEnabled(), below);
    QCOMPARE(c->item(u"mnu_frclick_sub", 3)->isEnabled(), browser);
}

void TstMainWindow::rightClickChoosingNothingKeepsTheView()
{
    fixture::Catalogue db;
    AddUtilFolder(db);
    frmMain window;
    ShowAt(window, kUtil);
    FolderTree* tree = window.tview();
    const QPoint at = tree->visualItemRect(tree->Node(kLibrary + QStringLiteral("mac/"))).center();
    DismissNextPopup();
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, at);
    QCOMPARE(tree->SelectedKey(), kUtil);
    QCOMPARE(window.lstView()->RowCount(), 3);
    QCOMPARE(window.StatusText(1), QStringLiteral("Windows > ユーティリティ"));
}

void TstMainWindow::dropOnFavouritesMarksTheSelectedRows_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<msg::Answer>("answer");
    QTest::addColumn<int>("favourites");
    QTest::newRow("on the favourites") << QStringLiteral("Favorites") << msg::Answer::Yes << 3;
    QTest::newRow("answered No") << QStringLiteral("Favorites") << msg::Answer::No << 1;
    QTest::newRow("on a folder") << kWin << msg::Answer::Yes << 1;
}

void TstMainWindow::dropOnFavouritesMarksTheSelectedRows()
{
    QFETCH(QString, target);
    QFETCH(msg::Answer, answer);
    QFETCH(int, favourites);
    fixture::Catalogue db;
    AddUtilFolder(db); // one entry is a favourite already
    msg::ScriptedSink sink;
    frmMain window;
    ShowAt(window, kUtil);
    window.lstView()->SelectRows(0);
    sink.answerNext(answer);
    bool accepted = false;
    SendDrop(window.tview(), target, &accepted);
    QCOMPARE(accepted, target == u"Favorites");

    int marked = 0;
    for (const catalogue::EntryRow& row : UtilEntries())
        marked += db.entry(row.BaseURL, row.TargetURL)->Favorites;
    QCOMPARE(marked, favourites);
    if (target != u"Favorites") {
        QVERIFY(sink.shown.isEmpty());
    } else {
        QCOMPARE(sink.shown[0].text, QStringLiteral("選択された項目をお気に入りに追加しますか?"));
        QCOMPARE(sink.shown.size(), answer == msg::Answer::Yes ? 2 : 1);
    }
    if (favourites == 3) // every selected row counts, the one marked already included
        QCOMPARE(sink.shown[1].text, QStringLiteral("3件のライブラリをお気に入りに追加しました。"));
    // The view shown does not change.
    QCOMPARE(window.tview()->SelectedKey(), kUtil);
}

void TstMainWindow::removingFavouritesRefillsTheView()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    QList<catalogue::EntryRow> rows = UtilEntries();
    for (catalogue::EntryRow& row : rows)
        row.Favorites = true;
    db.addEntries(rows);
    msg::ScriptedSink sink;
    frmMain window;
    ShowAt(window, QStringLiteral("Favorites"));
    sink.answerNext(msg::Answer::Yes);
    window.commands()->button(u"DeleteFavorites")->trigger();
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].title, QStringLiteral("削除の確認"));
    QCOMPARE(sink.shown[0].defaultAnswer, msg::Answer::No);
    QVERIFY(!db.entry(kUtil, kPage)->Favorites);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn),
             (QStringList{QStringLiteral("Alpha"), QStringLiteral("gamma")}));
    QCOMPARE(window.lstView()->SelectedRows(), QList<int>{0});
}

void TstMainWindow::doubleClickOpensThePageOfTheSetting_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<QString>("opened");
    QTest::newRow("nothing") << 0 << QString();
    QTest::newRow("detail page") << 1 << kPage;
    QTest::newRow("download page") << 2 << update::DownloadPageUrl(kPage);
    QTest::newRow("author page") << 3 << QStringLiteral("http://author.example/");
    QTest::newRow("archive address")
        << 4 << QStringLiteral("http://dl.talvex.example/pub/win/tv000123.zip");
}

void TstMainWindow::doubleClickOpensThePageOfTheSetting()
{
    QFETCH(int, setting);
    QFETCH(QString, opened);
    fixture::Catalogue db;
    AddUtilFolder(db);
    config::settings().OpenBrowserDoubleClick = setting;
    frmMain window;
    QStringList urls;
    window.setUrlOpener([&urls](const QString& url) { urls.append(url); });
    ShowAt(window, kUtil);
    SoftwareList* list = window.lstView();
    const QPoint row = list->visualRect(list->listModel()->index(0, NameColumn)).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    // Below the last row nothing is hit.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       QPoint(row.x(), list->viewport()->height() - 2));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    const QStringList expected = opened.isEmpty() ? QStringList() : QStringList{opened, opened};
    QCOMPARE(urls, expected);
}

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
