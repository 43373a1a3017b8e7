#include "MainWindowFixture.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"

using namespace Qt::StringLiterals;

// Opening categories of the simulated site from the tree, online and offline.
class TstOpenCategory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void onlineFillsTreeAndListFromTheSite();
    void offlineNeverReachesTheSite();

private:
    void useSite(int mode);

    std::shared_ptr<const talvexsim::Site> m_site;
    std::unique_ptr<talvexsim::SimServerThread> m_server;
};

void TstOpenCategory::initTestCase()
{
    m_site = std::make_shared<const talvexsim::Site>(3, 1);
    m_server = std::make_unique<talvexsim::SimServerThread>(m_site);
    QVERIFY(m_server->start());
}

void TstOpenCategory::useSite(int mode)
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

void TstOpenCategory::onlineFillsTreeAndListFromTheSite()
{
    fixture::Catalogue catalogue;
    useSite(3);
    msg::ScriptedSink messages;
    mainwindow::frmMain window;
    fixture::ShowWindow(window);

    // The library root reads the area's start page: its first-level categories appear.
    fixture::ClickNode(window, fixture::kLibrary);
    const talvexsim::Folder& win = m_site->folder(m_site->folderByPath(u"tpack/filearea/win/"_s));
    QTreeWidgetItem* winNode = window.tview()->Node(win.url);
    QVERIFY(winNode);
    QCOMPARE(winNode->text(0), win.name);

    // A category with a list: its sub-categories and every entry of its list pages.
    int listed = -1;
    for (int child : win.children) {
        if (m_site->folder(child).hasList && !m_site->folder(child).packages.isEmpty()) {
            listed = child;
            break;
        }
    }
    QVERIFY(listed >= 0);
    const talvexsim::Folder& folder = m_site->folder(listed);
    // Opening a category reads its page, which names its sub-categories.
    fixture::ClickNode(window, win.url);
    fixture::ClickNode(window, folder.url);
    QCOMPARE(window.lstView()->model()->rowCount(), int(folder.packages.size()));
    const QString first = m_site->package(folder.packages.first()).name;
    bool found = false;
    for (int row = 0; row < window.lstView()->model()->rowCount(); ++row)
        found = found || window.lstView()->model()->index(row, 1).data().toString() == first;
    QVERIFY2(found, qPrintable(first));
    QVERIFY(!m_server->requests().recordsFor(folder.url + u"index.html"_s).isEmpty());
    QVERIFY(messages.shown.isEmpty());
}

void TstOpenCategory::offlineNeverReachesTheSite()
{
    fixture::Catalogue catalogue;
    useSite(0);
    msg::ScriptedSink messages;
    mainwindow::frmMain window;
    fixture::ShowWindow(window);
    fixture::ClickNode(window, fixture::kLibrary);
    QCOMPARE(m_server->requests().size(), 0);
    QCOMPARE(window.tview()->Node(fixture::kLibrary)->childCount(), 0);
    QCOMPARE(window.lstView()->model()->rowCount(), 0);
    QVERIFY(messages.shown.isEmpty());
}

QTEST_MAIN(TstOpenCategory)
#include "tst_opencategory.moc"
