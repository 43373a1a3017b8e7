#include "LoopbackServer.h"
#include "config/Settings.h"
#include "site/EventPump.h"
#include "site/FetchObserver.h"
#include "site/Fetcher.h"
#include "site/UrlEncode.h"
#include "site/UrlHandle.h"
#include "support/TestFolder.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString kPageUrl = config::SiteRoot + u"tpack/filearea/win/util/index.html"_s;
const QByteArray kPagePath = "/tpack/filearea/win/util/index.html";
const QByteArray kOldPage = "<html>the good page stored by an earlier fetch</html>";

// Records what the fetcher reports to the windows.
class RecordingObserver final : public site::FetchObserver
{
public:
    void bytesRead(qint64 total) override { totals.append(total); }
    void finished() override { ++finishedCount; }
    bool tracesReadTotal() const override { return traceTotals; }

    QList<qint64> totals;
    int finishedCount = 0;
    bool traceTotals = false;
};

int countLines(const QStringList& lines, const QString& text)
{
    int count = 0;
    for (const QString& line : lines)
        count += line.endsWith(text) ? 1 : 0;
    return count;
}

} // namespace

Q_DECLARE_METATYPE(CannedReply)

class TstSite : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void proxyModes_data();
    void proxyModes();
    void unusableNamedProxyFailsWithoutConnecting_data();
    void unusableNamedProxyFailsWithoutConnecting();
    void deadPathIsTriedFiveTimesWithPauses();
    void cacheFileReplacement_data();
    void cacheFileReplacement();
    void unwritableTargetIsAFailure();
    void nonHttpAddressesAreNeverOpened();
    void silentServerTimesOut();
    void timeOutSetting_data();
    void timeOutSetting();
    void zeroTimeOutStillWaitsForASlowServer();
    void handleReadsTheBodyInSteps_data();
    void handleReadsTheBodyInSteps();
    void closingDuringAWaitEndsIt();
    void progressReachesTheObserver();
    void pagesShareOneConnection();
    void requestSentAheadIsTakenUpOnce();
    void requestSentAheadToADeadPathIsTheFirstAttempt();
    void restartedServerBetweenFetches_data();
    void restartedServerBetweenFetches();
    void proxyAndAgentChangesReachTheNextFetch();
    void redirections_data();
    void redirections();
    void unusualAnswers_data();
    void unusualAnswers();
    void cancelAndDeadlineEndAWaitingFetch();
    void urlEncode_data();
    void urlEncode();

private:
    void useProxy(const LoopbackServer& server);
    std::unique_ptr<TestFolder> m_folder;
    RecordingObserver m_observer;
};

void TstSite::init()
{
    m_folder = std::make_unique<TestFolder>();
    config::settings().UserAgent = u"Pelimond version 1.0.0"_s;
    config::settings().TimeOut = 5;
    site::SetRetryPauseForTests(0);
    site::SetBodyLimitForTests(-1);
    m_observer = RecordingObserver();
    site::SetFetchObserver(&m_observer);
    // Dropping a reply must never report its error twice (seen on error statuses).
    QTest::failOnWarning(QRegularExpression(u"must only be called once"_s));
}

void TstSite::cleanup()
{
    site::SetFetchObserver(nullptr);
    site::SetRetryPauseForTests(-1);
    site::SetBodyLimitForTests(-1);
    m_folder.reset();
}

void TstSite::useProxy(const LoopbackServer& server)
{
    config::settings().Proxy = 2;
    config::settings().ProxyName = u"127.0.0.1"_s;
    config::settings().ProxyPort = server.port();
}

void TstSite::proxyModes_data()
{
    QTest::addColumn<int>("proxy");
    QTest::addColumn<bool>("viaProxy"); // the request reaches the server in absolute form
    QTest::newRow("2 named proxy") << 2 << true;
    QTest::newRow("1 system settings") << 1 << true;
    QTest::newRow("0 direct") << 0 << false;
    QTest::newRow("7 unknown, direct") << 7 << false;
}

void TstSite::proxyModes()
{
    QFETCH(int, proxy);
    QFETCH(bool, viaProxy);
    LoopbackServer server;
    server.setReplies(kPagePath, {CannedReply{200, "<html>list</html>"}});
    useProxy(server);
    config::settings().Proxy = proxy;
    config::settings().UserAgent = u"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"_s;
    // The system's settings on this platform: the environment.
    const QByteArray saved = qgetenv("http_proxy");
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(server.port()));
    // Direct modes can reach the loopback server only by its own address.
    const QString url =
        viaProxy
            ? kPageUrl
            : u"http://127.0.0.1:%1%2"_s.arg(server.port()).arg(QString::fromLatin1(kPagePath));
    const bool fetched = site::iNetGetFile(url, m_folder->file(u"page.html"_s));
    saved.isNull() ? qunsetenv("http_proxy") : qputenv("http_proxy", saved);

    QVERIFY(fetched);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), QByteArray("<html>list</html>"));
    QCOMPARE(server.requests().size(), 1);
    const LoggedRequest& request = server.requests().first();
    QCOMPARE(request.target, viaProxy ? kPageUrl.toLatin1() : kPagePath);
    QCOMPARE(request.header("Host"), QUrl(url).authority().toLatin1());
    QCOMPARE(request.header("User-Agent"),
             QByteArray("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"));
    // No cache on the way may answer for the site.
    QVERIFY(request.header("Cache-Control").contains("no-cache"));
}

void TstSite::unusableNamedProxyFailsWithoutConnecting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("port");
    QTest::newRow("no name") << u"  "_s << 8080;
    QTest::newRow("port 0") << u"127.0.0.1"_s << 0;
    QTest::newRow("port 70000") << u"127.0.0.1"_s << 70000;
}

void TstSite::unusableNamedProxyFailsWithoutConnecting()
{
    QFETCH(QString, name);
    QFETCH(int, port);
    config::settings().Debug = 1;
    config::settings().Proxy = 2;
    config::settings().ProxyName = name;
    config::settings().ProxyPort = port;
    m_folder->writeBytes(u"page.html"_s, kOldPage);

    QVERIFY(!site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QCOMPARE(m_folder->readBytes(u"page.html"_s), kOldPage);
    QCOMPARE(countLines(m_folder->readLines(u"Trace.Log"_s), u"$ インターネットオープン失敗"_s), 1);
    QCOMPARE(m_observer.finishedCount, 0);
}

void TstSite::deadPathIsTriedFiveTimesWithPauses()
{
    LoopbackServer server; // every path is 404
    useProxy(server);
    config::settings().Debug = 1;
    site::SetRetryPauseForTests(60);
    m_folder->writeBytes(u"page.html"_s, kOldPage);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(!site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QVERIFY2(clock.elapsed() >= 4 * 60, "four pauses between five attempts");
    QCOMPARE(server.requestsFor(kPagePath), 5);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), kOldPage);

    const QStringList lines = m_folder->readLines(u"Trace.Log"_s);
    QStringList expected;
    for (int n = 1; n <= 5; ++n)
        expected << u"URLオープン失敗(%1)"_s.arg(n) << kPageUrl;
    expected << u"URLオープン失敗!!!"_s;
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].endsWith(expected[i]), qPrintable(lines[i]));
}

void TstSite::cacheFileReplacement_data()
{
    QTest::addColumn<QList<CannedReply>>("replies");
    QTest::addColumn<int>("timeOut");
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("stored");

    const QByteArray part(3000, 'p');
    CannedReply shorter{200, "<html>new</html>"};
    QTest::newRow("shorter page replaces exactly")
        << QList{shorter} << 5 << 1 << true << shorter.body;
    CannedReply longer{200, QByteArray(40000, 'L')};
    QTest::newRow("long page in many reads") << QList{longer} << 5 << 1 << true << longer.body;
    // No page of the site is empty, and a body that ends early is a broken copy: each is a
    // failed attempt, tried again up to five times, and never stored.
    QTest::newRow("empty body is a failed attempt")
        << QList{CannedReply{200, ""}} << 5 << 5 << false << kOldPage;
    QTest::newRow("empty chunked body is a failed attempt")
        << QList{CannedReply{200, "", true}} << 5 << 5 << false << kOldPage;
    QTest::newRow("drop before the declared length")
        << QList{CannedReply{200, part, false, 5000}} << 5 << 5 << false << kOldPage;
    QTest::newRow("stall before the declared length")
        << QList{CannedReply{200, part, false, 5000, true}} << 1 << 5 << false << kOldPage;
    QTest::newRow("chunked body cut off")
        << QList{CannedReply{200, part, true, 1}} << 5 << 5 << false << kOldPage;
    QTest::newRow("a broken body, then the whole page")
        << QList{CannedReply{200, part, true, 1}, CannedReply{200, ""}, shorter} << 5 << 3 << true
        << shorter.body;
    QTest::newRow("not found keeps the page")
        << QList{CannedReply{404, "missing"}} << 5 << 5 << false << kOldPage;
    QTest::newRow("server errors retried")
        << QList{CannedReply{503, "busy"}, CannedReply{500, "oops"}, shorter} << 5 << 3 << true
        << shorter.body;
    QTest::newRow("declared length over the limit")
        << QList{CannedReply{200, QByteArray(50001, 'b')}} << 5 << 1 << false << kOldPage;
    QTest::newRow("chunked body over the limit")
        << QList{CannedReply{200, QByteArray(50001, 'b'), true}} << 5 << 1 << false << kOldPage;
    QTest::newRow("body at the limit") << QList{CannedReply{200, QByteArray(50000, 'c')}} << 5 << 1
                                       << true << QByteArray(50000, 'c');
}

void TstSite::cacheFileReplacement()
{
    QFETCH(QList<CannedReply>, replies);
    QFETCH(int, timeOut);
    QFETCH(int, requests);
    QFETCH(bool, result);
    QFETCH(QByteArray, stored);
    LoopbackServer server;
    server.setReplies(kPagePath, replies);
    useProxy(server);
    config::settings().TimeOut = timeOut;
    config::settings().Debug = 1;
    site::SetBodyLimitForTests(50000);
    m_folder->writeBytes(u"page.html"_s, kOldPage);

    QCOMPARE(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)), result);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), stored);
    QCOMPARE(server.requestsFor(kPagePath), requests);
    // No temporary file is left beside the page.
    QCOMPARE(QDir(m_folder->path()).entryList({u"page.html*"_s}, QDir::Files | QDir::Hidden),
             QStringList{u"page.html"_s});
}

void TstSite::unwritableTargetIsAFailure()
{
    LoopbackServer server;
    server.setReplies(kPagePath, {CannedReply{200, "page"}});
    useProxy(server);
    config::settings().Debug = 1;
    QVERIFY(!site::iNetGetFile(kPageUrl, m_folder->file(u"missing/folder/page.html"_s)));
    const QStringList lines = m_folder->readLines(u"Trace.Log"_s);
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines.first().contains(u"$ iNetGetFile エラー("_s));
    QCOMPARE(m_observer.finishedCount, 1); // panel 2 is cleared on failure too
}

void TstSite::nonHttpAddressesAreNeverOpened()
{
    m_folder->writeBytes(u"secret.txt"_s, "local file");
    QVERIFY(!site::iNetGetFile(QUrl::fromLocalFile(m_folder->file(u"secret.txt"_s)).toString(),
                               m_folder->file(u"copy.txt"_s)));
    QVERIFY(!QFile::exists(m_folder->file(u"copy.txt"_s)));
    // No target file, no fetch at all.
    LoopbackServer server;
    useProxy(server);
    QVERIFY(!site::iNetGetFile(kPageUrl, QString()));
    QCOMPARE(server.requests().size(), 0);
}

void TstSite::silentServerTimesOut()
{
    LoopbackServer server;
    server.setReplies(kPagePath, {CannedReply{200, "never", false, 0, false, true}});
    useProxy(server);
    config::settings().TimeOut = 1;
    site::UrlHandle handle;
    QVERIFY(handle.startSession());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!handle.request(kPageUrl));
    QVERIFY2(clock.elapsed() >= 900 && clock.elapsed() < 5000,
             qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!handle.isOpen());
}

void TstSite::timeOutSetting_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("10") << 10 << 10000;
    QTest::newRow("0 means the default") << 0 << 10000;
    QTest::newRow("capped") << 5000000 << 2147483000;
}

void TstSite::timeOutSetting()
{
    QFETCH(int, seconds);
    QFETCH(int, milliseconds);
    QCOMPARE(site::TimeOutMilliseconds(seconds), milliseconds);
}

void TstSite::zeroTimeOutStillWaitsForASlowServer()
{
    LoopbackServer server;
    server.setReplies(kPagePath, {CannedReply{200, "slow", false, 0, false, false, 300}});
    useProxy(server);
    config::settings().TimeOut = 0;
    QVERIFY(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QCOMPARE(server.requestsFor(kPagePath), 1);
}

void TstSite::handleReadsTheBodyInSteps_data()
{
    QTest::addColumn<CannedReply>("reply");
    QTest::addColumn<bool>("cleanEnd");
    const QByteArray archive(5000, 'a');
    QTest::newRow("whole body") << CannedReply{200, archive} << true;
    QTest::newRow("chunked body") << CannedReply{200, archive, true} << true;
    QTest::newRow("dropped before the declared length")
        << CannedReply{200, archive, false, 100} << false;
    QTest::newRow("chunked body cut off") << CannedReply{200, archive, true, 1} << false;
}

void TstSite::handleReadsTheBodyInSteps()
{
    QFETCH(CannedReply, reply);
    QFETCH(bool, cleanEnd);
    LoopbackServer server;
    server.setReplies("/archive.lzh", {reply});
    useProxy(server);
    site::UrlHandle handle;
    QVERIFY(site::iNetOpenUrl(u"http://dl.talvex.example/archive.lzh"_s, handle));
    QCOMPARE(handle.statusCode(), 200);
    QCOMPARE(handle.contentLength(), reply.chunked ? -1 : reply.body.size() + reply.missing);
    QByteArray received;
    char chunk[1024];
    bool ok = false;
    while (const qint64 n = handle.read(chunk, sizeof chunk, &ok)) {
        QVERIFY(ok && n <= 1024);
        received.append(chunk, n);
    }
    // Everything that arrived comes first; the failure shows on the read that ends the body.
    QCOMPARE(received, reply.body);
    QCOMPARE(ok, cleanEnd);
    QVERIFY(site::iNetCloseUrl(handle));
    QVERIFY(!handle.isOpen());
}

void TstSite::closingDuringAWaitEndsIt()
{
    LoopbackServer server;
    server.setReplies("/archive.lzh", {CannedReply{200, "", false, 100, true}});
    useProxy(server);
    site::UrlHandle handle;
    QVERIFY(site::iNetOpenUrl(u"http://dl.talvex.example/archive.lzh"_s, handle));
    // A window's Cancel runs inside the wait and closes the handle.
    QTimer::singleShot(50, &server, [&handle] { site::iNetCloseUrl(handle); });
    QElapsedTimer clock;
    clock.start();
    char chunk[1024];
    bool ok = true;
    QCOMPARE(handle.read(chunk, sizeof chunk, &ok), 0);
    QVERIFY(!ok);
    QVERIFY(clock.elapsed() < 3000); // not the five-second time-out
    QVERIFY(!handle.isOpen());
}

void TstSite::progressReachesTheObserver()
{
    LoopbackServer server;
    server.setReplies(kPagePath, {CannedReply{200, QByteArray(2500, 'x')}});
    useProxy(server);
    m_observer.traceTotals = true;
    QVERIFY(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QVERIFY(!m_observer.totals.isEmpty());
    QCOMPARE(m_observer.totals.last(), 2500);
    QVERIFY(std::is_sorted(m_observer.totals.begin(), m_observer.totals.end()));
    QCOMPARE(m_observer.finishedCount, 1);
    // Written whatever the Debug setting: one line per read.
    QCOMPARE(countLines(m_folder->readLines(u"Trace.Log"_s), u"$ ReadTotal = 2500"_s),
             int(m_observer.totals.count(2500)));
}

void TstSite::pagesShareOneConnection()
{
    LoopbackServer server;
    CannedReply page{200, QByteArray(3000, 'k')};
    page.keepAlive = true;
    server.setReplies(kPagePath, {page});
    useProxy(server);
    for (int n = 0; n < 3; ++n)
        QVERIFY(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QCOMPARE(server.requestsFor(kPagePath), 3);
    QCOMPARE(server.connections(), 1);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), page.body);
}

// The update run sends the next page's request before it writes the page it has: the fetch of
// that address takes it up, a fetch of another address drops it.
void TstSite::requestSentAheadIsTakenUpOnce()
{
    LoopbackServer server;
    CannedReply page{200, QByteArray(3000, 'a')};
    page.keepAlive = true;
    server.setReplies(kPagePath, {page});
    useProxy(server);
    const QString file = m_folder->file(u"page.html"_s);
    site::iNetPlanAhead({kPageUrl});
    QVERIFY(site::iNetGetFile(kPageUrl, file));
    QCOMPARE(server.requestsFor(kPagePath), 1);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), page.body);

    const QString other = config::SiteRoot + u"tpack/filearea/win/other/index.html"_s;
    site::iNetPlanAhead({other});
    QVERIFY(site::iNetGetFile(kPageUrl, file));
    QCOMPARE(server.requestsFor(kPagePath), 2);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), page.body);
    // A dropped one may or may not have reached the server; the fetch after it is whole.
    m_folder->writeBytes(u"page.html"_s, kOldPage);
    site::iNetPlanAhead({kPageUrl});
    site::iNetDropPrefetch();
    QVERIFY(site::iNetGetFile(kPageUrl, file));
    QCOMPARE(m_folder->readBytes(u"page.html"_s), page.body);
}

void TstSite::requestSentAheadToADeadPathIsTheFirstAttempt()
{
    LoopbackServer server; // every path is 404
    useProxy(server);
    site::iNetPlanAhead({kPageUrl});
    QVERIFY(!site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QCOMPARE(server.requestsFor(kPagePath), 5);
}

void TstSite::restartedServerBetweenFetches_data()
{
    QTest::addColumn<bool>("noticed"); // events ran between, so the client saw the close
    QTest::newRow("close seen") << true;
    QTest::newRow("close unseen") << false;
}

void TstSite::restartedServerBetweenFetches()
{
    QFETCH(bool, noticed);
    config::settings().Debug = 1;
    CannedReply page{200, "<html>first</html>"};
    page.keepAlive = true;
    auto server = std::make_unique<LoopbackServer>();
    server->setReplies(kPagePath, {page});
    useProxy(*server);
    QVERIFY(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));

    // The server goes away with the kept connection and comes back on the same port.
    const quint16 port = server->port();
    server.reset();
    if (noticed)
        QTest::qWait(50);
    LoopbackServer again(port);
    QVERIFY(again.isListening());
    page.body = "<html>second</html>";
    again.setReplies(kPagePath, {page});
    QVERIFY(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QCOMPARE(m_folder->readBytes(u"page.html"_s), page.body);
    QCOMPARE(again.requestsFor(kPagePath), 1);
    // Not even one failed attempt.
    QCOMPARE(countLines(m_folder->readLines(u"Trace.Log"_s), u"URLオープン失敗(1)"_s), 0);
}

void TstSite::proxyAndAgentChangesReachTheNextFetch()
{
    CannedReply page{200, "<html>page</html>"};
    page.keepAlive = true;
    LoopbackServer first;
    LoopbackServer second;
    first.setReplies(kPagePath, {page});
    second.setReplies(kPagePath, {page});
    useProxy(first);
    QVERIFY(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    useProxy(second);
    config::settings().UserAgent = u"Pelimond version 2.0.0"_s;
    QVERIFY(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QCOMPARE(first.requests().size(), 1);
    QCOMPARE(second.requests().size(), 1);
    QCOMPARE(second.requests().first().header("User-Agent"), QByteArray("Pelimond version 2.0.0"));
}

void TstSite::redirections_data()
{
    QTest::addColumn<QByteArray>("location"); // of every answer for the first page
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("firstRequests");
    const QByteArray moved = "/tpack/filearea/win/util/moved.html";
    QTest::newRow("relative address") << moved << true << QByteArray("<html>moved</html>") << 1;
    QTest::newRow("absolute address")
        << "http://www.talvex.example" + moved << true << QByteArray("<html>moved</html>") << 1;
    QTest::newRow("without an address the answer is the page")
        << QByteArray() << true << QByteArray("see elsewhere") << 1;
    QTest::newRow("a loop ends in failed attempts") << kPagePath << false << kOldPage << 5 * 51;
    QTest::newRow("another scheme is not followed")
        << QByteArray("ftp://ftp.talvex.example/x") << false << kOldPage << 5;
    QTest::newRow("another host is not followed")
        << QByteArray("http://evil.example/tpack/filearea/win/util/moved.html") << false << kOldPage
        << 5;
    QTest::newRow("another host of the site is followed")
        << QByteArray("http://dl.talvex.example/tpack/filearea/win/util/moved.html") << true
        << QByteArray("<html>moved</html>") << 1;
}

void TstSite::redirections()
{
    QFETCH(QByteArray, location);
    QFETCH(bool, result);
    QFETCH(QByteArray, stored);
    QFETCH(int, firstRequests);
    LoopbackServer server;
    CannedReply redirect{302, "see elsewhere"};
    if (!location.isEmpty())
        redirect.headers = "Location: " + location + "\r\n";
    server.setReplies(kPagePath, {redirect});
    server.setReplies("/tpack/filearea/win/util/moved.html",
                      {CannedReply{200, "<html>moved</html>"}});
    useProxy(server);
    m_folder->writeBytes(u"page.html"_s, kOldPage);

    QCOMPARE(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)), result);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), stored);
    QCOMPARE(server.requestsFor(kPagePath), firstRequests);
}

void TstSite::unusualAnswers_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("an interim answer comes first")
        << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n"
                      "body")
        << true << QByteArray("body");
    QTest::newRow("HTTP/1.0 without a length ends at the close")
        << QByteArray("HTTP/1.0 200 OK\r\n\r\nuntil the close") << true
        << QByteArray("until the close");
    QTest::newRow("chunk extensions and trailers")
        << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4;name=x\r\nabcd\r\n"
                      "3\r\nefg\r\n0\r\nX-Checked: 1\r\n\r\n")
        << true << QByteArray("abcdefg");
    QTest::newRow("header names in small letters")
        << QByteArray("HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\nhello") << true
        << QByteArray("hello");
    QTest::newRow("not an HTTP answer")
        << QByteArray("<html>no status line</html>\r\n\r\n") << false << kOldPage;
    QTest::newRow("a length that is not a number")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: many\r\n\r\nhello") << false << kOldPage;
}

void TstSite::unusualAnswers()
{
    QFETCH(QByteArray, raw);
    QFETCH(bool, result);
    QFETCH(QByteArray, stored);
    LoopbackServer server;
    CannedReply answer;
    answer.raw = raw;
    server.setReplies(kPagePath, {answer});
    useProxy(server);
    m_folder->writeBytes(u"page.html"_s, kOldPage);

    QCOMPARE(site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)), result);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), stored);
}

namespace {

bool g_interrupt = false;
bool interruptRequested()
{
    return g_interrupt;
}

} // namespace

void TstSite::cancelAndDeadlineEndAWaitingFetch()
{
    LoopbackServer server;
    CannedReply trickle{200, QByteArray(3000, 'p'), false, 5000, true}; // part, then nothing
    server.setReplies(kPagePath, {CannedReply{200, "", false, 0, false, true}}); // never answers
    server.setReplies("/slow.html", {trickle});
    useProxy(server);
    config::settings().TimeOut = 30;
    m_folder->writeBytes(u"page.html"_s, kOldPage);
    QElapsedTimer clock;

    // The interrupt (Ctrl-C of the companion) stops a page that never answers at once.
    site::SetInterruptProbe(interruptRequested);
    QTimer::singleShot(200, [] { g_interrupt = true; });
    clock.start();
    QVERIFY(!site::iNetGetFile(kPageUrl, m_folder->file(u"page.html"_s)));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(server.requestsFor(kPagePath), 1);
    site::SetInterruptProbe(nullptr);
    g_interrupt = false;

    // A page that keeps its connection alive without finishing ends at its deadline.
    site::SetPageDeadlineForTests(400);
    clock.start();
    QVERIFY(!site::iNetGetFile(config::SiteRoot + u"slow.html"_s, m_folder->file(u"page.html"_s)));
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    site::SetPageDeadlineForTests(-1);
    QCOMPARE(m_folder->readBytes(u"page.html"_s), kOldPage);
}

void TstSite::urlEncode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoded");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("kept as is") << u"azAZ09@*-._"_s << u"azAZ09@*-._"_s;
    QTest::newRow("space") << u"a b"_s << u"a+b"_s;
    QTest::newRow("slash and tab") << u"/\t"_s << u"%2F%09"_s;
    QTest::newRow("other ASCII") << u"?=&%+~"_s << u"%3F%3D%26%25%2B%7E"_s;
    QTest::newRow("hiragana") << u"あ"_s << u"%82%A0"_s;
    QTest::newRow("mixed Japanese") << u"ソフト 名"_s << u"%83%5C%83%74%83%67+%96%BC"_s;
    QTest::newRow("half-width katakana") << u"ｱ"_s << u"%B1"_s;
    QTest::newRow("mail address") << u"taro@example.jp"_s << u"taro@example.jp"_s;
    QTest::newRow("no code page 932 form") << u"😀"_s << u"%3F"_s;
}

void TstSite::urlEncode()
{
    QFETCH(QString, text);
    QFETCH(QString, encoded);
    QCOMPARE(site::UrlEncode(text), encoded);
}

QTEST_GUILESS_MAIN(TstSite)
#include "tst_site.moc"
