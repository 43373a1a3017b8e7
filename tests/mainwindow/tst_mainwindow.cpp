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
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <QToolBar>

using namespace mainwindow;
using fixture::Entry;
using fixture::kLibrary;
using fixture::kNewArrivals;

namespace {

const QString kWin = kLibrary + QStringLiteral("win/");
const QString kUtil = kWin + QStringLiteral("util/");
const QString kDisk = kUtil + QStringLiteral("disk/");
const QString kPage = config::SiteRoot + QStringLiteral("soft/se000123.html");

// The library's Windows branch three levels deep, a folder whose parent row is missing, and a
// new-arrivals folder.
void AddFolderTree(const fixture::Catalogue& db)
{
    db.addFolder(kWin, QStringLiteral("Windows"));
    db.addFolder(kUtil, QStringLiteral("ユーティリティ"));
    db.addFolder(kDisk, QStringLiteral("ディスク"));
    db.addFolder(kDisk + QStringLiteral("tools/"), QStringLiteral("ツール"));
    db.addFolder(kLibrary + QStringLiteral("mac/"), QStringLiteral("Macintosh"));
    db.addFolder(kLibrary + QStringLiteral("dos/game/"), QStringLiteral("迷子"));
    db.addFolder(kNewArrivals + QStringLiteral("win/"), QStringLiteral("新着Windows"));
}

// Three entries of the util folder: names, sizes, marks and prices differ.
QList<catalogue::EntryRow> UtilEntries()
{
    catalogue::EntryRow a = Entry(kUtil, kPage, QStringLiteral("beta"));
    a.FileSize = 1234;
    a.RegiMoney = 1500;
    a.PickUpURL = config::SiteRoot + QStringLiteral("pickup/1.html");
    a.AuthorURL = QStringLiteral("http://author.example/");
    catalogue::EntryRow b = Entry(kUtil, config::SiteRoot + QStringLiteral("soft/se000200.html"),
                                  QStringLiteral("Alpha"));
    b.FileSize = 90;
    b.NewFlag = 1;
    b.NewsURL = config::SiteRoot + QStringLiteral("news/2.html");
    catalogue::EntryRow c = Entry(kUtil, config::SiteRoot + QStringLiteral("soft/se000300.html"),
                                  QStringLiteral("gamma"));
    c.FileType = 2;
    c.Favorites = true;
    return {a, b, c};
}

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
    void nodePathsForTheStatusBar_data();
    void nodePathsForTheStatusBar();
    void rowFormatting_data();
    void rowFormatting();
    void fillShowsTypeColoursAndSelectsFirstRow();
    void searchViewKeepsToSearchMax();
    void headerClicksToggleTheSortOrder();
    void iconColumnSortsByTheHiddenMark();
    void sortRoleGivesTypedValues();
    void statusPanelsFollowTheSelection();
    void favouritesViewShowsTheEntryCategoryPath();
    void clickingAnAreaRootSetsTheAreaAndListsItsOwnKey();
    void onlineModeReachesForTheSiteOnlyFromFolders();
    void firstStartUsesSeventyPercentCentred();
    void settingsWrittenAtClose_data();
    void settingsWrittenAtClose();
    void statusPanelWidths_data();
    void statusPanelWidths();
    void splitterDragStopsShortOfTheEdges();
    void netModeShowsExactlyOneMode_data();
    void netModeShowsExactlyOneMode();
    void toolbarModeButtonsAreExclusive();
    void unbuiltCommandsStayDisabled();
    void updateCommandsNeedTheUpdateWindow();
    void commandStatesFollowTheSelection();
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
    QCOMPARE(win->data(0, FolderTree::TagRole).toString(), QStringLiteral("OK"));
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

void TstMainWindow::nodePathsForTheStatusBar_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("path");
    QTest::newRow("three levels") << kDisk << QStringLiteral("Windows > ユーティリティ > ディスク");
    QTest::newRow("first level") << kWin << QStringLiteral("Windows");
    QTest::newRow("area root") << kLibrary << QString();
    QTest::newRow("favourites") << QStringLiteral("Favorites") << QStringLiteral("お気に入り");
    QTest::newRow("search") << QStringLiteral("Search") << QStringLiteral("検索結果");
}

void TstMainWindow::nodePathsForTheStatusBar()
{
    QFETCH(QString, key);
    QFETCH(QString, path);
    fixture::Catalogue db;
    AddFolderTree(db);
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, key);
    QCOMPARE(window.StatusText(1), path);
}

void TstMainWindow::rowFormatting_data()
{
    QTest::addColumn<std::optional<qint64>>("size");
    QTest::addColumn<qint64>("price");
    QTest::addColumn<QString>("pickUp");
    QTest::addColumn<QString>("news");
    QTest::addColumn<int>("newFlag");
    QTest::addColumn<QString>("sizeText");
    QTest::addColumn<QString>("priceText");
    QTest::addColumn<QString>("mark");
    QTest::addColumn<int>("icon");
    const QString p = QStringLiteral("http://p/");
    const QString n = QStringLiteral("http://n/");
    const std::optional<qint64> none;
    QTest::newRow("plain") << std::optional<qint64>(1234) << qint64(1500) << QString() << QString()
                           << 0 << QStringLiteral("  1234") << QStringLiteral("  1,500")
                           << QStringLiteral("---") << 4;
    QTest::newRow("pick-up and new")
        << none << qint64(0) << p << QString() << 1 << QStringLiteral("---") << QStringLiteral(" ")
        << QStringLiteral("P-N") << 1;
    QTest::newRow("all three marks")
        << std::optional<qint64>(0) << qint64(1234567) << p << n << 1 << QStringLiteral("---")
        << QStringLiteral("1,234,567") << QStringLiteral("PRN") << 3;
    QTest::newRow("new with news")
        << std::optional<qint64>(123456) << qint64(100) << QString() << n << 1
        << QStringLiteral("123456") << QStringLiteral("    100") << QStringLiteral("-RN") << 3;
    QTest::newRow("new only") << std::optional<qint64>(5) << qint64(0) << QString() << QString()
                              << 1 << QStringLiteral("     5") << QStringLiteral(" ")
                              << QStringLiteral("--N") << 2;
}

void TstMainWindow::rowFormatting()
{
    QFETCH(std::optional<qint64>, size);
    QFETCH(qint64, price);
    QFETCH(QString, pickUp);
    QFETCH(QString, news);
    QFETCH(int, newFlag);
    QFETCH(QString, sizeText);
    QFETCH(QString, priceText);
    QFETCH(QString, mark);
    QFETCH(int, icon);
    TestFolder folder;
    fixture::FirstStartSettings(QString());
    catalogue::EntryRow entry = Entry(kUtil, kPage, QStringLiteral("x"));
    entry.FileSize = size;
    entry.RegiMoney = price;
    entry.PickUpURL = pickUp;
    entry.NewsURL = news;
    entry.NewFlag = newFlag;
    const ListRow row = MakeListRow(entry);
    QCOMPARE(row.text[SizeColumn], sizeText);
    QCOMPARE(row.text[PriceColumn], priceText);
    QCOMPARE(row.text[MarkColumn], mark);
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
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kUtil);

    const SoftwareListModel* model = window.lstView()->listModel();
    QCOMPARE(model->rowCount(), 3);
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
    QCOMPARE(model->index(0, IconColumn).data(SoftwareListModel::KeyRole).toString(), kPage);
    QCOMPARE(model->index(0, IconColumn).data(SoftwareListModel::BaseRole).toString(), kUtil);
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
    fixture::ShowWindow(window);
    fixture::ClickNode(window, QStringLiteral("Search"));
    QCOMPARE(fixture::ColumnTexts(window, NameColumn),
             (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("3")}));
}

void TstMainWindow::headerClicksToggleTheSortOrder()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries(UtilEntries());
    config::settings().SortKey = 1;
    config::settings().SortOrder = 0;
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kUtil);
    const SoftwareListModel* model = window.lstView()->listModel();
    const QStringList ascending{QStringLiteral("Alpha"), QStringLiteral("beta"),
                                QStringLiteral("gamma")};
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), ascending);
    QCOMPARE(model->headerImage(NameColumn), 0);

    fixture::ClickHeader(window, NameColumn);
    QCOMPARE(model->sortOrder(), Qt::DescendingOrder);
    QCOMPARE(
        fixture::ColumnTexts(window, NameColumn),
        (QStringList{QStringLiteral("gamma"), QStringLiteral("beta"), QStringLiteral("Alpha")}));
    QCOMPARE(model->headerImage(NameColumn), 1);

    fixture::ClickHeader(window, NameColumn);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), ascending);
    QCOMPARE(model->headerImage(NameColumn), 0);

    // Moving to another column toggles as well: ascending was last, so sizes come descending,
    // the missing size last.
    fixture::ClickHeader(window, SizeColumn);
    QCOMPARE(
        fixture::ColumnTexts(window, SizeColumn),
        (QStringList{QStringLiteral("  1234"), QStringLiteral("    90"), QStringLiteral("---")}));
    QCOMPARE(model->headerImage(SizeColumn), 1);
    QCOMPARE(model->headerImage(NameColumn), -1);
}

void TstMainWindow::iconColumnSortsByTheHiddenMark()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries(UtilEntries());
    config::settings().SortKey = 8;
    config::settings().SortOrder = 1;
    frmMain window;
    fixture::ShowWindow(window);
    const SoftwareListModel* model = window.lstView()->listModel();
    // A stored mark sort shows its arrow on the icon column.
    QCOMPARE(model->headerImage(IconColumn), 1);
    QCOMPARE(model->headerImage(MarkColumn), -1);
    fixture::ClickNode(window, kUtil);
    QCOMPARE(fixture::ColumnTexts(window, MarkColumn),
             (QStringList{QStringLiteral("P--"), QStringLiteral("-RN"), QStringLiteral("---")}));

    fixture::ClickHeader(window, IconColumn);
    QCOMPARE(model->sortColumn(), int(MarkColumn));
    QCOMPARE(model->sortOrder(), Qt::AscendingOrder);
    QCOMPARE(fixture::ColumnTexts(window, MarkColumn),
             (QStringList{QStringLiteral("---"), QStringLiteral("-RN"), QStringLiteral("P--")}));
    QCOMPARE(model->headerImage(IconColumn), 0);
}

void TstMainWindow::sortRoleGivesTypedValues()
{
    TestFolder folder;
    fixture::FirstStartSettings(QString());
    catalogue::EntryRow dated = Entry(kUtil, kPage, QStringLiteral("a"));
    dated.OpenDate = QDateTime(QDate(1999, 12, 31), QTime());
    dated.FileSize = 7;
    dated.RegiMoney = 2000;
    catalogue::EntryRow undated = Entry(kUtil, kPage + u'2', QStringLiteral("b"));
    SoftwareListModel model;
    model.setEntries({dated, undated});
    const auto value = [&model](int row, int column) {
        return model.index(row, column).data(SoftwareListModel::SortRole);
    };
    QCOMPARE(value(0, SizeColumn), QVariant(qint64(7)));
    QCOMPARE(value(0, PriceColumn), QVariant(qint64(2000)));
    QCOMPARE(value(0, DateColumn), QVariant(QDate(1999, 12, 31)));
    QCOMPARE(value(1, SizeColumn), QVariant(qint64(-1)));
    QCOMPARE(value(1, DateColumn), QVariant(QDate()));
    // Entries without a date sort before every dated one.
    model.sort(DateColumn, Qt::AscendingOrder);
    QCOMPARE(model.rowAt(0).text[NameColumn], QStringLiteral("b"));
    model.sort(DateColumn, Qt::DescendingOrder);
    QCOMPARE(model.rowAt(0).text[NameColumn], QStringLiteral("a"));
}

void TstMainWindow::statusPanelsFollowTheSelection()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries(UtilEntries());
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kUtil);
    QCOMPARE(window.StatusText(1), QStringLiteral("Windows > ユーティリティ"));
    QCOMPARE(window.StatusText(2), QStringLiteral("選択数:   1 / ライブラリ数:   3"));
    QCOMPARE(window.StatusText(3), QStringLiteral("P--"));

    window.commands()->item(u"mnu_edit_sub", 0)->trigger(); // すべて選択
    QCOMPARE(window.StatusText(2), QStringLiteral("選択数:   3 / ライブラリ数:   3"));
    QCOMPARE(window.StatusText(3), QString());
    // Inverting a full selection leaves nothing selected.
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(window.lstView()->SelectedCount(), 0);
    QCOMPARE(window.StatusText(2), QStringLiteral("選択数:   0 / ライブラリ数:   3"));
    // A folder path stays in panel 1 whatever the selection.
    QCOMPARE(window.StatusText(1), QStringLiteral("Windows > ユーティリティ"));
}

void TstMainWindow::favouritesViewShowsTheEntryCategoryPath()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries(UtilEntries()); // gamma is a favourite
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, QStringLiteral("Favorites"));
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), QStringList{QStringLiteral("gamma")});
    QCOMPARE(window.StatusText(1), QStringLiteral("Windows > ユーティリティ"));
}

void TstMainWindow::clickingAnAreaRootSetsTheAreaAndListsItsOwnKey()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries({Entry(kLibrary, kPage, QStringLiteral("root entry")),
                   Entry(config::AreaUrls[0], kPage, QStringLiteral("start page entry")),
                   Entry(kNewArrivals + QStringLiteral("win/"), kPage, QStringLiteral("new"))});
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kNewArrivals + QStringLiteral("win/"));
    QCOMPARE(update::runState().CurrentArea, 1);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), QStringList{QStringLiteral("new")});
    fixture::ClickNode(window, kLibrary);
    QCOMPARE(update::runState().CurrentArea, 0);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), QStringList{QStringLiteral("root entry")});
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
    fixture::ShowWindow(window);
    fixture::ClickNode(window, QStringLiteral("Search"));
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
    const double dpi = LogicalDpi(&window);
    QCOMPARE(window.splitter()->SplitterLeft(), TwipsToPixels(2940, dpi));
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
    const double dpi = 96.0;
    s.Left = PixelsToTwips(100, dpi);
    s.Top = PixelsToTwips(80, dpi);
    s.Width = PixelsToTwips(640, dpi);
    s.Height = PixelsToTwips(480, dpi);
    s.SplitterLeft = PixelsToTwips(150, dpi);
    s.SortKey = 4;
    s.SortOrder = 1;
    s.Update = 1;
    s.RecordListWidth = recordWidths;
    s.CompactBeforeEnd = 1;
    const QStringList expected{QString::number(s.Top), QString::number(s.Left),
                               QString::number(s.Width), QString::number(s.Height)};

    frmMain window;
    QCOMPARE(LogicalDpi(&window), dpi);
    fixture::ShowWindow(window);
    window.lstView()->header()->resizeSection(NameColumn, 200);
    if (state == u"min")
        window.showMinimized();
    else if (state == u"max")
        window.showMaximized();
    QTRY_COMPARE(window.isMaximized(), state == u"max");
    QCOMPARE(window.isMinimized(), state == u"min");
    QSignalSpy unloaded(&window, &frmMain::unloaded);
    QVERIFY(window.close());
    QCOMPARE(unloaded.count(), 1);

    const auto w = [&db](const char* key) {
        return db.ini(u"Window"_qs, QString::fromLatin1(key));
    };
    QCOMPARE((QStringList{w("Top"), w("Left"), w("Width"), w("Height")}), expected);
    QCOMPARE(w("LastWinState"), lastWinState);
    QCOMPARE(w("SplitterLeft"), QString::number(PixelsToTwips(150, dpi)));
    QCOMPARE(w("SortKey"), QStringLiteral("4"));
    QCOMPARE(w("SortOrder"), QStringLiteral("1"));
    QCOMPARE(db.ini(u"CACHE"_qs, u"Update"_qs), QStringLiteral("1"));
    QCOMPARE(db.ini(u"Agent"_qs, u"0"_qs), config::ProgramVersionText());
    if (recordWidths == 1) {
        QCOMPARE(w("ListView2"), QString::number(PixelsToTwips(200, dpi)));
        QCOMPARE(w("ListView9"), QStringLiteral("0"));
        QCOMPARE(s.ListViewWidths[1], PixelsToTwips(200, dpi));
    } else {
        QCOMPARE(w("ListView2"), QStringLiteral("<none>"));
    }
    QCOMPARE(s.LastWinState, lastWinState.toInt());
    QCOMPARE(QFileInfo(db.path()).size() < sizeBefore, compacts);
}

void TstMainWindow::statusPanelWidths_data()
{
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("path");
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("mark");
    QTest::newRow("wide") << 12000 << 11880 << 8280 << 2600 << 1000;
    QTest::newRow("exactly 3600") << 3600 << 3480 << 1 << 2600 << 1000;
    QTest::newRow("narrow") << 3599 << 3480 << 1 << 1794 << 1794;
    QTest::newRow("tiny") << 8 << 0 << 1 << 0 << 0;
}

void TstMainWindow::statusPanelWidths()
{
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(int, path);
    QFETCH(int, progress);
    QFETCH(int, mark);
    const PanelWidths w = StatusPanelWidths(outer, inner);
    QCOMPARE(w.path, path);
    QCOMPARE(w.progress, progress);
    QCOMPARE(w.mark, mark);
}

void TstMainWindow::splitterDragStopsShortOfTheEdges()
{
    fixture::Catalogue db;
    config::settings().Width = PixelsToTwips(600, 96.0);
    config::settings().Height = PixelsToTwips(400, 96.0);
    frmMain window;
    fixture::ShowWindow(window);
    MainSplitter* splitter = window.splitter();
    QSplitterHandle* handle = splitter->handle(1);
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

void TstMainWindow::netModeShowsExactlyOneMode_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("button");
    QTest::newRow("online") << 0 << 3 << QStringLiteral("Online");
    QTest::newRow("cache") << 1 << 1 << QStringLiteral("Cache");
    QTest::newRow("cache-date") << 2 << 2 << QStringLiteral("CacheDate");
    QTest::newRow("offline") << 3 << 0 << QStringLiteral("OffLine");
}

void TstMainWindow::netModeShowsExactlyOneMode()
{
    QFETCH(int, item);
    QFETCH(int, mode);
    QFETCH(QString, button);
    fixture::Catalogue db;
    frmMain window;
    MainCommands* c = window.commands();
    // The stored mode (offline) shows first, then the menu choice replaces it.
    QVERIFY(c->item(u"mnu_tool_suba", 3)->isChecked());
    c->item(u"mnu_tool_suba", item)->trigger();
    QCOMPARE(config::settings().Update, mode);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(c->item(u"mnu_tool_suba", i)->isChecked(), i == item);
    QCOMPARE(c->modeButtons()->checkedAction(), c->button(button));
    // Choosing the checked item again keeps it checked.
    c->item(u"mnu_tool_suba", item)->trigger();
    QVERIFY(c->item(u"mnu_tool_suba", item)->isChecked());
    // A mode outside 0 to 3 clears the menu and leaves the toolbar.
    window.SetNetMode(7);
    for (int i = 0; i < 4; ++i)
        QVERIFY(!c->item(u"mnu_tool_suba", i)->isChecked());
    QCOMPARE(c->modeButtons()->checkedAction(), c->button(button));
}

void TstMainWindow::toolbarModeButtonsAreExclusive()
{
    fixture::Catalogue db;
    frmMain window;
    fixture::ShowWindow(window);
    MainCommands* c = window.commands();
    QToolBar* bar = c->toolbar();
    const QList<QPair<QString, int>> clicks{{QStringLiteral("OffLine"), 0},
                                            {QStringLiteral("Online"), 3},
                                            {QStringLiteral("Online"), 3},
                                            {QStringLiteral("Cache"), 1}};
    for (const auto& [key, mode] : clicks) {
        QWidget* tool = bar->widgetForAction(c->button(key));
        QTest::mouseClick(tool, Qt::LeftButton);
        QCOMPARE(config::settings().Update, mode);
        int pressed = 0;
        for (QAction* a : c->modeButtons()->actions())
            pressed += a->isChecked();
        QCOMPARE(pressed, 1);
        QVERIFY(c->button(key)->isChecked());
    }
    QVERIFY(c->item(u"mnu_tool_suba", 1)->isChecked());
}

void TstMainWindow::unbuiltCommandsStayDisabled()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries(UtilEntries());
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kUtil); // one entry selected: the rules would enable most items
    MainCommands* c = window.commands();
    const QList<QPair<QString, int>> items{
        {u"mnu_file_sub"_qs, 0},     {u"mnu_edit_sub"_qs, 5},    {u"mnu_ope_sub"_qs, 1},
        {u"mnu_ope_sub"_qs, 2},      {u"mnu_rclick_sub"_qs, 2},  {u"mnu_rclick_sub"_qs, 7},
        {u"mnu_rclick_sub"_qs, 99},  {u"mnu_tool_sub"_qs, 1},    {u"mnu_tool_sub"_qs, 2},
        {u"mnu_help_sub"_qs, 0},     {u"mnu_help_sub"_qs, 1},    {u"mnu_frclick_sub"_qs, 5},
        {u"mnu_frclick_sub"_qs, 99}, {u"mnu_ope_suba"_qs, 2},    {u"mnu_ope_suba"_qs, 3},
        {u"mnu_edit_suba"_qs, 6},    {u"mnu_rclick_subb"_qs, 6},
    };
    for (const auto& [array, index] : items) {
        QAction* a = c->item(array, index);
        QVERIFY2(a, qPrintable(ItemName(array, index)));
        QVERIFY2(!a->isEnabled(), qPrintable(ItemName(array, index)));
    }
    for (QStringView key : {u"Save", u"Search", u"Property", u"Setting"})
        QVERIFY2(!c->button(key)->isEnabled(), qPrintable(key.toString()));
    // What the window carries out itself is enabled.
    for (const auto& [array, index] : QList<QPair<QString, int>>{{u"mnu_file_sub"_qs, 1},
                                                                 {u"mnu_file_sub"_qs, 2},
                                                                 {u"mnu_edit_sub"_qs, 0},
                                                                 {u"mnu_ope_suba"_qs, 0},
                                                                 {u"mnu_ope_suba"_qs, 1},
                                                                 {u"mnu_ope_suba"_qs, 4},
                                                                 {u"mnu_refresh_sub"_qs, 0},
                                                                 {u"mnu_refresh_sub"_qs, 1}})
        QVERIFY2(c->item(array, index)->isEnabled(), qPrintable(ItemName(array, index)));
    QVERIFY(c->button(u"Refresh")->isEnabled());
}

void TstMainWindow::updateCommandsNeedTheUpdateWindow()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    msg::ScriptedSink sink;
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kWin);
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

    // Answering No (the default) runs nothing.
    c->item(u"mnu_refresh_sub", 3)->trigger();
    QCOMPARE(sink.shown.size(), 2);
    QCOMPARE(sink.shown[1].title, QStringLiteral("全カテゴリ更新"));
    QCOMPARE(targets.size(), 1);
    update::runState().UpdateTargetUrl.clear();
}

void TstMainWindow::commandStatesFollowTheSelection()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries(UtilEntries());
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kUtil);
    MainCommands* c = window.commands();
    // First row: a priced pick-up entry without a news article.
    QCOMPARE(window.currentEntry().page, kPage);
    QCOMPARE(window.currentEntry().downloadPage, update::DownloadPageUrl(kPage));
    for (QStringView menu :
         {u"mnu_rclick_suba", u"mnu_rclick_subb", u"mnu_edit_suba", u"mnu_ope_suba"}) {
        QVERIFY(c->item(menu, 4)->isEnabled());
        QVERIFY(!c->item(menu, 5)->isEnabled());
    }
    QVERIFY(c->button(u"AddFavorites")->isEnabled());
    QVERIFY(!c->button(u"DeleteFavorites")->isEnabled());
    QVERIFY(c->item(u"mnu_ope_sub", 0)->isEnabled());

    // Two rows: the single-entry commands go off, adding favourites stays on.
    window.lstView()->selectionModel()->select(window.lstView()->listModel()->index(1, 0),
                                               QItemSelectionModel::Select |
                                                   QItemSelectionModel::Rows);
    QVERIFY(!c->item(u"mnu_ope_sub", 0)->isEnabled());
    QVERIFY(!c->item(u"mnu_edit_sub", 3)->isEnabled());
    QVERIFY(!c->item(u"mnu_rclick_sub", 0)->isEnabled());
    QVERIFY(c->item(u"mnu_rclick_sub", 4)->isEnabled());
    QVERIFY(c->button(u"AddFavorites")->isEnabled());

    // In the favourites view the pair is the other way round.
    fixture::ClickNode(window, QStringLiteral("Favorites"));
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
    QTest::newRow("search") << QStringLiteral("Search") << false << false << false;
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
    // Deleting and the folder properties are not carried out by this window yet.
    QVERIFY(!c->item(u"mnu_frclick_sub", 5)->isEnabled());
    QVERIFY(!c->item(u"mnu_frclick_sub", 99)->isEnabled());
}

void TstMainWindow::rightClickChoosingNothingKeepsTheView()
{
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries(UtilEntries());
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kUtil);
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
    AddFolderTree(db);
    const QList<catalogue::EntryRow> rows = UtilEntries(); // one is a favourite already
    db.addEntries(rows);
    msg::ScriptedSink sink;
    frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kUtil);
    window.lstView()->SelectRows(0);
    sink.answerNext(answer);
    bool accepted = false;
    SendDrop(window.tview(), target, &accepted);
    QCOMPARE(accepted, target == u"Favorites");

    int marked = 0;
    for (const catalogue::EntryRow& row : rows)
        marked += db.entry(row.BaseURL, row.TargetURL)->Favorites;
    QCOMPARE(marked, favourites);
    if (target != u"Favorites") {
        QVERIFY(sink.shown.isEmpty());
        return;
    }
    QCOMPARE(sink.shown[0].text, QStringLiteral("選択された項目をお気に入りに追加しますか?"));
    QCOMPARE(sink.shown[0].icon, msg::Icon::Question);
    if (answer == msg::Answer::Yes) {
        // Every selected row counts, the one that was a favourite already included.
        QCOMPARE(sink.shown.size(), 2);
        QCOMPARE(sink.shown[1].text, QStringLiteral("3件のライブラリをお気に入りに追加しました。"));
        QCOMPARE(sink.shown[1].icon, msg::Icon::Information);
    } else {
        QCOMPARE(sink.shown.size(), 1);
    }
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
    fixture::ShowWindow(window);
    fixture::ClickNode(window, QStringLiteral("Favorites"));
    QCOMPARE(window.StatusText(2), QStringLiteral("選択数:   1 / ライブラリ数:   3"));
    sink.answerNext(msg::Answer::Yes);
    window.commands()->button(u"DeleteFavorites")->trigger();
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].title, QStringLiteral("削除の確認"));
    QCOMPARE(sink.shown[0].defaultAnswer, msg::Answer::No);
    QVERIFY(!db.entry(kUtil, kPage)->Favorites);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn),
             (QStringList{QStringLiteral("Alpha"), QStringLiteral("gamma")}));
    QCOMPARE(window.lstView()->SelectedRows(), QList<int>{0});
    // The counts wait for the next click in the list.
    QCOMPARE(window.StatusText(2), QStringLiteral("選択数:   1 / ライブラリ数:   3"));
}

void TstMainWindow::doubleClickOpensThePageOfTheSetting_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<QString>("opened");
    QTest::newRow("nothing") << 0 << QString();
    QTest::newRow("detail page") << 1 << kPage;
    QTest::newRow("download page") << 2 << update::DownloadPageUrl(kPage);
    QTest::newRow("author page") << 3 << QStringLiteral("http://author.example/");
    QTest::newRow("download, not yet") << 4 << QString();
    QTest::newRow("own download, not yet") << 5 << QString();
}

void TstMainWindow::doubleClickOpensThePageOfTheSetting()
{
    QFETCH(int, setting);
    QFETCH(QString, opened);
    fixture::Catalogue db;
    AddFolderTree(db);
    db.addEntries(UtilEntries());
    config::settings().OpenBrowserDoubleClick = setting;
    frmMain window;
    QStringList urls;
    window.setUrlOpener([&urls](const QString& url) { urls.append(url); });
    fixture::ShowWindow(window);
    fixture::ClickNode(window, kUtil);
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
