// The generator and its pages: determinism, encoding, the cases the analysers must meet, and
// pages that follow the markers and offsets the analysers read them by.

#include "PageProbe.h"
#include "SiteFixture.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "site/UrlEncode.h"
#include "tst_simulator.h"
#include "util/Text.h"

#include <QRegularExpression>
#include <QTest>
#include <functional>

using namespace talvexsim;

namespace {

QString rootPath(const QString& url)
{
    return url.mid(config::SiteRoot.size() - 1);
}

config::IconLayout iconLayout(ListLayout layout)
{
    switch (layout) {
    case ListLayout::Classic:
        return config::IconLayout::Classic;
    case ListLayout::LI:
        return config::IconLayout::LI;
    case ListLayout::FileList:
        break;
    }
    return config::IconLayout::FileList;
}

QString sixDigits(int id)
{
    return QStringLiteral("%1").arg(id, 6, 10, QChar(u'0'));
}

// The first package that meets the test; the tests need every kind.
const Package& packageWhere(const Site& site, const std::function<bool(const Package&)>& test)
{
    for (const Package& p : site.packages()) {
        if (test(p))
            return p;
    }
    qFatal("the site has no package of the kind a test needs");
}

QString captured(const QString& text, const QString& pattern)
{
    return QRegularExpression(pattern).match(text).captured(1);
}

// The paragraph after a detail page's comment marker, read soundly: "<BR>" ends a line,
// other tags go before the entities are decoded.
QString paragraphAfter(const QString& joined, const QString& marker)
{
    const qsizetype m = joined.indexOf(marker);
    const qsizetype start = joined.indexOf(u"<p>", m + marker.size()) + 3;
    QString body = joined.mid(start, joined.indexOf(u"</p>", start) - start);
    body.remove(u'\n');
    body.replace(QStringLiteral("<BR>"), QStringLiteral("\x01"), Qt::CaseInsensitive);
    body.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return probe::Decode(body).replace(u'\x01', QStringLiteral("\r\n")).trimmed();
}

} // namespace

void TestSimulator::sameSeedSameBytes()
{
    const SitePages fresh(std::make_shared<const Site>(7, 1));
    const QList<RenderedPage>& first = RenderedPages(7);
    qsizetype index = 0;
    fresh.forEachPage([&](const QString& host, const QString& path) {
        QVERIFY(index < first.size());
        QCOMPARE(path, first[index].path);
        QCOMPARE(fresh.get(host, path).body, first[index].bytes);
        ++index;
    });
    QCOMPARE(index, first.size());
    const Package& p = fresh.site().package(3);
    const QString archivePath = QUrl(p.archiveUrl).path();
    QCOMPARE(fresh.get(config::DownloadHost, archivePath).body,
             SitePages(SharedSite(7)).get(config::DownloadHost, archivePath).body);

    const QList<RenderedPage>& other = RenderedPages(1);
    bool differs = other.size() != first.size();
    for (qsizetype i = 0; !differs && i < first.size(); ++i)
        differs = other[i].bytes != first[i].bytes;
    QVERIFY2(differs, "another seed must give another site");
}

void TestSimulator::packageCountGrowsWithScale_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("atLeast");
    QTest::addColumn<int>("atMost");
    QTest::newRow("scale 1: a few hundred") << 1 << 250 << 400;
    QTest::newRow("scale 4") << 4 << 1100 << 1400;
    QTest::newRow("scale 70: an update benchmark's site") << 70 << 20000 << 22500;
}

void TestSimulator::packageCountGrowsWithScale()
{
    QFETCH(int, scale);
    QFETCH(int, atLeast);
    QFETCH(int, atMost);
    const auto site = SharedSite(3, scale);
    const qsizetype packages = site->packages().size();
    QVERIFY2(packages >= atLeast && packages <= atMost, qPrintable(QString::number(packages)));
    QVERIFY(site->listEntryCount() > packages); // the new arrivals list packages once more
    // Entry numbers stay six digits, and each one names exactly one package.
    QCOMPARE(site->packageById(site->packages().last().id), int(packages - 1));
    QVERIFY(site->packages().last().id <= 999999);
}

void TestSimulator::everyPageIsCp932()
{
    for (quint64 seed : TestSeeds()) {
        for (const RenderedPage& page : RenderedPages(seed)) {
            QVERIFY2(!page.text.contains(QChar(QChar::ReplacementCharacter)),
                     qPrintable(page.path));
            QVERIFY2(text::EncodeCp932(page.text) == page.bytes, qPrintable(page.path));
            QVERIFY2(page.text.contains(u"charset=Shift_JIS", Qt::CaseInsensitive),
                     qPrintable(page.path));
        }
    }
    const SitePages pages(SharedSite(7));
    QCOMPARE(pages.get(SitePages::webHost(), QStringLiteral("/download/index.html")).contentType,
             QByteArray("text/html; charset=Shift_JIS"));
}

void TestSimulator::pageFeaturesPresent_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<QString>("pathPattern");
    QTest::addColumn<QString>("textPattern");
    const QString list = QStringLiteral("^/(tpack|games/lib)/");
    const QString library = QStringLiteral("^/tpack/filearea/");
    const QString detail = QStringLiteral("^/(games/)?soft/(?!dl/).*se\\d{6}\\.html$");
    const QString download = QStringLiteral("^/(games/)?soft/dl/");
    const QList<std::tuple<const char*, QString, QString>> features{
        {"file_list layout", library, QStringLiteral("<ul  class=\"file_list\">")},
        {"LI layout in the library", library, QStringLiteral("<LI>\n  <A HREF=\"")},
        {"LI layout in the games", QStringLiteral("^/games/lib/"),
         QStringLiteral("<LI>\n  <A HREF=\"")},
        {"classic layout", library, QStringLiteral("<IMG SRC=\"/images/soft/s_")},
        {"file_list next page", list, QStringLiteral("</a> &gt;</div>\r?\n<!-- /ページナビ -->")},
        {"LI next page", list, QStringLiteral("&gt;&gt;次の")},
        {"third page by date", QStringLiteral("/by_date_003\\.html$"), QStringLiteral("<A HREF")},
        {"page by name", QStringLiteral("/by_name_002\\.html$"), QStringLiteral("<A HREF")},
        {"pick-up review link", list,
         QStringLiteral("<A HREF=\"/pickup/pu\\d{6}\\.html\">《レビュー》")},
        {"news review link", list,
         QStringLiteral("<A HREF=\"/softnews/sn\\d{6}\\.html\">《レビュー》")},
        {"classic pick-up button", list, QStringLiteral("/images/button/pickup\\.gif")},
        {"classic news button", list, QStringLiteral("/images/button/news\\.gif")},
        {"file_list new mark", list, QStringLiteral("ico_new\\.gif")},
        {"LI new mark", list, QStringLiteral("/images/mark/new_orange\\.gif")},
        {"classic new mark", list, QStringLiteral("/images/smallgif/new\\.gif")},
        {"LI price", list, QStringLiteral("価格&nbsp;[\\d,]+円\\)</FONT>")},
        {"classic price", list, QStringLiteral("（[\\d,]+円）")},
        {"file_list entry without date", list, QStringLiteral("&nbsp;\\(\\d+K\\)\r?\n      </LI>")},
        {"file_list entry without size", list, QStringLiteral("公開\\)\r?\n      </LI>")},
        {"file_list size before K&nbsp;", list, QStringLiteral("\\d+K&nbsp;シェア\\)")},
        {"file_list entry without version", list,
         QStringLiteral("<A HREF=\"/soft/[^\"]+\">[^<&]+</A>")},
        {"LI entry without date", list, QStringLiteral("<FONT SIZE=\"-1\">&nbsp;\\(\\d+K")},
        {"LI priced entry without date", list,
         QStringLiteral("<FONT SIZE=\"-1\">&nbsp;\\(\\d+K&nbsp;価格&nbsp;")},
        {"LI priced entry without size", list, QStringLiteral("公開&nbsp;価格&nbsp;")},
        {"classic entry without date", list, QStringLiteral("\\[日付不明\\]")},
        {"classic four-digit year", list,
         QStringLiteral("公開日：\\d{4}\\.\\d\\d\\.\\d\\d</FONT>")},
        {"classic entry right after the previous", list,
         QStringLiteral("<HR size=1><IMG SRC=\"/images/soft/")},
        {"&amp;", list, QStringLiteral("&amp;[^l]")},
        {"&lt; &gt;", list, QStringLiteral("&lt;[^&]*&gt;")},
        {"&quot;", list, QStringLiteral("&quot;")},
        {"&#39;", list, QStringLiteral("&#39;")},
        {"&nbsp; inside a name", list, QStringLiteral("<STRONG>[^<]*&nbsp;[^<]*</STRONG>")},
        {"double-escaped &amp;lt;", list, QStringLiteral("&amp;lt;")},
        {"～", list, QStringLiteral("～")},
        {"①", list, QStringLiteral("①")},
        {"＼", list, QStringLiteral("＼")},
        {"half-width katakana", list, QStringLiteral("[ｦ-ﾟ]")},
        {"link after the comment strap", list,
         QStringLiteral("<!-- comment strap -->関連カテゴリ：<A HREF=\"/")},
        {"image link", list,
         QStringLiteral("<A HREF=\"/[^\"]+/\"><IMG SRC=\"/images/folder\\.gif\"")},
        {"index.html link", list, QStringLiteral("<TD><A HREF=\"/[^\"]+/index\\.html\">")},
        {"folder name with an entity", library,
         QStringLiteral("<TD><A HREF=\"/tpack/[^\"]+\">(<STRONG>)?[^<]*&(amp|quot|#39|lt);")},
        {"CR LF list page", QStringLiteral("^/tpack/filearea/.*index\\.html$"),
         QStringLiteral("\r\n")},
        {"<p> right after the description marker", detail,
         QStringLiteral("<!-- ソフト詳細説明 --><p>")},
        {"intro paragraph", detail, QStringLiteral("<p><p class=\"intro\">")},
        {"escaped note", detail, QStringLiteral("&lt;注意&gt;")},
        {"tab before the author", detail, QStringLiteral("title=\"作者情報\">\t")},
        {"author reached by mail only", detail,
         QStringLiteral("href=\"mailto:[^\"]+\" title=\"作者情報\"")},
        {"author name with an entity", detail,
         QStringLiteral("title=\"作者情報\">[^<]*&(amp|#39|quot);")},
        {"price in the OS block", detail, QStringLiteral("<td>[\\d,]+円\\(税込\\)</td>")},
        {"price only outside the OS block", detail, QStringLiteral("寄付（500円）")},
        {"CR LF detail page", detail, QStringLiteral("\r\n")},
        {"LF detail page", detail, QStringLiteral("[^\r]\n<!-- 動作環境 -->")},
        {"download page without Bytes", download, QStringLiteral("サイズ・登録日は未登録です")},
        {"Bytes with thousands separators", download,
         QStringLiteral(
             "&nbsp;\\d{1,3}(,\\d{3})+ Bytes&nbsp;/&nbsp;\\d{4}\\.\\d\\d\\.\\d\\d</td>")},
        {"payment link", download, QStringLiteral("step1\\.reserve\\?srno=\\d{6}&SITE=T\">")},
        {"games download page", QStringLiteral("^/games/soft/dl/"), QStringLiteral("Bytes")},
        {"author page", QStringLiteral("^/person/p\\d{5}/$"), QStringLiteral("mailto:")},
    };
    for (quint64 seed : TestSeeds()) {
        for (const auto& [name, path, text] : features)
            QTest::addRow("%s, seed %llu", name, seed) << seed << path << text;
    }
}

void TestSimulator::pageFeaturesPresent()
{
    QFETCH(quint64, seed);
    QFETCH(QString, pathPattern);
    QFETCH(QString, textPattern);
    const QRegularExpression path(pathPattern);
    const QRegularExpression text(textPattern);
    QVERIFY(path.isValid() && text.isValid());
    for (const RenderedPage& page : RenderedPages(seed)) {
        if (path.match(page.path).hasMatch() && text.match(page.text).hasMatch())
            return;
    }
    QFAIL("no page shows the case");
}

void TestSimulator::listPagesFollowTheMarkers_data()
{
    QTest::addColumn<quint64>("seed");
    for (quint64 seed : TestSeeds())
        QTest::addRow("seed %llu", seed) << seed;
}

void TestSimulator::listPagesFollowTheMarkers()
{
    QFETCH(quint64, seed);
    const SitePages pages(SharedSite(seed));
    const Site& site = pages.site();
    for (const Folder& f : site.folders()) {
        for (ListOrder order : kAllOrders) {
            for (int page = 1; page <= site.pageCount(f.index); ++page) {
                const QString url = site.listPageUrl(f.index, order, page);
                const QString joined = probe::Joined(
                    text::DecodeCp932(pages.get(SitePages::webHost(), rootPath(url)).body));
                const QList<ListRow> rows = site.listRows(f.index, order, page);
                const auto layout = probe::LayoutOf(joined);
                if (rows.isEmpty()) {
                    QVERIFY2(!layout, qPrintable(url));
                    continue;
                }
                QVERIFY2(layout == f.layout, qPrintable(url));
                qsizetype end = 0;
                const QStringList entries = probe::Entries(joined, f.layout, &end);
                QCOMPARE(entries.size(), rows.size());
                for (qsizetype i = 0; i < rows.size(); ++i) {
                    QCOMPARE(probe::TargetPath(entries[i], f.layout), rootPath(rows[i].targetUrl));
                    const QString icon = probe::Icon(entries[i], f.layout);
                    QCOMPARE(config::SoftTypeCodeOfIcon(icon, iconLayout(f.layout)),
                             rows[i].fileType);
                    QVERIFY2(probe::Size(entries[i], f.layout) == rows[i].fileSize,
                             qPrintable(url + u" rank " + QString::number(i + 1)));
                }
                QCOMPARE(probe::HasNextPage(joined, f.layout, end), page < site.pageCount(f.index));
            }
        }
    }
}

void TestSimulator::categoryLinksAreTheChildren()
{
    for (quint64 seed : TestSeeds()) {
        const SitePages pages(SharedSite(seed));
        for (const Folder& f : pages.site().folders()) {
            const QString page =
                text::DecodeCp932(pages.get(SitePages::webHost(), u'/' + f.path).body);
            QList<probe::Link> expected;
            for (int c : f.children)
                expected.append({pages.site().folder(c).url, pages.site().folder(c).name});
            const QList<probe::Link> links =
                probe::CategoryLinks(page, f.url, config::AreaPaths[f.area]);
            QCOMPARE(links.size(), expected.size());
            for (qsizetype i = 0; i < links.size(); ++i) {
                QCOMPARE(links[i].url, expected[i].url);
                QCOMPARE(links[i].text, expected[i].text);
            }
            // A folder's bare address is its index page.
            QCOMPARE(pages.get(SitePages::webHost(), u'/' + f.path + u"index.html").body,
                     text::EncodeCp932(page));
        }
    }
}

void TestSimulator::detailAndDownloadPagesMatchTheModel()
{
    const SitePages pages(SharedSite(7));
    for (const Package& p : pages.site().packages()) {
        const Detail d = pages.site().detail(p.index);
        const QString page =
            probe::Joined(text::DecodeCp932(pages.get(SitePages::webHost(), rootPath(p.url)).body));
        QCOMPARE(captured(page, QStringLiteral("META NAME=\"download\" CONTENT=\"([^\"]+)\"")),
                 d.ftpUrl);
        QCOMPARE(captured(page, QStringLiteral("<p id=\"v_directory\"><a [^>]*>([^<]*)<")),
                 d.category);
        QCOMPARE(captured(page, QStringLiteral("動作OS：</th><td>([^<]*)</td>")), d.osType);
        QCOMPARE(probe::Decode(captured(page, QStringLiteral("title=\"作者情報\">([^<]*)</a>")))
                     .remove(u'\t')
                     .trimmed(),
                 d.author);
        const QString person = captured(page, QStringLiteral("href=\"/(person/[^\"]+)\""));
        QCOMPARE(person.isEmpty() ? QString() : config::SiteRoot + person, d.authorUrl);
        const QString price = captured(page, QStringLiteral("([\\d,]+)円\\(税込\\)")).remove(u',');
        if (d.regiMoney > 0)
            QCOMPARE(price.toLongLong(), d.regiMoney);
        else
            QVERIFY(price.isEmpty() && page.contains(u'円') == (d.regiMoney == 0));
        QCOMPARE(paragraphAfter(page, QStringLiteral("<!-- ソフト詳細説明 -->")),
                 d.descriptionDetail);
        QCOMPARE(paragraphAfter(page, QStringLiteral("<!-- 利用条件・試用期間中の制限など -->")),
                 d.paymentInfo);

        const QString dl = probe::Joined(text::DecodeCp932(
            pages.get(SitePages::webHost(), rootPath(Site::downloadPageUrl(p.url))).body));
        const QRegularExpressionMatch size =
            QRegularExpression(QStringLiteral("&nbsp;([\\d,]+) Bytes&nbsp;/&nbsp;([\\d.]+)</td>"))
                .match(dl);
        QCOMPARE(size.hasMatch(), d.fileSize2 > 0);
        if (size.hasMatch()) {
            QCOMPARE(size.captured(1).remove(u',').toLongLong(), d.fileSize2);
            QCOMPARE(QDate::fromString(size.captured(2), QStringLiteral("yyyy.MM.dd")),
                     d.registDate);
        }
        QCOMPARE(captured(dl, QStringLiteral("href=\"(https://[^\"]*SITE=T)\">")), d.paymentUrl);
        QVERIFY(dl.contains(u"<a href=\"" + d.ftpUrl + u"\">"));
    }
}

void TestSimulator::unknownPathsAreNotFound_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("path");
    const QString web = SitePages::webHost();
    QTest::newRow("no such page") << web << QStringLiteral("/nothing.html");
    QTest::newRow("page 1 with a suffix")
        << web << QStringLiteral("/tpack/filearea/win/index_001.html");
    QTest::newRow("page beyond the last") << web << QStringLiteral("/download/index_002.html");
    QTest::newRow("two-digit page suffix")
        << web << QStringLiteral("/games/lib/win/game/action/index_02.html");
    QTest::newRow("no such folder") << web << QStringLiteral("/tpack/filearea/nowhere/");
    QTest::newRow("no such entry") << web << QStringLiteral("/soft/win/se999999.html");
    const int id = SharedSite(7)->package(0).id;
    QTest::newRow("entry under another folder")
        << web << QStringLiteral("/soft/nowhere/se%1.html").arg(id, 6, 10, QChar(u'0'));
    QTest::newRow("no such article") << web << QStringLiteral("/pickup/pu999999.html");
    QTest::newRow("no such author") << web << QStringLiteral("/person/p99999/");
    QTest::newRow("no such archive")
        << config::DownloadHost << QStringLiteral("/pub/win/tv999999.lzh");
    QTest::newRow("page on the download host")
        << config::DownloadHost << QStringLiteral("/download/");
    QTest::newRow("unknown host") << QStringLiteral("example.com") << QStringLiteral("/");
    const QString append = QStringLiteral("/servlet/System.FileDownload/append/html/0/");
    QTest::newRow("download list of no package") << config::MemberHost << append + u"999999/";
    QTest::newRow("download list with a short number") << config::MemberHost << append + u"123/";
    QTest::newRow("another servlet") << config::MemberHost << QStringLiteral("/servlet/Other");
    const Site& site = *SharedSite(7);
    const Package& free = packageWhere(site, [](const Package& p) { return p.price == 0; });
    const Package& priced = packageWhere(site, [](const Package& p) { return p.price > 0; });
    QTest::newRow("payment of no package")
        << config::PaymentHost << QStringLiteral("/swreg/step1.reserve?srno=999999&SITE=T");
    QTest::newRow("payment of a free package")
        << config::PaymentHost << u"/swreg/step1.reserve?srno=" + sixDigits(free.id) + u"&SITE=T";
    QTest::newRow("payment without the site mark")
        << config::PaymentHost << u"/swreg/step1.reserve?srno=" + sixDigits(priced.id);
    QTest::newRow("member page on the web host") << web << append + sixDigits(priced.id) + u'/';
}

void TestSimulator::unknownPathsAreNotFound()
{
    QFETCH(QString, host);
    QFETCH(QString, path);
    const Resource r = SitePages(SharedSite(7)).get(host, path);
    QCOMPARE(r.status, 404);
    QCOMPARE(r.contentType, QByteArray("text/html; charset=Shift_JIS"));
}

void TestSimulator::linkedPagesAnswer_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("shows"); // texts the page shows, entities decoded
    const Site& site = *SharedSite(7);
    const Package& p = packageWhere(site, [&site](const Package& q) {
        return q.price > 0 && !q.pickUpUrl.isEmpty() && !site.detail(q.index).authorUrl.isEmpty();
    });
    const Package& n = packageWhere(site, [](const Package& q) { return !q.newsUrl.isEmpty(); });
    const Package& g = packageWhere(site, [](const Package& q) { return q.area == kAreaGames; });
    const Detail d = site.detail(p.index);
    const QString member = u"http://" + config::MemberHost;
    QTest::newRow("detail page") << p.url << QStringList{p.name};
    QTest::newRow("download page") << Site::downloadPageUrl(p.url) << QStringList{p.name};
    QTest::newRow("author page") << d.authorUrl << QStringList{d.author};
    QTest::newRow("payment page") << d.paymentUrl << QStringList{p.name};
    QTest::newRow("pick-up article") << p.pickUpUrl << QStringList{p.name};
    QTest::newRow("news article") << n.newsUrl << QStringList{n.name};
    QTest::newRow("archive") << d.ftpUrl << QStringList{};
    QTest::newRow("download list")
        << member + u"/servlet/System.FileDownload/append/html/0/" + sixDigits(p.id) + u'/'
        << QStringList{p.name};
    QTest::newRow("download list of a game")
        << member + u"/servlet/System.FileDownload/append/html/0/" + sixDigits(g.id) + u'/'
        << QStringList{g.name};
    // The mail form shows what the program's encoding of the query carried, signs included.
    const QString title = p.name + u" & <改> 'x'";
    QTest::newRow("mail form") << member + u"/servlet/Service.MailTo.Top?TITLE=" +
                                      site::UrlEncode(title) + u"&URL=" + site::UrlEncode(p.url) +
                                      u"&EMAIL=" +
                                      site::UrlEncode(QStringLiteral("taro+1@example.jp")) +
                                      u"&NAME=" + site::UrlEncode(QStringLiteral("山田 太郎"))
                               << QStringList{u"value=\"" + title + u'"',
                                              u"value=\"" + p.url + u'"',
                                              QStringLiteral("value=\"taro+1@example.jp\""),
                                              QStringLiteral("value=\"山田 太郎\"")};
    QTest::newRow("mail form without values")
        << member + u"/servlet/Service.MailTo.Top" << QStringList{QStringLiteral("value=\"\"")};
}

void TestSimulator::linkedPagesAnswer()
{
    QFETCH(QString, address);
    QFETCH(QStringList, shows);
    const qsizetype scheme = address.indexOf(u"://");
    QVERIFY(scheme > 0);
    const qsizetype slash = address.indexOf(u'/', scheme + 3);
    const QString host = address.mid(scheme + 3, slash - scheme - 3);
    const Resource r = SitePages(SharedSite(7)).get(host, address.mid(slash));
    QCOMPARE(r.status, 200);
    QVERIFY(!r.body.isEmpty());
    const QString page = probe::Decode(text::DecodeCp932(r.body));
    for (const QString& text : shows)
        QVERIFY2(page.contains(text), qPrintable(text));
}
