// The hostile site: answers in chunks cut short or overstated, redirections, list pages that
// never end or go round, and category pages that link folders the site does not have, as a
// client reads them from a raw connection.

#include "PageProbe.h"
#include "RawClient.h"
#include "SiteFixture.h"
#include "config/Settings.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "tst_simulator.h"
#include "util/Text.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <functional>

using namespace talvexsim;

namespace {

constexpr quint64 kSeed = 7;
const QByteArray kHtml("text/html; charset=Shift_JIS");

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray get(const QString& path)
{
    return "GET " + path.toLatin1() + " HTTP/1.1\r\nHost: www.talvex.example\r\n\r\n";
}

// The page as the site writes it without any fault.
QByteArray page(const QString& path)
{
    return SitePages(SharedSite(kSeed)).get(SitePages::webHost(), path).body;
}

QString rootPath(const QString& url)
{
    return url.mid(config::SiteRoot.size() - 1);
}

std::optional<FaultRule> rule(const QString& text)
{
    const std::optional<FaultRule> parsed = FaultRule::parse(text);
    if (!parsed)
        qWarning("not a fault rule: %s", qPrintable(text));
    return parsed;
}

const Folder* findFolder(const std::function<bool(const Folder&)>& test)
{
    for (const Folder& f : SharedSite(kSeed)->folders()) {
        if (test(f))
            return &f;
    }
    return nullptr;
}

// The file name the page's next-page link names, read from the navigation as the layout writes
// it; empty when there is none.
QString nextLink(const QString& joined, ListLayout layout)
{
    static const QRegularExpression fileList(
        QStringLiteral("<a href=\"([^\"]+)\">次へ</a> &gt;</div>"));
    static const QRegularExpression li(
        QStringLiteral("<a href=\"([^\"]+)\">&gt;&gt;次の\\d+件</a>"));
    return (layout == ListLayout::LI ? li : fileList).match(joined).captured(1);
}

} // namespace

void TestSimulator::chunkedAnswers_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<qsizetype>("sent");    // bytes of the page in the chunks; -1 all of it
    QTest::addColumn<qint64>("overstated"); // announced and never sent
    QTest::addColumn<bool>("lastChunk");
    const qsizetype half = page(QStringLiteral("/download/index.html")).size() / 2;
    QTest::newRow("chunked, well ended") << S("chunked") << qsizetype(-1) << qint64(0) << true;
    QTest::newRow("cut at half by default") << S("chunked-cut") << half << qint64(0) << false;
    QTest::newRow("cut inside the second chunk")
        << S("chunked-cut:1500") << qsizetype(1500) << qint64(0) << false;
    QTest::newRow("cut after the whole page: no last chunk")
        << S("chunked-cut:100000000") << qsizetype(-1) << qint64(0) << false;
    QTest::newRow("chunk one byte larger than its data")
        << S("chunk-oversize") << qsizetype(-1) << qint64(1) << false;
    QTest::newRow("chunk a terabyte larger than its data")
        << S("chunk-oversize:1099511627776") << qsizetype(-1) << (qint64(1) << 40) << false;
    QTest::newRow("empty chunked body") << S("empty-chunked") << qsizetype(0) << qint64(0) << true;
}

void TestSimulator::chunkedAnswers()
{
    QFETCH(QString, rule);
    QFETCH(qsizetype, sent);
    QFETCH(qint64, overstated);
    QFETCH(bool, lastChunk);
    const QString path = QStringLiteral("/download/index.html");
    const QByteArray full = page(path);
    const QByteArray expected = sent < 0 ? full : full.left(sent);
    SimServerThread server(SharedSite(kSeed));
    QVERIFY(server.start());
    const std::optional<FaultRule> parsed = ::rule(rule + u'@' + path);
    QVERIFY(parsed);
    server.faults().add(*parsed);
    RawClient client;
    QVERIFY(client.connectTo(server.port()));

    const RawReply r = client.request(get(path));

    QCOMPARE(r.status, 200);
    QCOMPARE(r.headers.value("content-type"), kHtml);
    QVERIFY(r.chunked);
    QVERIFY(!r.headers.contains("content-length"));
    QCOMPARE(r.body, expected);
    QCOMPARE(r.lastChunk, lastChunk);
    qint64 announced = 0;
    for (qint64 size : r.chunkSizes)
        announced += size;
    QCOMPARE(announced, qint64(expected.size()) + overstated);
    if (lastChunk) {
        // A well-ended answer keeps the connection for the next request.
        QCOMPARE(r.headers.value("connection"), QByteArray("keep-alive"));
        QCOMPARE(client.request(get(QStringLiteral("/"))).body, page(QStringLiteral("/")));
    } else {
        QCOMPARE(r.headers.value("connection"), QByteArray("close"));
        QVERIFY(r.closed);
    }
    const QList<RequestRecord> log = server.requests().records();
    QCOMPARE(log[0].fault, FaultRule::kindName(parsed->kind));
    QCOMPARE(log[0].status, 200);
}

void TestSimulator::redirectAnswers_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("times");
    QTest::newRow("another host") << S("http://evil.example/x") << QString();
    QTest::newRow("the member service")
        << S("http://member.talvex.example/servlet/Service.MailTo.Top?TITLE=a&URL=b") << QString();
    QTest::newRow("a path of the same host") << S("/tpack/filearea/win/") << QString();
    QTest::newRow("the first request only") << S("http://www.talvex.example/download/") << S("#1");
}

void TestSimulator::redirectAnswers()
{
    QFETCH(QString, location);
    QFETCH(QString, times);
    const QString path = QStringLiteral("/download/index.html");
    SimServerThread server(SharedSite(kSeed));
    QVERIFY(server.start());
    const std::optional<FaultRule> parsed = rule(u"redirect:" + location + times + u'@' + path);
    QVERIFY(parsed);
    server.faults().add(*parsed);
    RawClient client;
    QVERIFY(client.connectTo(server.port()));

    const RawReply r = client.request(get(path));

    QCOMPARE(r.status, 302);
    QCOMPARE(r.headers.value("location"), location.toLatin1());
    QCOMPARE(r.length(), r.body.size());
    const QByteArray link = "<a href=\"" + location.toLatin1().replace("&", "&amp;") + "\">";
    QVERIFY(r.body.contains(link));
    QCOMPARE(r.headers.value("connection"), QByteArray("keep-alive"));
    // The same connection answers the next request: redirected again, or the page itself once
    // the rule is used up.
    const RawReply next = client.request(get(path));
    QCOMPARE(next.status, times.isEmpty() ? 302 : 200);
    if (!times.isEmpty())
        QCOMPARE(next.body, page(path));
    const QList<RequestRecord> log = server.requests().records();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[0].fault, S("redirect"));
    QCOMPARE(log[0].status, 302);
    // The server was never asked for the address it named.
    QCOMPARE(log[1].url, config::SiteRoot + path.mid(1));
}

void TestSimulator::endlessAndLoopingLists_data()
{
    QTest::addColumn<int>("folder");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("loopTo"); // next-loop: the page the last one names; 0 endless
    const Site& site = *SharedSite(kSeed);
    const auto listed = [&site](ListLayout layout, int minPages) {
        return findFolder([&](const Folder& f) {
            return f.hasList && f.layout == layout && site.pageCount(f.index) >= minPages;
        });
    };
    const Folder* fileList = listed(ListLayout::FileList, 3);
    const Folder* li = listed(ListLayout::LI, 3);
    const Folder* single = findFolder([&](const Folder& f) {
        return f.hasList && f.layout == ListLayout::FileList && !f.packages.isEmpty() &&
               site.pageCount(f.index) == 1;
    });
    QVERIFY(fileList && li && single);
    QTest::newRow("file_list, endless") << fileList->index << S("endless") << 0;
    QTest::newRow("LI, endless") << li->index << S("endless") << 0;
    QTest::newRow("one page, endless") << single->index << S("endless") << 0;
    QTest::newRow("file_list, back to page 1") << fileList->index << S("next-loop") << 1;
    QTest::newRow("LI, back to page 2") << li->index << S("next-loop:2") << 2;
    QTest::newRow("one page, names itself") << single->index << S("next-loop") << 1;
}

// Pages before the last are the site's own; from the last on the list goes on for ever (endless)
// or names an earlier page, which the pages past the last repeat byte for byte (next-loop).
void TestSimulator::endlessAndLoopingLists()
{
    QFETCH(int, folder);
    QFETCH(QString, kind);
    QFETCH(int, loopTo);
    const Site& site = *SharedSite(kSeed);
    const Folder& f = site.folder(folder);
    const int count = site.pageCount(folder);
    SimServerThread server(SharedSite(kSeed));
    QVERIFY(server.start());
    const std::optional<FaultRule> parsed = rule(kind + u"@/" + f.path + u'*');
    QVERIFY(parsed);
    server.faults().add(*parsed);
    RawClient client;
    QVERIFY(client.connectTo(server.port()));

    QHash<int, QByteArray> served;
    for (ListOrder order : {ListOrder::Index, ListOrder::ByDate}) {
        for (int n = 1; n <= count + 3; ++n) {
            const QString path = rootPath(site.listPageUrl(folder, order, n));
            const RawReply r = client.request(get(path));
            QCOMPARE(r.status, 200);
            QCOMPARE(r.length(), r.body.size());
            if (order == ListOrder::Index)
                served.insert(n, r.body);
            if (n < count) {
                QCOMPARE(r.body, page(path));
                continue;
            }
            const QString joined = probe::Joined(text::DecodeCp932(r.body));
            QCOMPARE(probe::LayoutOf(joined), f.layout);
            qsizetype end = 0;
            const QStringList entries = probe::Entries(joined, f.layout, &end);
            QVERIFY(probe::HasNextPage(joined, f.layout, end));
            if (loopTo == 0) {
                // The last page's entries under a page that names the one after it.
                const QList<ListRow> rows = site.listRows(folder, order, count);
                QCOMPARE(entries.size(), rows.size());
                for (qsizetype i = 0; i < rows.size(); ++i)
                    QCOMPARE(probe::TargetPath(entries[i], f.layout), rootPath(rows[i].targetUrl));
                QCOMPARE(nextLink(joined, f.layout), Site::listPageName(order, n + 1));
            } else if (n == count) {
                QCOMPARE(nextLink(joined, f.layout), Site::listPageName(order, loopTo));
            }
        }
    }
    if (loopTo > 0) {
        // Past the last page the list goes round from the page the last one names.
        for (int n = count + 1; n <= count + 3; ++n) {
            const int same = loopTo + (n - count - 1) % (count - loopTo + 1);
            QCOMPARE(served.value(n), served.value(same));
            if (same < count)
                QCOMPARE(served.value(n),
                         page(rootPath(site.listPageUrl(folder, ListOrder::Index, same))));
        }
    }
    // Another folder's list still ends at its last page.
    const Folder* other = findFolder([&](const Folder& o) {
        return o.hasList && !o.url.startsWith(f.url) && !f.url.startsWith(o.url);
    });
    QVERIFY(other);
    const QString past = rootPath(
        site.listPageUrl(other->index, ListOrder::Index, site.pageCount(other->index) + 1));
    QCOMPARE(client.request(get(past)).status, 404);
}

void TestSimulator::listFaultsLeaveOtherPagesAlone()
{
    const Site& site = *SharedSite(kSeed);
    const Folder* classic = findFolder([](const Folder& f) {
        return f.hasList && f.layout == ListLayout::Classic && !f.packages.isEmpty();
    });
    const Folder* unlisted = findFolder([](const Folder& f) { return !f.hasList; });
    QVERIFY(classic && unlisted);
    SimServerThread server(SharedSite(kSeed));
    QVERIFY(server.start());
    for (const QString& kind : {S("endless"), S("next-loop")}) {
        server.faults().clear();
        server.faults().add(*rule(kind + u"@*"));
        RawClient client;
        QVERIFY(client.connectTo(server.port()));
        // A classic list is all on one page, with no navigation to go on; a folder without a
        // list has no list to go on; other pages are as ever.
        for (const Folder* f : {classic, unlisted}) {
            const QString first = rootPath(site.listPageUrl(f->index, ListOrder::Index, 1));
            QCOMPARE(client.request(get(first)).body, page(first));
            QCOMPARE(client.request(get(rootPath(site.listPageUrl(f->index, ListOrder::Index, 2))))
                         .status,
                     404);
        }
        const QString detail = rootPath(site.packages().first().url);
        QCOMPARE(client.request(get(detail)).body, page(detail));
    }
}

void TestSimulator::deadLinksOnACategoryPage_data()
{
    QTest::addColumn<int>("folder");
    QTest::addColumn<int>("links");
    const Site& site = *SharedSite(kSeed);
    const Folder* parent = findFolder(
        [](const Folder& f) { return f.children.size() >= 2 && f.imageLinks && f.indexHtmlLinks; });
    const Folder* leaf = findFolder([&site](const Folder& f) {
        return f.children.isEmpty() && f.hasList && site.pageCount(f.index) >= 2;
    });
    QVERIFY(parent && leaf);
    QTest::newRow("after the sub-categories, image links") << parent->index << 3;
    QTest::newRow("a folder without sub-categories") << leaf->index << 1;
}

void TestSimulator::deadLinksOnACategoryPage()
{
    QFETCH(int, folder);
    QFETCH(int, links);
    const Site& site = *SharedSite(kSeed);
    const Folder& f = site.folder(folder);
    SimServerThread server(SharedSite(kSeed));
    QVERIFY(server.start());
    server.faults().add(*rule(QStringLiteral("dead-links:%1@/%2*").arg(links).arg(f.path)));
    RawClient client;
    QVERIFY(client.connectTo(server.port()));

    for (ListOrder order : kAllOrders) {
        const QString path = rootPath(site.listPageUrl(folder, order, 1));
        const RawReply r = client.request(get(path));
        QCOMPARE(r.status, 200);
        const QString hostile = text::DecodeCp932(r.body);
        const QString original = text::DecodeCp932(page(path));
        // The sub-categories as the category analysis reads them: the folder's own, then the
        // dead ones, all before the strap marker; after the marker the page is unchanged.
        const QList<probe::Link> found =
            probe::CategoryLinks(hostile, f.url, config::AreaPaths[f.area]);
        const QList<probe::Link> own =
            probe::CategoryLinks(original, f.url, config::AreaPaths[f.area]);
        QCOMPARE(found.size(), own.size() + links);
        for (qsizetype i = 0; i < own.size(); ++i)
            QCOMPARE(found[i].url, own[i].url);
        QCOMPARE(hostile.mid(hostile.indexOf(config::CommentStrap)),
                 original.mid(original.indexOf(config::CommentStrap)));
        QSet<QString> dead;
        for (qsizetype i = own.size(); i < found.size(); ++i) {
            const QString url = found[i].url;
            QVERIFY2(url.startsWith(f.url) && url.endsWith(u'/'), qPrintable(url));
            QVERIFY(!found[i].text.isEmpty());
            QCOMPARE(site.folderByPath(url.mid(config::SiteRoot.size())), -1);
            dead.insert(url);
            for (const QString& p : QStringList{rootPath(url), rootPath(url) + u"index.html"})
                QCOMPARE(client.request(get(p)).status, 404);
        }
        QCOMPARE(dead.size(), links);
    }
    // Only the first page of a list carries sub-categories.
    if (site.pageCount(folder) >= 2) {
        const QString second = rootPath(site.listPageUrl(folder, ListOrder::Index, 2));
        QCOMPARE(client.request(get(second)).body, page(second));
    }
}
