// Runs against a hostile site: list and detail pages whose answers are broken (chunked bodies
// cut short or overstated, empty bodies, redirections off the site), redirections within the
// site, lists that never end or go round, and category pages that link folders the site does
// not have.

#include "RunHelpers.h"
#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServer.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SitePages.h"
#include "tst_updaterun.h"
#include "update/PageCache.h"
#include "update/RunState.h"
#include "update/SoftDetail.h"
#include "util/Text.h"

#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using talvexsim::Folder;
using talvexsim::ListLayout;
using talvexsim::Package;

namespace {

const QString kFetchFailed =
    u"データの取得に失敗しました。\r\nインターネットに正しく接続されているか、\r\n"
    u"IEが「オフライン作業」になっていないかを確認してください。"_s;
const QByteArray kOldCopy = "<HTML>the copy of an earlier run</HTML>\r\n";
const QString kOpening = u" を開いています..."_s;
constexpr qint64 kListPrice = 777;

void addFault(const QString& text)
{
    const std::optional<talvexsim::FaultRule> rule = talvexsim::FaultRule::parse(text);
    QVERIFY2(rule, qPrintable(text));
    simServer().faults().add(*rule);
}

QString pathOf(const QString& url)
{
    return url.mid(config::SiteRoot.size() - 1);
}

QByteArray fileBytes(const QString& path)
{
    QByteArray bytes;
    return text::ReadFileBytes(path, &bytes) ? bytes : QByteArray("(no file)");
}

// What the simulated site answers at an absolute address, as it writes it without faults.
QByteArray siteAnswer(const QString& url)
{
    const talvexsim::SitePages pages(simServer().server()->pages().sharedSite());
    const QUrl u(url);
    QString path = u.path(QUrl::FullyEncoded);
    if (u.hasQuery())
        path += u'?' + u.query(QUrl::FullyEncoded);
    return pages.get(u.host(), path).body;
}

int requestsFor(const QString& url)
{
    return int(simServer().requests().recordsFor(url).size());
}

int orderOf(const Folder& f)
{
    return update::ListOrderInEffect(f.url);
}

// The address of a list page of the folder in the order the run reads it.
QString listPage(const Folder& f, int page)
{
    return simSite().listPageUrl(f.index, talvexsim::ListOrder(orderOf(f)), page);
}

// A list folder of the simulated site without sub-categories, in the layout: one whose list
// has one page, or one with a few pages.
const Folder* listFolder(ListLayout layout, bool severalPages)
{
    return findSiteFolder([=](const Folder& f) {
        const int pages = simSite().pageCount(f.index);
        return f.hasList && !f.packages.isEmpty() && f.layout == layout && f.children.isEmpty() &&
               (severalPages ? pages >= 2 && pages <= 4 : pages == 1);
    });
}

QStringList listPages(const Folder& f)
{
    QStringList pages;
    for (int page = 1; page <= simSite().pageCount(f.index); ++page)
        pages.append(listPage(f, page));
    return pages;
}

QStringList targetsOf(const QList<catalogue::EntryRow>& rows)
{
    QStringList targets;
    for (const catalogue::EntryRow& r : rows)
        targets.append(r.TargetURL);
    targets.sort();
    return targets;
}

QStringList siteTargets(const Folder& f)
{
    QStringList targets;
    for (int p : f.packages)
        targets.append(simSite().package(p).url);
    targets.sort();
    return targets;
}

catalogue::EntryRow oldEntry(const QString& base, const QString& target)
{
    catalogue::EntryRow row;
    row.BaseURL = base;
    row.TargetURL = target;
    row.SoftName = u"before the refresh"_s;
    row.RegiMoney = kListPrice;
    return row;
}

void expectFetchFailureTold(const QList<msg::Message>& shown)
{
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, u"接続失敗"_s);
    QCOMPARE(shown[0].text, kFetchFailed);
    QCOMPARE(shown[0].icon, msg::Icon::Stop);
}

} // namespace

void TstUpdateRun::brokenListPageIsNeverStored_data()
{
    QTest::addColumn<int>("page"); // the list page that is answered so
    QTest::addColumn<QString>("rule");
    QTest::addColumn<bool>("stored");
    const auto row = [](const char* what, int page, const char* rule, bool stored = false) {
        // The second page's request goes out ahead, while the first one is analysed.
        QTest::addRow("%s, %s", what, page == 1 ? "first page" : "second page, sent ahead")
            << page << QString::fromUtf8(rule) << stored;
    };
    for (int page : {1, 2}) {
        row("well-ended chunked answer", page, "chunked", true);
        row("chunked, cut at half", page, "chunked-cut");
        row("chunk one byte larger than its data", page, "chunk-oversize");
        row("empty", page, "empty");
        row("redirect to another host", page, "redirect:http://evil.example/x");
    }
    row("chunked, whole page without the last chunk", 1, "chunked-cut:100000000");
    row("chunk a terabyte larger than its data", 1, "chunk-oversize:1099511627776");
    row("empty chunked", 1, "empty-chunked");
}

// A refresh whose list page arrives broken: five attempts, one message, and neither the
// folder's list nor the page's cached copy changes.
void TstUpdateRun::brokenListPageIsNeverStored()
{
    QFETCH(int, page);
    QFETCH(QString, rule);
    QFETCH(bool, stored);
    const Folder* f = listFolder(ListLayout::FileList, true);
    QVERIFY(f);
    const QString listed = simSite().package(f->packages.first()).url;
    const QString gone = config::SiteRoot + u"soft/gone/se999999.html"_s;
    saveEntry(oldEntry(f->url, listed));
    saveEntry(oldEntry(f->url, gone));
    const QString cacheFile = update::CacheFileName(f->url, orderOf(*f), page);
    QVERIFY(text::WriteFileAtomic(cacheFile, kOldCopy));
    const QString broken = listPage(*f, page);
    addFault(rule + u'@' + pathOf(broken));

    QVERIFY(update::UpdateFolder(nullptr, f->url, true, false));

    if (stored) {
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(fileBytes(cacheFile), siteAnswer(broken));
        QCOMPARE(targetsOf(entriesOf(f->url)), siteTargets(*f));
        QCOMPARE(requestedUrls(), listPages(*f));
        return;
    }
    expectFetchFailureTold(m_messages->shown);
    QCOMPARE(update::runState().FailedPages, 1);
    QCOMPARE(fileBytes(cacheFile), kOldCopy);
    const QList<catalogue::EntryRow> rows = entriesOf(f->url);
    QStringList old{listed, gone};
    old.sort();
    QCOMPARE(targetsOf(rows), old);
    for (const catalogue::EntryRow& r : rows)
        QCOMPARE(r.SoftName, u"before the refresh"_s);
    // Five attempts at the broken page, the page before it once, nothing anywhere else.
    QCOMPARE(requestsFor(broken), 5);
    QCOMPARE(requestedUrls().size(), 5 + page - 1);
}

void TstUpdateRun::brokenDetailPageLeavesTheRow_data()
{
    QTest::addColumn<bool>("downloadPage"); // else the detail page is answered so
    QTest::addColumn<QString>("rule");
    QTest::addColumn<bool>("written");
    QTest::newRow("well-ended chunked answer, detail page") << false << u"chunked"_s << true;
    QTest::newRow("well-ended chunked answer, download page") << true << u"chunked"_s << true;
    const auto row = [](const char* what, bool download, const char* rule) {
        QTest::addRow("%s, %s page", what, download ? "download" : "detail")
            << download << QString::fromUtf8(rule) << false;
    };
    row("chunked, cut at half", false, "chunked-cut");
    row("chunked, whole page without the last chunk", true, "chunked-cut:100000000");
    row("chunk one byte larger than its data", false, "chunk-oversize");
    row("chunk one byte larger than its data", true, "chunk-oversize");
    row("empty", false, "empty");
    row("empty chunked", true, "empty-chunked");
    row("redirect to another host", false, "redirect:http://evil.example/x");
    row("redirect to another host", true, "redirect:http://evil.example/x");
}

// The detail analysis of an entry whose page arrives broken writes nothing: the row keeps its
// list columns and no details, the page's cached copy stays.
void TstUpdateRun::brokenDetailPageLeavesTheRow()
{
    QFETCH(bool, downloadPage);
    QFETCH(QString, rule);
    QFETCH(bool, written);
    const Package& p = simSite().packages().first();
    const QString base = simSite().folder(p.home).url;
    catalogue::EntryRow listed = oldEntry(base, p.url);
    listed.Favorites = true;
    saveEntry(listed);
    const QString broken = downloadPage ? talvexsim::Site::downloadPageUrl(p.url) : p.url;
    const QString cacheFile = update::CacheFileName(broken, 0, 1);
    QVERIFY(text::WriteFileAtomic(cacheFile, kOldCopy));
    addFault(rule + u'@' + pathOf(broken));

    QCOMPARE(update::AnalyzeSoftDetail(base, p.url, true), written);

    const std::optional<catalogue::EntryRow> row = entryRow(base, p.url);
    QVERIFY(row);
    QCOMPARE(row->SoftName, u"before the refresh"_s);
    QVERIFY(row->Favorites);
    if (written) {
        QVERIFY(m_messages->shown.isEmpty());
        QVERIFY(row->DetailRead);
        QCOMPARE(row->FTPURL, simSite().detail(p.index).ftpUrl);
        QCOMPARE(fileBytes(cacheFile), siteAnswer(broken));
        return;
    }
    expectFetchFailureTold(m_messages->shown);
    QVERIFY(!row->DetailRead);
    QCOMPARE(row->FTPURL, QString());
    QCOMPARE(row->Author, QString());
    QCOMPARE(row->RegiMoney, kListPrice);
    QCOMPARE(fileBytes(cacheFile), kOldCopy);
    // Five fetches of five attempts each; after a failed detail page the download page is not
    // asked for.
    QCOMPARE(requestsFor(broken), 25);
    QCOMPARE(requestedUrls().size(), 25 + (downloadPage ? 1 : 0));
}

void TstUpdateRun::redirectWithinTheSiteIsFollowed_data()
{
    QTest::addColumn<QString>("page");     // the page whose answer is a redirection
    QTest::addColumn<QString>("location"); // where to, an absolute address
    QTest::addColumn<QString>("times");
    const Folder* f = listFolder(ListLayout::FileList, true);
    QVERIFY(f);
    const Package& p = simSite().packages().first();
    const QString member =
        u"http://"_s + config::MemberHost +
        u"/servlet/System.FileDownload/append/html/0/%1/"_s.arg(p.id, 6, 10, QChar(u'0'));
    QTest::newRow("list page to the member service") << listPage(*f, 1) << member << QString();
    QTest::newRow("list page to the folder's bare address, once")
        << listPage(*f, 1) << f->url << u"#1"_s;
    QTest::newRow("second list page to itself, once")
        << listPage(*f, 2) << listPage(*f, 2) << u"#1"_s;
    QTest::newRow("detail page to itself, once") << p.url << p.url << u"#1"_s;
    QTest::newRow("download page to the download host")
        << talvexsim::Site::downloadPageUrl(p.url) << p.archiveUrl << QString();
}

// A redirection to a host of the site is followed: the page is what the address it leads to
// answers, and nothing fails.
void TstUpdateRun::redirectWithinTheSiteIsFollowed()
{
    QFETCH(QString, page);
    QFETCH(QString, location);
    QFETCH(QString, times);
    addFault(u"redirect:"_s + location + times + u'@' + pathOf(page));
    const Package& p = simSite().packages().first();
    const bool detail = page.contains(u"/soft/"_s);
    if (detail) {
        saveEntry(oldEntry(simSite().folder(p.home).url, p.url));
        QVERIFY(update::AnalyzeSoftDetail(simSite().folder(p.home).url, p.url, true));
    } else {
        QVERIFY(update::UpdateFolder(nullptr, page.section(u'/', 0, -2) + u'/', true, false));
    }

    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(update::runState().FailedPages, 0);
    const QStringList urls = requestedUrls();
    const qsizetype at = urls.indexOf(page);
    QVERIFY(at >= 0);
    QCOMPARE(urls.value(at + 1), location);
    QCOMPARE(fileBytes(update::CacheFileName(page, 0, 1)), siteAnswer(location));
}

void TstUpdateRun::endlessListEndsTheFolder_data()
{
    QTest::addColumn<int>("folder");
    QTest::addColumn<QString>("rule");
    const Folder* fileList = listFolder(ListLayout::FileList, true);
    const Folder* li = listFolder(ListLayout::LI, true);
    const Folder* single = listFolder(ListLayout::FileList, false);
    QVERIFY(fileList && li && single);
    QTest::newRow("file_list, endless") << fileList->index << u"endless"_s;
    QTest::newRow("LI, endless") << li->index << u"endless"_s;
    QTest::newRow("one page, endless") << single->index << u"endless"_s;
    QTest::newRow("file_list, last page names the first") << fileList->index << u"next-loop"_s;
    QTest::newRow("LI, last page names the second") << li->index << u"next-loop:2"_s;
    QTest::newRow("one page, names itself") << single->index << u"next-loop"_s;
}

// A list whose last page always names a next one: the folder ends once a page repeats what the
// run has read, with the entries the list has, and the run goes on.
void TstUpdateRun::endlessListEndsTheFolder()
{
    QFETCH(int, folder);
    QFETCH(QString, rule);
    const Folder& f = simSite().folder(folder);
    const int pages = simSite().pageCount(folder);
    config::settings().Debug = 1;
    addFault(rule + u"@/"_s + f.path + u'*');
    // However the program ends the list, the test does not wait for ten thousand pages.
    constexpr int kGiveUpAfter = 30;
    RecordingRun run;
    int opened = 0;
    run.onStatus = [&opened](const QString& text) {
        if (text.endsWith(kOpening) && ++opened > kGiveUpAfter)
            update::runState().Cancel = true;
    };

    QVERIFY(update::UpdateFolder(&run, f.url, true, false));

    const QStringList urls = requestedUrls();
    QVERIFY2(urls.size() <= pages + 1,
             qPrintable(u"%1 pages requested, the last %2"_s.arg(urls.size())
                            .arg(urls.value(urls.size() - 1))));
    for (int page = 1; page <= pages; ++page)
        QCOMPARE(urls.value(page - 1), listPage(f, page));
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(targetsOf(entriesOf(f.url)), siteTargets(f));
    QVERIFY(!m_folder->readLines(u"Trace.Log"_s)
                 .filter(u"AnalyzeStart ページ制限("_s + f.url + u')')
                 .isEmpty());
}

void TstUpdateRun::deadLinksAreToldThenAsked_data()
{
    QTest::addColumn<int>("links");
    QTest::addColumn<bool>("goOn"); // the answer to the question; else its default, No
    QTest::newRow("stop (the default)") << 3 << false;
    QTest::newRow("go on") << 3 << true;
}

// A category page that links folders the site does not have: the first one that fails is told,
// the second asks whether to go on, and No stops the run there.
void TstUpdateRun::deadLinksAreToldThenAsked()
{
    QFETCH(int, links);
    QFETCH(bool, goOn);
    const Folder* f = findSiteFolder([](const Folder& f) {
        return f.area == talvexsim::kAreaLibrary && f.children.isEmpty() && f.hasList &&
               !f.packages.isEmpty();
    });
    QVERIFY(f);
    const QStringList pages = listPages(*f);
    addFault(u"dead-links:%1@/"_s.arg(links) + f->path + u"index.html"_s);
    update::runState().CurrentArea = f->area;
    m_messages->answerNext(msg::Answer::Ok);
    if (goOn)
        m_messages->answerNext(msg::Answer::Yes);
    RecordingRun run;

    QVERIFY(update::RunUpdateWindow(&run, f->url));

    QCOMPARE(m_messages->shown.size(), 2);
    expectFetchFailureTold(m_messages->shown.mid(0, 1));
    QCOMPARE(m_messages->shown[1].title, u"接続失敗"_s);
    QCOMPARE(m_messages->shown[1].icon, msg::Icon::Question);
    QCOMPARE(m_messages->shown[1].defaultAnswer, msg::Answer::No);
    QVERIFY(m_messages->shown[1].text.startsWith(u"続けてページを取得できませんでした。"_s));
    const int tried = goOn ? links : 2;
    QCOMPARE(update::runState().FailedPages, tried);
    // The folder's list pages, then five attempts at each dead folder tried.
    const QStringList urls = requestedUrls();
    QCOMPARE(urls.size(), pages.size() + 5 * tried);
    QCOMPARE(urls.mid(0, pages.size()), pages);
    for (const QString& url : urls.mid(pages.size()))
        QVERIFY2(url.startsWith(f->url) && !simServer().requests().recordsFor(url).isEmpty() &&
                     simServer().requests().recordsFor(url).first().status == 404,
                 qPrintable(url));
    // The folder's own list was read.
    QCOMPARE(targetsOf(entriesOf(f->url)), siteTargets(*f));
}
