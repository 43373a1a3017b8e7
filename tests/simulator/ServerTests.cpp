// The server seen by real clients: raw sockets against a server in its own thread, Qt's
// network access through it as a proxy in the test's own event loop, and the executable.

#include "RawClient.h"
#include "SiteFixture.h"
#include "config/Settings.h"
#include "talvex-sim/SimServer.h"
#include "talvex-sim/SimServerThread.h"
#include "tst_simulator.h"
#include "util/Text.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace talvexsim;

namespace {

constexpr int kWaitMs = 10000;

QString S(const char* text)
{
    return QString::fromUtf8(text);
}
const QByteArray kHtml("text/html; charset=Shift_JIS");

QByteArray get(const QByteArray& path, const QByteArray& extra = {})
{
    return "GET " + path + " HTTP/1.1\r\nHost: www.talvex.example\r\n" + extra + "\r\n";
}

QByteArray page(const QString& path, quint64 seed = 7)
{
    return SitePages(SharedSite(seed)).get(SitePages::webHost(), path).body;
}

// A GET through the manager, waited for in the test's event loop.
std::unique_ptr<QNetworkReply> fetch(QNetworkAccessManager& nam, const QString& url,
                                     const QByteArray& verb = "GET")
{
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Pelimond version 1.0.0"));
    std::unique_ptr<QNetworkReply> reply(verb == "HEAD" ? nam.head(request)
                                                        : nam.sendCustomRequest(request, verb));
    if (!reply->isFinished())
        QSignalSpy(reply.get(), &QNetworkReply::finished).wait(kWaitMs);
    return reply;
}

void useProxy(QNetworkAccessManager& nam, quint16 port)
{
    nam.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port));
}

} // namespace

void TestSimulator::originFormKeepsTheConnection()
{
    SimServerThread server(SharedSite(7));
    QVERIFY(server.start());
    RawClient client;
    QVERIFY(client.connectTo(server.port()));

    RawReply r = client.request(get("/download/index.html", "User-Agent: probe\r\n"));
    QCOMPARE(r.status, 200);
    QCOMPARE(r.headers.value("content-type"), kHtml);
    QCOMPARE(r.length(), r.body.size());
    QCOMPARE(r.body, page(QStringLiteral("/download/index.html")));
    QCOMPARE(r.headers.value("connection"), QByteArray("keep-alive"));

    // The same connection serves the next requests, a host with a port, the bare loopback
    // address as host, and two requests sent at once.
    r = client.request("GET /tpack/filearea/win/ HTTP/1.1\r\nHost: www.talvex.example:80\r\n\r\n");
    QCOMPARE(r.body, page(QStringLiteral("/tpack/filearea/win/index.html")));
    r = client.request("GET /info/sitemap.html HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QCOMPARE(r.body, page(QStringLiteral("/info/sitemap.html")));
    client.write(get("/") + get("/nothing.html"));
    QCOMPARE(client.read().status, 200);
    r = client.read();
    QCOMPARE(r.status, 404);
    QCOMPARE(r.length(), r.body.size());
    QCOMPARE(client.socket().state(), QAbstractSocket::ConnectedState);
    QCOMPARE(server.requests().size(), 5);
}

void TestSimulator::http10ClosesUnlessKeptAlive()
{
    SimServerThread server(SharedSite(7));
    QVERIFY(server.start());
    RawClient once;
    QVERIFY(once.connectTo(server.port()));
    RawReply r = once.request("GET /download/ HTTP/1.0\r\n\r\n");
    QCOMPARE(r.status, 200);
    QCOMPARE(r.body, page(QStringLiteral("/download/index.html")));
    QVERIFY(once.socket().state() == QAbstractSocket::UnconnectedState ||
            once.socket().waitForDisconnected(kWaitMs));

    RawClient kept;
    QVERIFY(kept.connectTo(server.port()));
    QCOMPARE(kept.request("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n").status, 200);
    QCOMPARE(kept.request("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n").status, 200);
    // HTTP/1.1 asking to close is closed after its answer.
    QCOMPARE(kept.request(get("/", "Connection: close\r\n")).status, 200);
    QVERIFY(kept.socket().state() == QAbstractSocket::UnconnectedState ||
            kept.socket().waitForDisconnected(kWaitMs));
}

void TestSimulator::absoluteFormThroughAProxy()
{
    SimServer server(SharedSite(7));
    QVERIFY(server.listen());
    QVERIFY(server.address().startsWith(u"http://127.0.0.1:"));
    QNetworkAccessManager nam;
    useProxy(nam, server.port());
    const QString url = config::SiteRoot + QStringLiteral("tpack/filearea/win/index.html");
    const auto reply = fetch(nam, url);
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    QCOMPARE(reply->rawHeader("Content-Type"), kHtml);
    QCOMPARE(reply->readAll(), page(QStringLiteral("/tpack/filearea/win/index.html")));

    const QList<RequestRecord> log = server.requests().records();
    QCOMPARE(log.size(), 1);
    QVERIFY(log[0].absoluteForm);
    QCOMPARE(log[0].url, url);
    QCOMPARE(log[0].target, url);
    QCOMPARE(log[0].userAgent, QStringLiteral("Pelimond version 1.0.0"));

    const auto missing = fetch(nam, config::SiteRoot + QStringLiteral("no/such/page.html"));
    QCOMPARE(missing->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
    const auto elsewhere = fetch(nam, QStringLiteral("http://example.com/"));
    QCOMPARE(elsewhere->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 404);
}

void TestSimulator::archiveSizeMatchesDownloadPage()
{
    SimServer server(SharedSite(7));
    QVERIFY(server.listen());
    QNetworkAccessManager nam;
    useProxy(nam, server.port());
    int checked = 0;
    for (const Package& p : server.pages().site().packages()) {
        if (p.has(TraitNoBytes) || checked >= 6)
            continue;
        ++checked;
        const auto dl = fetch(nam, Site::downloadPageUrl(p.url));
        const QString text = text::DecodeCp932(dl->readAll());
        const QRegularExpressionMatch m =
            QRegularExpression(
                QStringLiteral("<a href=\"(http://dl[^\"]+)\">[\\s\\S]*&nbsp;([\\d,]+) Bytes"))
                .match(text);
        QVERIFY2(m.hasMatch(), qPrintable(p.url));
        const auto archive = fetch(nam, m.captured(1));
        QCOMPARE(archive->error(), QNetworkReply::NoError);
        const QByteArray bytes = archive->readAll();
        QCOMPARE(qint64(bytes.size()), m.captured(2).remove(u',').toLongLong());
        QCOMPARE(qint64(bytes.size()), p.archiveBytes);
        QCOMPARE(archive->rawHeader("Content-Length").toLongLong(), p.archiveBytes);
    }
    QCOMPARE(checked, 6);
}

void TestSimulator::requestLogRecordsEveryRequest()
{
    SimServer server(SharedSite(7));
    QVERIFY(server.listen());
    QSignalSpy served(&server, &SimServer::requestServed);
    QNetworkAccessManager nam;
    const QDateTime before = QDateTime::currentDateTime();
    QCOMPARE(fetch(nam, server.address() + QStringLiteral("download/"))->error(),
             QNetworkReply::NoError);
    const auto head = fetch(nam, server.address() + QStringLiteral("download/"), "HEAD");
    QCOMPARE(head->rawHeader("Content-Length").toLongLong(),
             page(QStringLiteral("/download/index.html")).size());
    QCOMPARE(head->readAll(), QByteArray());
    const QDateTime after = QDateTime::currentDateTime();

    const QList<RequestRecord> log = server.requests().records();
    QCOMPARE(log.size(), 2);
    QCOMPARE(served.size(), 2);
    QCOMPARE(log[0].method, QStringLiteral("GET"));
    QCOMPARE(log[1].method, QStringLiteral("HEAD"));
    for (const RequestRecord& r : log) {
        QCOMPARE(r.url, config::SiteRoot + QStringLiteral("download/"));
        QVERIFY(!r.absoluteForm);
        QCOMPARE(r.userAgent, QStringLiteral("Pelimond version 1.0.0"));
        QCOMPARE(r.status, 200);
        QVERIFY(r.time >= before && r.time <= after);
    }
    QCOMPARE(server.requests().recordsFor(config::SiteRoot + QStringLiteral("download/")).size(),
             2);

    // The same, with the server in its own thread: the signal arrives queued in this one.
    SimServerThread threaded(SharedSite(7));
    QVERIFY(threaded.start());
    QObject receiver;
    QList<RequestRecord> crossed;
    QObject::connect(threaded.server(), &SimServer::requestServed, &receiver,
                     [&crossed](const RequestRecord& r) { crossed.append(r); });
    QCOMPARE(fetch(nam, threaded.address())->error(), QNetworkReply::NoError);
    QTRY_COMPARE(crossed.size(), 1);
    QCOMPARE(crossed.at(0).url, config::SiteRoot);
}

void TestSimulator::originFormRoutesByPath_data()
{
    QTest::addColumn<QByteArray>("request"); // "%1" stands for the server's port
    QTest::addColumn<QString>("host");       // the site host that answers
    QTest::addColumn<QString>("path");
    const Site& site = *SharedSite(7);
    const Package* priced = nullptr;
    for (const Package& p : site.packages()) {
        if (p.price > 0) {
            priced = &p;
            break;
        }
    }
    QVERIFY(priced);
    const QString list = QStringLiteral("/servlet/System.FileDownload/append/html/0/%1/")
                             .arg(priced->id, 6, 10, QChar(u'0'));
    const QString pay =
        QStringLiteral("/swreg/step1.reserve?srno=%1&SITE=T").arg(priced->id, 6, 10, QChar(u'0'));
    const QString archive = QUrl(priced->archiveUrl).path();
    auto viaLoopback = [](const QString& path) -> QByteArray {
        return "GET " + path.toLatin1() + " HTTP/1.1\r\nHost: 127.0.0.1:%1\r\n\r\n";
    };
    QTest::newRow("member service") << viaLoopback(list) << config::MemberHost << list;
    QTest::newRow("payment service") << viaLoopback(pay) << config::PaymentHost << pay;
    QTest::newRow("archive") << viaLoopback(archive) << config::DownloadHost << archive;
    QTest::newRow("web page") << viaLoopback(QStringLiteral("/download/")) << SitePages::webHost()
                              << QStringLiteral("/download/");
    QTest::newRow("no Host header") << "GET " + list.toLatin1() + " HTTP/1.0\r\n\r\n"
                                    << config::MemberHost << list;
    QTest::newRow("another name for the server")
        << "GET " + pay.toLatin1() + " HTTP/1.1\r\nHost: localhost:%1\r\n\r\n"
        << config::PaymentHost << pay;
    // A request that names a host of the site keeps it, whatever its path.
    QTest::newRow("known host keeps its host")
        << "GET " + list.toLatin1() + " HTTP/1.1\r\nHost: www.talvex.example\r\n\r\n"
        << SitePages::webHost() << list;
    QTest::newRow("absolute form keeps its host")
        << "GET http://www.talvex.example" + pay.toLatin1() + " HTTP/1.1\r\nHost: x\r\n\r\n"
        << SitePages::webHost() << pay;
}

void TestSimulator::originFormRoutesByPath()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, host);
    QFETCH(QString, path);
    SimServerThread server(SharedSite(7));
    QVERIFY(server.start());
    RawClient client;
    QVERIFY(client.connectTo(server.port()));
    const RawReply r = client.request(request.replace("%1", QByteArray::number(server.port())));
    const Resource expected = SitePages(SharedSite(7)).get(host, path);
    QCOMPARE(r.status, expected.status);
    QCOMPARE(r.headers.value("content-type"), expected.contentType);
    QCOMPARE(r.body, expected.body);
    const QList<RequestRecord> log = server.requests().records();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0].url, u"http://" + host + path);
}

void TestSimulator::faultIsObservable_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("expect");
    QTest::newRow("delay") << S("delay:300@/download/*") << S("delayed");
    QTest::newRow("reset") << S("reset@/download/*") << S("reset");
    QTest::newRow("reset mid-body") << S("reset-mid:100@/download/*") << S("partial");
    QTest::newRow("5xx status") << S("status:503@/download/*") << S("503");
    QTest::newRow("pattern on the absolute URL")
        << S("status:502@http://www.talvex.example/download/*") << S("502");
    QTest::newRow("empty body") << S("empty@/download/*") << S("empty");
    QTest::newRow("truncated body") << S("truncate:100@/download/*") << S("truncated");
    QTest::newRow("slow trickle") << S("trickle:512:10@/download/*") << S("trickled");
    QTest::newRow("first request only") << S("status:500#1@re:/download/.*") << S("once");
    QTest::newRow("other paths untouched") << S("reset@/soft/*") << S("untouched");
}

void TestSimulator::faultIsObservable()
{
    QFETCH(QString, rule);
    QFETCH(QString, expect);
    const std::optional<FaultRule> parsed = FaultRule::parse(rule);
    QVERIFY(parsed);
    SimServerThread server(SharedSite(7));
    QVERIFY(server.start());
    server.faults().add(*parsed);
    const QByteArray full = page(QStringLiteral("/download/index.html"));
    RawClient client;
    QVERIFY(client.connectTo(server.port()));
    QElapsedTimer clock;
    clock.start();
    const RawReply r = client.request(get("/download/index.html"));
    const qint64 elapsed = clock.elapsed();

    if (expect == u"delayed") {
        QVERIFY(elapsed >= 290);
        QCOMPARE(r.body, full);
    } else if (expect == u"reset") {
        QCOMPARE(r.status, 0);
        QVERIFY(r.closed);
    } else if (expect == u"partial") {
        QVERIFY(r.closed);
        QVERIFY(r.body.size() <= 100 && r.length() == full.size());
    } else if (expect == u"503" || expect == u"502") {
        QCOMPARE(QString::number(r.status), expect);
        QCOMPARE(r.length(), r.body.size());
    } else if (expect == u"empty") {
        QCOMPARE(r.status, 200);
        QCOMPARE(r.length(), 0);
        QVERIFY(r.body.isEmpty());
    } else if (expect == u"truncated") {
        QCOMPARE(r.length(), full.size());
        QCOMPARE(r.body, full.left(100));
        QVERIFY(r.closed);
    } else if (expect == u"trickled") {
        QCOMPARE(r.body, full);
        QVERIFY(r.reads >= 3);
        QVERIFY(elapsed >= 2 * 10);
    } else if (expect == u"once") {
        QCOMPARE(r.status, 500);
        QCOMPARE(client.request(get("/download/index.html")).body, full);
    } else {
        QCOMPARE(r.body, full);
    }
    const QList<RequestRecord> log = server.requests().records();
    QVERIFY(!log.isEmpty());
    QCOMPARE(log[0].fault, expect == u"untouched" ? QString() : FaultRule::kindName(parsed->kind));
}

void TestSimulator::faultRuleParsing_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("matches");
    QTest::newRow("delay") << S("delay:250@/soft/*") << true << S("/soft/win/se000001.html")
                           << true;
    QTest::newRow("wildcard spans folders") << S("reset@/tpack/*/index.html") << true
                                            << S("/tpack/filearea/win/util/index.html") << true;
    QTest::newRow("wildcard is anchored")
        << S("reset@/soft/*") << true << S("/games/soft/x.html") << false;
    QTest::newRow("question mark") << S("empty@/?.html") << true << S("/a.html") << true;
    QTest::newRow("dot is literal") << S("empty@/a.html") << true << S("/aXhtml") << false;
    QTest::newRow("regular expression")
        << S("status:502#2@re:/soft/(win|mac)/.*") << true << S("/soft/mac/se000001.html") << true;
    QTest::newRow("query is part of the path")
        << S("empty@/swreg/*srno=*") << true << S("/swreg/step1.reserve?srno=1&SITE=T") << true;
    QTest::newRow("trickle") << S("trickle:64:20@*") << true << S("/") << true;
    QTest::newRow("delay needs a time") << S("delay@*") << false << S("") << false;
    QTest::newRow("unknown kind") << S("bogus@*") << false << S("") << false;
    QTest::newRow("not a status") << S("status:700@*") << false << S("") << false;
    QTest::newRow("trickle needs two numbers") << S("trickle:5@*") << false << S("") << false;
    QTest::newRow("no pattern") << S("reset@") << false << S("") << false;
    QTest::newRow("no at sign") << S("reset") << false << S("") << false;
    QTest::newRow("reset takes no number") << S("reset:5@*") << false << S("") << false;
    QTest::newRow("negative count") << S("reset#-1@*") << false << S("") << false;
    QTest::newRow("stall") << S("stall:1000@/pub/*") << true << S("/pub/win/tv000001.lzh") << true;
    QTest::newRow("ignore-range") << S("ignore-range@/pub/*") << true << S("/pub/x.zip") << true;
    QTest::newRow("ignore-range takes no number")
        << S("ignore-range:5@*") << false << S("") << false;
    QTest::newRow("chunked") << S("chunked@/soft/*") << true << S("/soft/a.html") << true;
    QTest::newRow("chunked takes no number") << S("chunked:5@*") << false << S("") << false;
    QTest::newRow("chunked-cut") << S("chunked-cut@*") << true << S("/") << true;
    QTest::newRow("chunked-cut with bytes") << S("chunked-cut:500#1@/x") << true << S("/x") << true;
    QTest::newRow("chunk-oversize") << S("chunk-oversize:4096@*") << true << S("/") << true;
    QTest::newRow("chunk-oversize takes one number")
        << S("chunk-oversize:1:2@*") << false << S("") << false;
    QTest::newRow("empty-chunked") << S("empty-chunked@*") << true << S("/") << true;
    QTest::newRow("redirect to another host")
        << S("redirect:http://evil.example/x@/soft/*") << true << S("/soft/a.html") << true;
    QTest::newRow("redirect to a path, twice")
        << S("redirect:/elsewhere.html#2@/a.html") << true << S("/a.html") << true;
    QTest::newRow("redirect needs an address") << S("redirect@*") << false << S("") << false;
    QTest::newRow("redirect to nothing") << S("redirect:@*") << false << S("") << false;
    QTest::newRow("redirect address with a space")
        << S("redirect:http://a b/@*") << false << S("") << false;
    QTest::newRow("endless") << S("endless@/tpack/*") << true << S("/tpack/a/index_099.html")
                             << true;
    QTest::newRow("endless takes no number") << S("endless:3@*") << false << S("") << false;
    QTest::newRow("next-loop") << S("next-loop@*") << true << S("/") << true;
    QTest::newRow("next-loop to page 2") << S("next-loop:2@*") << true << S("/") << true;
    QTest::newRow("next-loop to page 0") << S("next-loop:0@*") << false << S("") << false;
    QTest::newRow("dead-links") << S("dead-links:3@/games/*") << true << S("/games/lib/") << true;
    QTest::newRow("dead-links needs a count") << S("dead-links@*") << false << S("") << false;
    QTest::newRow("dead-links of none") << S("dead-links:0@*") << false << S("") << false;
}

void TestSimulator::faultRuleParsing()
{
    QFETCH(QString, rule);
    QFETCH(bool, valid);
    QFETCH(QString, path);
    QFETCH(bool, matches);
    QString error;
    const std::optional<FaultRule> parsed = FaultRule::parse(rule, &error);
    QCOMPARE(parsed.has_value(), valid);
    QCOMPARE(error.isEmpty(), valid);
    if (!parsed)
        return;
    FaultTable table;
    table.add(*parsed);
    QCOMPARE(table.take(path, QStringLiteral("http://www.talvex.example") + path).has_value(),
             matches);
}

void TestSimulator::processServesUntilTerminated()
{
    QProcess process;
    process.start(QStringLiteral(TALVEX_SIM_EXE),
                  {QStringLiteral("--seed"), QStringLiteral("3"), QStringLiteral("--fault"),
                   QStringLiteral("status:502@/info/*")});
    QVERIFY(process.waitForStarted(kWaitMs));
    QVERIFY(process.canReadLine() || process.waitForReadyRead(kWaitMs));
    const QString line = QString::fromLatin1(process.readLine()).trimmed();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:(\\d+)/$")).match(line);
    QVERIFY2(m.hasMatch(), qPrintable(line));

    QNetworkAccessManager nam;
    useProxy(nam, quint16(m.captured(1).toUInt()));
    // The process generates byte for byte the site this process generates from the seed.
    const auto reply = fetch(nam, config::SiteRoot + QStringLiteral("download/index.html"));
    QCOMPARE(reply->readAll(), page(QStringLiteral("/download/index.html"), 3));
    const auto faulty = fetch(nam, config::SiteRoot + QStringLiteral("info/sitemap.html"));
    QCOMPARE(faulty->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 502);

    process.terminate();
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

void TestSimulator::dumpWritesEveryPage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess process;
    process.start(QStringLiteral(TALVEX_SIM_EXE), {QStringLiteral("--dump"), dir.path(),
                                                   QStringLiteral("--seed"), QStringLiteral("7")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);

    qsizetype files = 0;
    for (QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();
         it.next())
        ++files;
    QCOMPARE(files, RenderedPages(7).size());
    auto read = [&](const QString& name) {
        QByteArray bytes;
        return text::ReadFileBytes(dir.filePath(name), &bytes) ? bytes : QByteArray();
    };
    QCOMPARE(read(QStringLiteral("index.html")), page(QStringLiteral("/")));
    QCOMPARE(read(QStringLiteral("download/index.html")),
             page(QStringLiteral("/download/index.html")));
    const Package& p = SharedSite(7)->package(10);
    const QString detail = p.url.mid(config::SiteRoot.size());
    QCOMPARE(read(detail), page(u'/' + detail));
    const QString author = SharedSite(7)->author(1).pageUrl.mid(config::SiteRoot.size());
    QCOMPARE(read(author + QStringLiteral("index.html")), page(u'/' + author));
}

void TestSimulator::badArgumentsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0;
    QTest::newRow("scale 0") << QStringList{QStringLiteral("--scale"), QStringLiteral("0")} << 2;
    QTest::newRow("scale too large")
        << QStringList{QStringLiteral("--scale"), QStringLiteral("1001")} << 2;
    QTest::newRow("port out of range")
        << QStringList{QStringLiteral("--port"), QStringLiteral("70000")} << 2;
    QTest::newRow("bad fault") << QStringList{QStringLiteral("--fault"), QStringLiteral("oops")}
                               << 2;
    QTest::newRow("archive size 0")
        << QStringList{QStringLiteral("--archive-bytes"), QStringLiteral("0")} << 2;
    QTest::newRow("archive size not a number")
        << QStringList{QStringLiteral("--archive-bytes"), QStringLiteral("1G")} << 2;
    QTest::newRow("stray argument") << QStringList{QStringLiteral("extra")} << 2;
}

void TestSimulator::badArgumentsAreRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QProcess process;
    process.start(QStringLiteral(TALVEX_SIM_EXE), arguments);
    QVERIFY(process.waitForFinished(kWaitMs));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    if (exitCode == 0)
        QVERIFY(process.readAllStandardOutput().contains("--fault"));
    else
        QVERIFY(!process.readAllStandardError().isEmpty());
}
