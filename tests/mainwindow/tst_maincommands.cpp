#include "MainWindowFixture.h"
#include "about/frmVersion.h"
#include "config/Ini.h"
#include "download/DownloadCommand.h"
#include "download/PrepareDownload.h"
#include "info/frmProperties.h"
#include "info/frmProperty.h"
#include "info/frmPropertyf.h"
#include "mainwindow/MainCommands.h"
#include "mainwindow/StatusPanels.h"
#include "resources/AnimationWidget.h"
#include "settings/frmSetting.h"
#include "site/FetchObserver.h"
#include "site/Fetcher.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "update/RunState.h"
#include "update/SoftDetail.h"
#include "util/Text.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTcpServer>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>

using namespace Qt::StringLiterals;
using namespace mainwindow;
using fixture::kLibrary;
using fixture::kPage;
using fixture::kUtil;
using fixture::kWin;

namespace {

// Chooses the item of the next popup menu once it is open.
void ChooseInNextPopup(const QString& item, int tries = 100)
{
    QTimer::singleShot(10, qApp, [item, tries] {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup) {
            if (tries > 0)
                ChooseInNextPopup(item, tries - 1);
            return;
        }
        QAction* action = nullptr;
        for (QAction* a : popup->actions()) {
            if (a->objectName() == item)
                action = a;
        }
        popup->close();
        if (action)
            action->trigger();
    });
}

void RightClickChoose(frmMain& window, const QString& key, const QString& item)
{
    FolderTree* tree = window.tview();
    const QPoint at = tree->visualItemRect(tree->Node(key)).center();
    ChooseInNextPopup(item);
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, at);
}

// A message sink that also notes what the window showed when each message came up.
class WatchingSink final : public msg::MessageSink
{
public:
    explicit WatchingSink(frmMain& window) : m_window(window), m_previous(msg::Installed())
    {
        msg::Install(this);
    }
    ~WatchingSink() override { msg::Install(m_previous); }
    WatchingSink(const WatchingSink&) = delete;
    WatchingSink& operator=(const WatchingSink&) = delete;

    msg::Answer show(const msg::Message& message) override
    {
        shown.append(message);
        busyShown.append(m_window.picanimate()->isVisibleTo(&m_window));
        panel1.append(m_window.StatusText(1));
        return message.defaultAnswer;
    }

    QList<msg::Message> shown;
    QList<bool> busyShown;
    QStringList panel1;

private:
    frmMain& m_window;
    msg::MessageSink* m_previous;
};

// Writes a cache page (the content is irrelevant) below the test's cache folder.
void CachePage(const QString& relative)
{
    const QString path = config::settings().CacheFolder + u'/' + relative;
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html></html>");
}

bool Cached(const QString& relative)
{
    return QFile::exists(config::settings().CacheFolder + u'/' + relative);
}

void SelectRowOf(frmMain& window, const QString& target)
{
    SoftwareList* list = window.lstView();
    for (int r = 0; r < list->RowCount(); ++r) {
        if (list->listModel()->rowAt(r).key == target) {
            list->selectionModel()->setCurrentIndex(list->listModel()->index(r, 0),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
            return;
        }
    }
    QFAIL(qPrintable(target));
}

} // namespace

// The commands of the menus, the toolbar and the context menus that act on the selected entry
// or folder, with the catalogue, the page cache and the simulated site behind them.
class TstMainCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void detailAddressesAreReadOnceFromTheSite();
    void aMissingDetailIsReportedWithItsLabel();
    void memberServiceAddresses();
    void propertiesFitTheSelection_data();
    void propertiesFitTheSelection();
    void menusAndPropertiesFromTheKeyboard();
    void deleteCategoryKeepsMarksAndDropsItsCache();
    void deleteCategoryAnsweredNoChangesNothing();
    void deleteCategoryTouchesNothingOutsideTheCache();
    void deleteDeepCategoryDropsTheParentsFirstPageInEveryOrder();
    void deleteFirstLevelCategoryDropsTheAreaStartPage();
    void fetchProgressShowsWhileTheWindowIsActive();
    void failedOpenLeavesNoStaleStatusAndHidesTheAnimation();
    void helpAndAboutOpen();
    void ctrlFSearchesAndShowsTheHits();
    void saveWritesTheSelectionAsPages();
    void downloadMethodsHandTheEntryOn();
    void settingsTakeEffectAfterOk();
    void favouritesWithQuotesAreTakenAsText();
    void cutFolderNamesShowTheirWholeNameAsTip();

private:
    void useSite(int mode);

    std::shared_ptr<const talvexsim::Site> m_site;
    std::unique_ptr<talvexsim::SimServerThread> m_server;
};

void TstMainCommands::initTestCase()
{
    site::SetRetryPauseForTests(5);
    update::SetDetailRetryWaitForTests(5);
    m_site = std::make_shared<const talvexsim::Site>(5, 1);
    m_server = std::make_unique<talvexsim::SimServerThread>(m_site);
    QVERIFY(m_server->start());
}

void TstMainCommands::init()
{
    update::runState().Cancel = false;
    update::runState().CurrentArea = 0;
}

void TstMainCommands::useSite(int mode)
{
    config::Settings& s = config::settings();
    s.Update = mode;
    s.Proxy = 2;
    s.ProxyName = u"127.0.0.1"_s;
    s.ProxyPort = m_server->port();
    s.TimeOut = 10;
    s.UserAgent = config::ProgramVersionText();
    m_server->requests().clear();
}

void TstMainCommands::detailAddressesAreReadOnceFromTheSite()
{
    // A library package whose author has a page, listed in a folder of the site.
    const talvexsim::Package* package = nullptr;
    for (const talvexsim::Package& p : m_site->packages()) {
        if (p.area == talvexsim::kAreaLibrary && !m_site->detail(p.index).authorUrl.isEmpty() &&
            m_site->folder(p.home).depth == 2) {
            package = &p;
            break;
        }
    }
    QVERIFY(package);
    const talvexsim::Folder& home = m_site->folder(package->home);
    const talvexsim::Folder& top = m_site->folder(home.parent);
    fixture::Catalogue db;
    db.addFolder(top.url, top.name);
    db.addFolder(home.url, home.name);
    useSite(3);
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, home.url);
    SelectRowOf(window, package->url);
    const QString path = window.StatusText(1);
    QCOMPARE(path, top.name + u" > "_s + home.name);
    m_server->requests().clear();

    MainCommands* c = window.commands();
    QVERIFY(c->item(u"mnu_edit_suba", 2)->isEnabled());
    c->item(u"mnu_edit_suba", 2)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), m_site->detail(package->index).authorUrl);
    // The detail page and the download page were read once; the row keeps what they told.
    QCOMPARE(m_server->requests().size(), 2);
    QCOMPARE(db.entry(home.url, package->url)->AuthorURL, m_site->detail(package->index).authorUrl);
    QCOMPARE(window.StatusText(1), path);
    QVERIFY(window.StatusText(2).startsWith(u"選択数:"_s));

    // Known now: the archive's address comes from the row without reading again.
    c->item(u"mnu_rclick_subb", 6)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), m_site->detail(package->index).ftpUrl);
    QCOMPARE(m_server->requests().size(), 2);
    QVERIFY(messages.shown.isEmpty());
}

void TstMainCommands::aMissingDetailIsReportedWithItsLabel()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    useSite(0); // offline, nothing cached: the detail page cannot be read
    frmMain window;
    QStringList opened;
    window.setUrlOpener([&opened](const QString& url) { opened.append(url); });
    fixture::ShowAt(window, kUtil);
    WatchingSink sink(window);
    const QString path = window.StatusText(1);
    window.commands()->item(u"mnu_ope_suba", 3)->trigger(); // シェア・カルナページ
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].text, u"選択されたライブラリの支払い情報が取得できませんでした。"_s);
    QCOMPARE(sink.shown[0].title, u"情報を取得できませんでした"_s);
    QCOMPARE(sink.shown[0].icon, msg::Icon::Exclamation);
    QVERIFY(opened.isEmpty());
    QCOMPARE(window.StatusText(1), path);
    QVERIFY(!window.picanimate()->isVisibleTo(&window));
    // The stored author page needs no read and no message.
    window.commands()->item(u"mnu_rclick_suba", 2)->trigger();
    QCOMPARE(opened, QStringList{u"http://author.example/"_s});
    QCOMPARE(sink.shown.size(), 1);
}

void TstMainCommands::memberServiceAddresses()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    config::settings().UserName = u"山田 太郎"_s;
    config::settings().Email = u"taro@example.jp"_s;
    frmMain window;
    QStringList opened;
    window.setUrlOpener([&opened](const QString& url) { opened.append(url); });
    fixture::ShowAt(window, kUtil); // "beta", se000123.html
    window.commands()->item(u"mnu_ope_subc", 0)->trigger();
    window.commands()->item(u"mnu_rclick_subd", 1)->trigger();
    const QString member = u"http://"_s + config::MemberHost;
    QCOMPARE(opened,
             (QStringList{member + u"/servlet/System.FileDownload/append/html/0/000123/"_s,
                          member + u"/servlet/Service.MailTo.Top?TITLE=beta&URL=http%3A%2F%2F"
                                   u"www.talvex.example%2Fsoft%2Fse000123.html&EMAIL=taro@"
                                   u"example.jp&NAME=%8E%52%93%63+%91%BE%98%59"_s}));
}

void TstMainCommands::propertiesFitTheSelection_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("rows"); // -1 none, 0 the first, 3 all
    QTest::addColumn<QString>("window");
    QTest::newRow("no entry") << kUtil << -1 << u"frmPropertyf"_s;
    QTest::newRow("empty search view") << u"Search"_s << -1 << u"frmPropertyf"_s;
    QTest::newRow("one entry") << kUtil << 0 << u"frmProperty"_s;
    QTest::newRow("several entries") << kUtil << 3 << u"frmProperties"_s;
}

void TstMainCommands::propertiesFitTheSelection()
{
    QFETCH(QString, key);
    QFETCH(int, rows);
    QFETCH(QString, window);
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    msg::ScriptedSink messages;
    frmMain main;
    fixture::ShowAt(main, key);
    if (rows == -1)
        main.lstView()->SelectRows(2);
    else if (rows == 3)
        main.lstView()->SelectRows(0);
    main.UpdateStatus();
    main.commands()->button(u"Property")->trigger();
    const QList<QDialog*> open = main.findChildren<QDialog*>();
    QCOMPARE(open.size(), 1);
    const bool fits = window == u"frmPropertyf" ? bool(qobject_cast<info::frmPropertyf*>(open[0]))
                      : window == u"frmProperty"
                          ? bool(qobject_cast<info::frmProperty*>(open[0]))
                          : bool(qobject_cast<info::frmProperties*>(open[0]));
    QVERIFY2(fits, open[0]->metaObject()->className());
    // Modeless: the main window stays usable, and a second sheet opens beside the first.
    QVERIFY(!open[0]->isModal());
    QVERIFY(open[0]->testAttribute(Qt::WA_DeleteOnClose));
    main.commands()->item(u"mnu_rclick_sub", 99)->trigger();
    QCOMPARE(main.findChildren<QDialog*>().size(), 2);
}

void TstMainCommands::menusAndPropertiesFromTheKeyboard()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, kUtil);
    const auto menuKey = [](QAbstractItemView* view) {
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1),
                              view->viewport()->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(view->viewport(), &key);
    };
    // The menu key on the list opens its menu; プロパティ there opens the entry's sheet.
    ChooseInNextPopup(u"mnu_rclick_sub_99"_s);
    menuKey(window.lstView());
    QCOMPARE(window.findChildren<info::frmProperty*>().size(), 1);
    // On the tree it opens the folder menu of the current node.
    ChooseInNextPopup(u"mnu_frclick_sub_99"_s);
    menuKey(window.tview());
    QCOMPARE(window.findChildren<info::frmPropertyf*>().size(), 1);
    // Alt+Enter is the properties key of the window.
    QApplication::setActiveWindow(&window);
    window.lstView()->setFocus();
    QTest::keyClick(window.lstView(), Qt::Key_Return, Qt::AltModifier);
    QCOMPARE(window.findChildren<info::frmProperty*>().size(), 2);
}

void TstMainCommands::deleteCategoryKeepsMarksAndDropsItsCache()
{
    fixture::Catalogue db;
    fixture::AddFolderTree(db);
    // The util folder and one below it, a sibling whose name differs only where util's key has
    // a LIKE wildcard, and the parent's cached list pages.
    const QString wild = kWin + u"my_tools/"_s;
    const QString sibling = kWin + u"myXtools/"_s;
    db.addFolder(wild, u"マイツール"_s);
    db.addFolder(sibling, u"マイXツール"_s);
    QList<catalogue::EntryRow> rows = fixture::UtilEntries(); // the third is a favourite
    catalogue::EntryRow found = fixture::Entry(fixture::kDisk, kPage, u"searched"_s);
    found.Search = true;
    catalogue::EntryRow below = fixture::Entry(fixture::kDisk, kPage + u"2"_s, u"below"_s);
    rows << found << below << fixture::Entry(wild, kPage, u"wild"_s)
         << fixture::Entry(sibling, kPage, u"sibling"_s);
    db.addEntries(rows);
    for (const char* page :
         {"tpack/filearea/win/util/index.html", "tpack/filearea/win/util/disk/by_date.html",
          "tpack/filearea/win/index.html", "tpack/filearea/win/my_tools/index.html",
          "tpack/filearea/win/myXtools/index.html"})
        CachePage(QString::fromUtf8(page));

    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, kUtil);
    messages.answerNext(msg::Answer::Yes);
    RightClickChoose(window, kUtil, u"mnu_frclick_sub_5"_s);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].text, u"カテゴリ 'ユーティリティ' とカテゴリ内の全てのライブラリを"
                                     u"削除してもよろしいですか?\r\n\r\n\r\n"_s);
    QCOMPARE(messages.shown[0].title, u"カテゴリ削除の確認"_s);
    QCOMPARE(messages.shown[0].defaultAnswer, msg::Answer::No);

    // Folders and plain entries of the subtree are gone; favourites and search results stay.
    catalogue::Db check;
    QVERIFY(catalogue::OpenDb(check, db.path()));
    QVERIFY(!catalogue::FindFolder(check, kUtil));
    QVERIFY(!catalogue::FindFolder(check, fixture::kDisk));
    QVERIFY(catalogue::FindFolder(check, kWin));
    QVERIFY(!db.entry(kUtil, kPage));
    QVERIFY(!db.entry(fixture::kDisk, kPage + u"2"_s));
    QVERIFY(db.entry(kUtil, config::SiteRoot + u"soft/se000300.html"_s));
    QVERIFY(db.entry(fixture::kDisk, kPage));
    QVERIFY(!Cached(u"tpack/filearea/win/util"_s));
    QVERIFY(!Cached(u"tpack/filearea/win/index.html"_s));
    // The shown category is gone: the favourites take its place, and the status says so.
    QVERIFY(!window.tview()->Node(kUtil));
    QVERIFY(!window.tview()->Node(fixture::kDisk));
    QCOMPARE(window.tview()->SelectedKey(), u"Favorites"_s);
    QCOMPARE(window.StatusText(1), QString()); // the selected favourite's folder is gone too
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), QStringList{u"gamma"_s});

    // A key holding "_" deletes itself only, never the folder it would match as a pattern.
    messages.answerNext(msg::Answer::Yes);
    RightClickChoose(window, wild, u"mnu_frclick_sub_5"_s);
    QVERIFY(!db.entry(wild, kPage));
    QVERIFY(db.entry(sibling, kPage));
    QVERIFY(catalogue::FindFolder(check, sibling));
    QVERIFY(window.tview()->Node(sibling));
    QVERIFY(!Cached(u"tpack/filearea/win/my_tools"_s));
    QVERIFY(Cached(u"tpack/filearea/win/myXtools/index.html"_s));
}

void TstMainCommands::deleteCategoryAnsweredNoChangesNothing()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    CachePage(u"tpack/filearea/win/util/index.html"_s);
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, kUtil);
    window.tview()->SelectNode(window.tview()->Node(kUtil));
    QVERIFY(!window.DeleteCategory()); // the default answer is No
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(db.entry(kUtil, kPage));
    QVERIFY(Cached(u"tpack/filearea/win/util/index.html"_s));
    QVERIFY(window.tview()->Node(kUtil));
    // The fixed nodes and the area roots are never deleted, not even when called directly.
    for (const QString& key : {u"Favorites"_s, kLibrary}) {
        window.tview()->SelectNode(window.tview()->Node(key));
        QVERIFY(!window.DeleteCategory());
    }
    QCOMPARE(messages.shown.size(), 1);
}

void TstMainCommands::deleteCategoryTouchesNothingOutsideTheCache()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    // The category's cache directory is a link to a folder of the user's.
    const QString outside = db.folder().file(u"mine"_s);
    QDir().mkpath(outside);
    db.folder().writeBytes(u"mine/keep.txt"_s, "mine");
    CachePage(u"tpack/filearea/win/index.html"_s);
    QVERIFY(QFile::link(outside, config::settings().CacheFolder + u"/tpack/filearea/win/util"_s));
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, kUtil);
    window.tview()->SelectNode(window.tview()->Node(kUtil));
    messages.answerNext(msg::Answer::Yes);
    QVERIFY(window.DeleteCategory());
    QVERIFY(QFile::exists(outside + u"/keep.txt"_s));
    QVERIFY(!QFileInfo(config::settings().CacheFolder + u"/tpack/filearea/win/util"_s).isSymLink());
}

void TstMainCommands::deleteDeepCategoryDropsTheParentsFirstPageInEveryOrder()
{
    fixture::Catalogue db;
    fixture::AddFolderTree(db);
    // Deep folders are read in the list order of the settings: any of them may be cached.
    for (const char* page : {"index.html", "by_date.html", "by_name.html", "by_date_002.html"})
        CachePage(u"tpack/filearea/win/util/"_s + QString::fromUtf8(page));
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowWindow(window);
    window.tview()->Node(kWin)->setExpanded(true);
    window.tview()->SelectNode(window.tview()->Node(fixture::kDisk));
    messages.answerNext(msg::Answer::Yes);
    QVERIFY(window.DeleteCategory());
    for (const char* page : {"index.html", "by_date.html", "by_name.html"})
        QVERIFY2(!Cached(u"tpack/filearea/win/util/"_s + QString::fromUtf8(page)), page);
    QVERIFY(Cached(u"tpack/filearea/win/util/by_date_002.html"_s));
}

void TstMainCommands::deleteFirstLevelCategoryDropsTheAreaStartPage()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    CachePage(u"download/index.html"_s);
    CachePage(u"tpack/filearea/index.html"_s);
    CachePage(u"tpack/whats/index.html"_s);
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowWindow(window);
    // The new arrivals were opened last: the area the deleted category lies in still counts.
    update::runState().CurrentArea = 1;
    window.tview()->SelectNode(window.tview()->Node(kWin));
    messages.answerNext(msg::Answer::Yes);
    QVERIFY(window.DeleteCategory());
    QVERIFY(!Cached(u"download/index.html"_s));
    QVERIFY(Cached(u"tpack/whats/index.html"_s));
    QVERIFY(!window.tview()->Node(kWin));
    QVERIFY(db.entry(kUtil, config::SiteRoot + u"soft/se000300.html"_s)); // the favourite
}

void TstMainCommands::fetchProgressShowsWhileTheWindowIsActive()
{
    fixture::Catalogue db;
    frmMain window;
    fixture::ShowWindow(window);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    site::FetchObserver* observer = site::fetchObserver();
    QVERIFY(observer);
    observer->bytesRead(12345);
    QCOMPARE(window.StatusText(2), u"12345バイト読み込み済み"_s);
    observer->finished();
    QCOMPARE(window.StatusText(2), QString());

    // Another window of the program is active (a property sheet reading): no progress there.
    QDialog other(&window);
    other.show();
    QApplication::setActiveWindow(&other);
    QCOMPARE(QApplication::activeWindow(), &other);
    observer->bytesRead(99);
    QCOMPARE(window.StatusText(2), QString());
}

void TstMainCommands::failedOpenLeavesNoStaleStatusAndHidesTheAnimation()
{
    fixture::Catalogue db;
    fixture::AddFolderTree(db);
    useSite(3);
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    config::settings().ProxyPort = closed.serverPort();
    closed.close(); // nobody answers there now
    frmMain window;
    fixture::ShowWindow(window);
    QVERIFY(!window.picanimate()->isVisibleTo(&window));
    WatchingSink sink(window);
    fixture::ClickNode(window, kUtil);
    // While the run failed the animation was on screen; afterwards it is gone and the status
    // shows the folder, not the page that could not be opened.
    QVERIFY(!sink.shown.isEmpty());
    QVERIFY(sink.busyShown.first());
    QVERIFY(sink.panel1.first().contains(u"を開いています"_s));
    QVERIFY(!window.picanimate()->isVisibleTo(&window));
    QCOMPARE(window.StatusText(1), u"Windows > ユーティリティ"_s);

    // The same through the folder menu's update, which keeps the list.
    sink.shown.clear();
    RightClickChoose(window, kUtil, u"mnu_frclick_sub_0"_s);
    QVERIFY(!sink.shown.isEmpty());
    QCOMPARE(window.StatusText(1), u"Windows > ユーティリティ"_s);
    QVERIFY(!window.StatusText(2).contains(u"バイト"_s));
}

void TstMainCommands::helpAndAboutOpen()
{
    fixture::Catalogue db;
    db.folder().writeBytes(u"help/index.html"_s, "<html></html>");
    frmMain window;
    QStringList opened;
    window.setUrlOpener([&opened](const QString& url) { opened.append(url); });
    MainCommands* c = window.commands();
    QVERIFY(c->item(u"mnu_help_sub", 0)->isEnabled());
    c->item(u"mnu_help_sub", 0)->trigger();
    QCOMPARE(opened, QStringList{db.folder().file(u"help/index.html"_s)});

    QString shown;
    QTimer::singleShot(50, qApp, [&shown] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            shown = QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        }
    });
    c->item(u"mnu_help_sub", 1)->trigger();
    QCOMPARE(shown, u"about::frmVersion"_s);
}

void TstMainCommands::ctrlFSearchesAndShowsTheHits()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db); // beta, Alpha, gamma
    config::settings().SearchMax = 100;
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, kUtil);
    QApplication::setActiveWindow(&window);
    // The user types "a" as the name and presses Enter in the search window.
    QTimer::singleShot(50, qApp, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->findChild<QLineEdit*>(u"inp_0"_s)->setText(u"a"_s);
            QTest::keyClick(modal, Qt::Key_Return);
        }
    });
    QTest::keyClick(window.lstView(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(window.tview()->SelectedKey(), u"Search"_s);
    QCOMPARE(window.StatusText(1), u"Windows > ユーティリティ"_s); // the selected hit's folder
    QStringList names = fixture::ColumnTexts(window, NameColumn);
    names.sort(Qt::CaseInsensitive);
    QCOMPARE(names, (QStringList{u"Alpha"_s, u"beta"_s, u"gamma"_s}));
    QVERIFY(window.StatusText(2).contains(u"ライブラリ数:   3"_s));

    // キャンセル leaves the view as it was.
    fixture::ClickNode(window, kUtil);
    QTimer::singleShot(50, qApp, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            QTest::keyClick(modal, Qt::Key_Escape);
    });
    window.commands()->button(u"Search")->trigger();
    QCOMPARE(window.tview()->SelectedKey(), kUtil);
}

// Answers the next modal window with answer once it is open.
void AnswerNextModal(const std::function<void(QWidget*)>& answer, int tries = 100)
{
    QTimer::singleShot(20, qApp, [answer, tries] {
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
        else if (tries > 0)
            AnswerNextModal(answer, tries - 1);
    });
}

void TstMainCommands::saveWritesTheSelectionAsPages()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    db.folder().writeBytes(u"WEBIMAGE/s_free2.gif"_s, "GIF89a");
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, kUtil);
    window.lstView()->SelectRows(0);
    // The dialog offers the folder's name; the user picks a folder for it.
    const QString chosen = db.folder().file(u"export/ユーティリティ"_s);
    QDir().mkpath(db.folder().file(u"export"_s));
    AnswerNextModal([chosen](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(dialog);
        dialog->selectFile(chosen);
        static_cast<QDialog*>(dialog)->accept();
    });
    window.commands()->button(u"Save")->trigger();
    // The name rule adds ".html"; the menu page lists the three entries.
    QVERIFY(QFile::exists(chosen + u".html"_s));
    QByteArray menu;
    QVERIFY(text::ReadFileBytes(chosen + u"_files/menu.html"_s, &menu));
    QCOMPARE(menu.count("<table"), 3);
    QVERIFY(messages.shown.isEmpty());
}

// The download submenu: the program's own download starts the download process on the entry's
// folder, the browser gets the archive's address, a download manager its command line.
void TstMainCommands::downloadMethodsHandTheEntryOn()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    const QString archive = u"http://dl.talvex.example/pub/win/tv000123.zip"_s;
    // A stand-in for a program that writes down the arguments it was started with.
    const QString record = db.folder().file(u"recorded.txt"_s);
    db.folder().writeBytes(u"record.sh"_s,
                           "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + record.toUtf8() + "\"\n");
    const QString recorder = db.folder().file(u"record.sh"_s);
    QFile::setPermissions(recorder, QFile::permissions(recorder) | QFile::ExeOwner);
    config::settings().DownloadFolder = db.folder().file(u"DOWNLOAD"_s);
    config::WriteIni(u"PLMDM"_s, u"IriaCommand"_s, recorder + u" --add %1"_s,
                     config::kSettingsFile);
    download::SetDownloadProgramForTests(recorder);
    msg::ScriptedSink messages;
    frmMain window;
    QStringList opened;
    window.setUrlOpener([&opened](const QString& url) { opened.append(url); });
    fixture::ShowAt(window, kUtil); // "beta"
    const auto recorded = [&record] {
        QByteArray bytes;
        return text::ReadFileBytes(record, &bytes) ? QString::fromUtf8(bytes).split(u'\n')
                                                   : QStringList();
    };

    window.commands()->item(u"mnu_ope_subb", download::PlmDownload)->trigger();
    const QString entryFolder = db.folder().file(u"DOWNLOAD/beta"_s);
    QTRY_COMPARE(recorded().value(0), entryFolder);
    QVERIFY(QFile::exists(entryFolder + u"/LIBINFO.TXT"_s));
    QFile::remove(record);

    window.commands()->item(u"mnu_rclick_subc", download::BrowserDownload)->trigger();
    QCOMPARE(opened, QStringList{archive});

    window.commands()->item(u"mnu_rclick_subc", download::SendToIria)->trigger();
    QTRY_COMPARE(recorded().mid(0, 2), (QStringList{u"--add"_s, archive}));
    // Irvine has no command line in this folder: the user is told.
    window.commands()->item(u"mnu_ope_subb", download::SendToIrvine)->trigger();
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown[0].text.startsWith(u"Irvineの呼び出しに失敗しました。"_s));
    download::SetDownloadProgramForTests(QString());
}

void TstMainCommands::settingsTakeEffectAfterOk()
{
    fixture::Catalogue db;
    fixture::AddUtilFolder(db);
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, kUtil);
    QCOMPARE(window.lstView()->font().pointSize(), 10);
    config::settings().ListViewFontSize = 14;
    config::settings().TreeViewFontSize = 12;
    // インターネットオプション opens the dialog on its network tab; OK stores and applies.
    QString tab;
    AnswerNextModal([&tab](QWidget* modal) {
        auto* dialog = qobject_cast<options::frmSetting*>(modal);
        QVERIFY(dialog);
        tab = dialog->tabStrip()->tabText(dialog->tabStrip()->currentIndex());
        dialog->button(0)->click();
    });
    window.commands()->item(u"mnu_tool_sub", 2)->trigger();
    QVERIFY(tab.startsWith(u"ネットワーク"_s));
    QCOMPARE(window.lstView()->font().pointSize(), 14);
    QCOMPARE(window.tview()->font().pointSize(), 12);
    QCOMPARE(window.lstView()->RowCount(), 3);
    QCOMPARE(db.ini(u"Font"_s, u"ListViewFontSize"_s), u"14"_s);
}

void TstMainCommands::favouritesWithQuotesAreTakenAsText()
{
    fixture::Catalogue db;
    fixture::AddFolderTree(db);
    const QString odd = config::SiteRoot + u"soft/it's'); DELETE FROM T_Softwares; --.html"_s;
    db.addEntries(
        {fixture::Entry(kUtil, odd, u"O'Reilly"_s), fixture::Entry(kUtil, kPage, u"b"_s)});
    msg::ScriptedSink messages;
    frmMain window;
    fixture::ShowAt(window, kUtil);
    SelectRowOf(window, odd);
    messages.answerNext(msg::Answer::Yes);
    window.commands()->button(u"AddFavorites")->trigger();
    QCOMPARE(messages.shown.last().text, u"1件のライブラリをお気に入りに追加しました。"_s);
    QVERIFY(db.entry(kUtil, odd)->Favorites);
    QVERIFY(!db.entry(kUtil, kPage)->Favorites);

    fixture::ClickNode(window, u"Favorites"_s);
    QCOMPARE(fixture::ColumnTexts(window, NameColumn), QStringList{u"O'Reilly"_s});
    messages.answerNext(msg::Answer::Yes);
    window.commands()->button(u"DeleteFavorites")->trigger();
    QVERIFY(!db.entry(kUtil, odd)->Favorites);
    QVERIFY(db.entry(kUtil, kPage)); // nothing else was touched
    QCOMPARE(window.lstView()->RowCount(), 0);
}

void TstMainCommands::cutFolderNamesShowTheirWholeNameAsTip()
{
    fixture::Catalogue db;
    const QString longName = QString(60, u'長');
    db.addFolder(kWin, u"Windows"_s);
    db.addFolder(kWin + u"long/"_s, longName);
    frmMain window;
    fixture::ShowWindow(window);
    FolderTree* tree = window.tview();
    tree->Node(kWin)->setExpanded(true);
    const auto tipAt = [tree](const QString& key) {
        QToolTip::hideText();
        const QPoint at = tree->visualItemRect(tree->Node(key)).center();
        QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(kWin), QString());
    QCOMPARE(tipAt(kWin + u"long/"_s), longName);
}

QTEST_MAIN(TstMainCommands)
#include "tst_maincommands.moc"
