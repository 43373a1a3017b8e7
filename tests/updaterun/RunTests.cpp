// Update runs: UpdateFolder and the update window's run against the simulated site, and the
// site shapes it never serves (endless depth, addresses that would leave the cache) against the
// loopback test server.

#include "LoopbackServer.h"
#include "RunHelpers.h"
#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "tst_updaterun.h"
#include "update/PageCache.h"
#include "update/RunState.h"
#include "util/Text.h"

#include <QFileInfo>
#include <QSet>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;
using talvexsim::Folder;
using talvexsim::ListLayout;
using talvexsim::ListOrder;

namespace {

const QString kOpening = u" を開いています..."_s;
const QString kAnalysing = u" のデータを解析中です..."_s;
const QString kFetchFailed =
    u"データの取得に失敗しました。\r\nインターネットに正しく接続されているか、\r\n"
    u"IEが「オフライン作業」になっていないかを確認してください。"_s;

ListOrder orderFor(const Folder& f)
{
    return ListOrder(update::ListOrderInEffect(f.url));
}

QList<talvexsim::ListRow> wholeList(const Folder& f)
{
    QList<talvexsim::ListRow> rows;
    for (int page = 1; page <= simSite().pageCount(f.index); ++page)
        rows += simSite().listRows(f.index, orderFor(f), page);
    return rows;
}

void compareEntry(const catalogue::EntryRow& row, const talvexsim::ListRow& expected)
{
    QCOMPARE(row.TargetURL, expected.targetUrl);
    QCOMPARE(row.SoftName, expected.softName);
    QCOMPARE(row.Version, expected.version);
    QCOMPARE(row.FileSize.value_or(-1), qint64(expected.fileSize));
    QCOMPARE(row.NewFlag, expected.newFlag);
    QCOMPARE(row.PickUpURL, expected.pickUpUrl);
    QCOMPARE(row.NewsURL, expected.newsUrl);
    QCOMPARE(row.OpenDate ? row.OpenDate->date() : QDate(), expected.openDate);
    QCOMPARE(row.Description, expected.description);
    QCOMPARE(row.RegiMoney, expected.regiMoney);
    QCOMPARE(row.Ranking.value_or(0), expected.ranking);
}

bool inSubtree(const Folder& f, const Folder& root)
{
    return f.url.startsWith(root.url) && f.url != root.url;
}

catalogue::EntryRow entry(const QString& base, const QString& target, bool favourite)
{
    catalogue::EntryRow row;
    row.BaseURL = base;
    row.TargetURL = target;
    row.SoftName = u"before the refresh"_s;
    row.Favorites = favourite;
    row.Author = u"written by the detail analysis"_s;
    return row;
}

// A chain of category pages on the loopback server, each linking to the next one down.
QString chainFolder(int level)
{
    return config::SiteRoot + u"tpack/filearea/"_s + u"d/"_s.repeated(level);
}

QByteArray categoryPage(const QStringList& links)
{
    QString page = u"<HTML><BODY>\r\n"_s;
    for (const QString& link : links)
        page += u"<TD><A HREF=\"/"_s + link.mid(config::SiteRoot.size()) + u"\">sub</A></TD>\r\n"_s;
    page += u"</BODY></HTML>\r\n"_s;
    return text::EncodeCp932(page);
}

QByteArray pathOf(const QString& url)
{
    return url.mid(config::SiteRoot.size() - 1).toLatin1();
}

} // namespace

void TstUpdateRun::openingAFolderFillsTheCatalogue_data()
{
    QTest::addColumn<int>("folder");
    QTest::addColumn<int>("sortType");
    const auto add = [](const char* name, int sortType, auto test) {
        const Folder* f = findSiteFolder(test);
        QVERIFY2(f, name);
        QTest::newRow(name) << f->index << sortType;
    };
    add("file_list of several pages", 0, [](const Folder& f) {
        return f.layout == ListLayout::FileList && f.hasList && simSite().pageCount(f.index) > 1;
    });
    add("games, LI layout of several pages", 0, [](const Folder& f) {
        return f.layout == ListLayout::LI && f.hasList && simSite().pageCount(f.index) > 1;
    });
    add("classic layout", 0, [](const Folder& f) {
        return f.layout == ListLayout::Classic && f.hasList && !f.packages.isEmpty();
    });
    // The sub-categories come from the page the run fetched, not from a missing index.html.
    add("by date, deep folder with sub-categories", 1, [](const Folder& f) {
        return f.url.count(u'/') >= 7 && f.hasList && !f.children.isEmpty() &&
               f.area == talvexsim::kAreaLibrary;
    });
}

void TstUpdateRun::openingAFolderFillsTheCatalogue()
{
    QFETCH(int, folder);
    QFETCH(int, sortType);
    const Folder& f = simSite().folder(folder);
    config::settings().ReadSortType = sortType;
    update::runState().CurrentArea = f.area;
    RecordingRun run;
    QVERIFY(update::UpdateFolder(&run, f.url, true, false));
    QVERIFY(m_messages->shown.isEmpty());

    const QList<talvexsim::ListRow> expected = wholeList(f);
    const QList<catalogue::EntryRow> rows = entriesOf(f.url);
    QCOMPARE(rows.size(), expected.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        compareEntry(rows[i], expected[i]);
    for (int c : f.children) {
        const Folder& child = simSite().folder(c);
        const std::optional<catalogue::FolderRow> row = folderRow(child.url);
        QVERIFY2(row, qPrintable(child.url));
        QCOMPARE(row->Description, child.name);
        QCOMPARE(row->URLClass, child.depth);
        QVERIFY(row->UpdateFlg);
    }
    QStringList pages;
    for (int page = 1; page <= simSite().pageCount(f.index); ++page)
        pages.append(simSite().listPageUrl(f.index, orderFor(f), page));
    QCOMPARE(requestedUrls(), pages);
    QCOMPARE(run.folders, QStringList(pages.size(), f.url));
    QCOMPARE(run.statuses.last(), QString());
    QVERIFY(!run.progress.filter(u"% 解析済み"_s).isEmpty());
    QCOMPARE(run.progress.last(), QString());
}

void TstUpdateRun::currentCacheMakesNoRun_data()
{
    QTest::addColumn<int>("update");
    QTest::addColumn<int>("sortType");
    QTest::addColumn<int>("cachedOrder"); // -1: nothing cached
    QTest::addColumn<bool>("runs");
    QTest::newRow("offline, nothing cached") << 0 << 0 << -1 << false;
    QTest::newRow("cache, first page cached") << 1 << 0 << 0 << false;
    QTest::newRow("cache, nothing cached") << 1 << 0 << -1 << true;
    QTest::newRow("cache, by date, by_date cached") << 1 << 1 << 1 << false;
    QTest::newRow("cache, by date, only index cached") << 1 << 1 << 0 << true;
    QTest::newRow("cache-date, fresh copy") << 2 << 0 << 0 << false;
    QTest::newRow("online, first page cached") << 3 << 0 << 0 << true;
}

void TstUpdateRun::currentCacheMakesNoRun()
{
    QFETCH(int, update);
    QFETCH(int, sortType);
    QFETCH(int, cachedOrder);
    QFETCH(bool, runs);
    const Folder* f = findSiteFolder([](const Folder& f) {
        return f.url.count(u'/') == 7 && f.hasList && f.area == talvexsim::kAreaLibrary;
    });
    QVERIFY(f);
    config::Settings& s = config::settings();
    s.Update = update;
    s.DateBeforeUpdate = 1;
    s.ReadSortType = sortType;
    if (cachedOrder >= 0)
        QVERIFY(text::WriteFileAtomic(update::CacheFileName(f->url, cachedOrder, 1), "<HTML>"));
    QCOMPARE(update::UpdateFolder(nullptr, f->url, false, false), runs);
    QCOMPARE(!requestedUrls().isEmpty(), runs);
    QCOMPARE(!entriesOf(f->url).isEmpty(), runs);
}

void TstUpdateRun::refreshReplacesTheListOnlyOnceTheSiteAnswers_data()
{
    QTest::addColumn<QString>("trouble"); // "", "site down", "page 2 fails", "cancel on page 2"
    QTest::newRow("site answers") << QString();
    QTest::newRow("site down") << u"site down"_s;
    QTest::newRow("page 2 fails") << u"page 2 fails"_s;
    QTest::newRow("cancel on page 2") << u"cancel on page 2"_s;
}

// A refresh replaces the folder's list only once every page of it has been read: one that
// stops anywhere keeps the whole old list.
void TstUpdateRun::refreshReplacesTheListOnlyOnceTheSiteAnswers()
{
    QFETCH(QString, trouble);
    const Folder* f = findSiteFolder([](const Folder& f) {
        return f.hasList && f.layout == ListLayout::FileList && simSite().pageCount(f.index) >= 3;
    });
    QVERIFY(f);
    const QString listed = simSite().package(f->packages.first()).url;
    const QString gone = config::SiteRoot + u"soft/gone/se999999.html"_s;
    const QString keptGone = config::SiteRoot + u"soft/gone/se999998.html"_s;
    saveEntry(entry(f->url, gone, false));
    saveEntry(entry(f->url, keptGone, true));
    saveEntry(entry(f->url, listed, true));
    const QString page2 = simSite().listPageUrl(f->index, talvexsim::ListOrder::Index, 2);
    RecordingRun run;
    if (trouble == u"site down") {
        useProxyPort(closedPort());
    } else if (trouble == u"page 2 fails") {
        const auto rule = talvexsim::FaultRule::parse(u"reset-mid@"_s + page2.mid(25));
        QVERIFY(rule);
        simServer().faults().add(*rule);
    } else if (trouble == u"cancel on page 2") {
        run.onStatus = [&page2](const QString& text) {
            if (text.startsWith(page2))
                update::runState().Cancel = true;
        };
    }

    QVERIFY(update::UpdateFolder(&run, f->url, true, false));

    const std::optional<catalogue::EntryRow> refreshed = entryRow(f->url, listed);
    QVERIFY(refreshed);
    QVERIFY(refreshed->Favorites);
    QCOMPARE(refreshed->Author, u"written by the detail analysis"_s);
    QVERIFY(entryRow(f->url, keptGone));
    QCOMPARE(bool(entryRow(f->url, gone)), !trouble.isEmpty());
    if (trouble.isEmpty()) {
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(refreshed->SoftName, simSite().package(f->packages.first()).name);
        QCOMPARE(entriesOf(f->url).size(), f->packages.size() + 1);
        return;
    }
    QCOMPARE(m_messages->shown.size(), trouble.startsWith(u"cancel") ? 0 : 1);
    if (!m_messages->shown.isEmpty()) {
        QCOMPARE(m_messages->shown[0].title, u"接続失敗"_s);
        QCOMPARE(m_messages->shown[0].text, kFetchFailed);
        QCOMPARE(m_messages->shown[0].icon, msg::Icon::Stop);
        QCOMPARE(update::runState().FailedPages, 1);
    }
    QCOMPARE(refreshed->SoftName, u"before the refresh"_s);
    QCOMPARE(entriesOf(f->url).size(), 3);
}

void TstUpdateRun::cancelKeepsAnalysedPagesAndUnreachedMarks()
{
    const Folder* platform = findSiteFolder([](const Folder& f) {
        return f.area == talvexsim::kAreaLibrary && f.depth == 1 && f.children.size() >= 3;
    });
    QVERIFY(platform);
    // An earlier run marked the whole subtree, and a folder beside it.
    QList<const Folder*> below;
    for (const Folder& f : simSite().folders()) {
        if (inSubtree(f, *platform)) {
            below.append(&f);
            saveFolder({f.url, f.name, f.depth, QDateTime::currentDateTime(), true});
        }
    }
    const QString beside = config::SiteRoot + u"tpack/filearea/zz_beside/"_s;
    saveFolder({beside, u"beside"_s, 1, QDateTime::currentDateTime(), true});

    RecordingRun run;
    int opened = 0;
    run.onStatus = [&opened](const QString& text) {
        if (text.endsWith(kOpening) && ++opened == 3)
            update::runState().Cancel = true;
    };
    QVERIFY(update::RunUpdateWindow(&run, platform->url));

    // The third page was fetched, then nothing more; it was not analysed.
    QStringList openedPages;
    QSet<QString> analysedPages;
    for (const QString& s : std::as_const(run.statuses)) {
        if (s.endsWith(kOpening))
            openedPages.append(s.chopped(kOpening.size()));
        if (s.endsWith(kAnalysing))
            analysedPages.insert(s.chopped(kAnalysing.size()));
    }
    QCOMPARE(requestedUrls(), openedPages);
    QCOMPARE(analysedPages.size(), 2);
    QVERIFY(!analysedPages.contains(openedPages.last()));

    // Folders linked from an analysed first page are marked; a link after the page's comment
    // strap may or may not be taken; every other folder of the subtree was not reached.
    QSet<QString> reached;
    QSet<QString> maybe;
    for (const Folder* f : std::as_const(below) + QList<const Folder*>{platform}) {
        int analysed = 0;
        for (int page = 1; page <= simSite().pageCount(f->index); ++page) {
            if (!analysedPages.contains(simSite().listPageUrl(f->index, orderFor(*f), page)))
                continue;
            analysed += int(simSite().listRows(f->index, orderFor(*f), page).size());
            for (int c : f->children)
                reached.insert(simSite().folder(c).url);
            for (int c : f->strapLinks)
                maybe.insert(simSite().folder(c).url);
        }
        QCOMPARE(entriesOf(f->url).size(), analysed);
    }
    for (const Folder* f : std::as_const(below)) {
        if (!maybe.contains(f->url) || reached.contains(f->url))
            QCOMPARE(folderRow(f->url)->UpdateFlg, reached.contains(f->url));
    }
    QVERIFY(folderRow(beside)->UpdateFlg);
    QVERIFY(!update::runState().UpdateInProgress);
}

void TstUpdateRun::wholeAreaRunVisitsEachPageOnce()
{
    const QString outside = config::SiteRoot + u"tpack/filearea/gone/"_s;
    saveEntry(entry(outside, config::SiteRoot + u"soft/gone/se999999.html"_s, false));
    update::runState().CurrentArea = talvexsim::kAreaLibrary;
    RecordingRun run;
    QVERIFY(update::RunUpdateWindow(&run, config::AreaUrls[0]));
    QVERIFY(m_messages->shown.isEmpty());

    const QStringList urls = requestedUrls();
    QCOMPARE(QSet<QString>(urls.begin(), urls.end()).size(), urls.size());
    qsizetype pages = 1; // the area's start page
    qsizetype entries = 0;
    int folders = 0;
    for (const Folder& f : simSite().folders()) {
        if (f.area != talvexsim::kAreaLibrary || f.parent < 0)
            continue;
        ++folders;
        pages += simSite().pageCount(f.index);
        entries += f.hasList ? f.packages.size() : 0;
        const std::optional<catalogue::FolderRow> row = folderRow(f.url);
        QVERIFY2(row && row->UpdateFlg, qPrintable(f.url));
    }
    QCOMPARE(urls.size(), pages);
    catalogue::Db db;
    QVERIFY(catalogue::OpenCatalogue(db));
    QCOMPARE(catalogue::CountEntriesBelow(db, config::SiteRoot + u"tpack/filearea/"_s).value_or(0),
             entries + 1); // the update window deletes nothing
    QCOMPARE(run.found.size(), folders);
    QCOMPARE(run.found.last(), folders);
    QCOMPARE(update::runState().FoundFolders, 0);
}

void TstUpdateRun::walkStopsAtTheDepthBound()
{
    config::settings().Debug = 1;
    LoopbackServer loopback;
    useProxyPort(loopback.port());
    const int deepest = update::kMaxFolderDepth + 3;
    for (int level = 1; level <= deepest; ++level)
        loopback.setReplies(pathOf(chainFolder(level)) + "index.html",
                            {{200, categoryPage({chainFolder(level + 1)})}});

    QVERIFY(update::RunUpdateWindow(nullptr, chainFolder(1)));

    for (int level = 1; level <= deepest; ++level)
        QCOMPARE(loopback.requestsFor(pathOf(chainFolder(level)) + "index.html"),
                 level <= update::kMaxFolderDepth ? 1 : 0);
    QVERIFY(folderRow(chainFolder(update::kMaxFolderDepth + 1)));
    QVERIFY(!folderRow(chainFolder(update::kMaxFolderDepth + 2)));
    const QStringList trace = m_folder->readLines(u"Trace.Log"_s);
    QVERIFY(!trace
                 .filter(QString(u"AnalyzeStart 階層制限("_s +
                                 chainFolder(update::kMaxFolderDepth) + u')'))
                 .isEmpty());
}

void TstUpdateRun::refusedAddressIsNeverFetched()
{
    LoopbackServer loopback;
    useProxyPort(loopback.port());
    const QString root = config::SiteRoot + u"tpack/filearea/r/"_s;
    const QString escape = root + u"%2e%2e/%2e%2e/%2E%2E/%2e%2e/escape/"_s;
    loopback.setReplies(pathOf(root) + "index.html",
                        {{200, categoryPage({escape, root + u"ok/"_s})}});
    loopback.setReplies(pathOf(root) + "ok/index.html", {{200, categoryPage({})}});

    QVERIFY(update::RunUpdateWindow(nullptr, root));

    QCOMPARE(loopback.requests().size(), 2);
    QCOMPARE(loopback.requestsFor(pathOf(root) + "ok/index.html"), 1);
    QVERIFY(m_messages->shown.isEmpty());
    QVERIFY(!QFileInfo::exists(m_folder->file(u"escape"_s)));
    QVERIFY(!QFileInfo::exists(m_folder->file(u"CACHE/escape"_s)));
}

void TstUpdateRun::proxyWithoutANameIsRefused()
{
    config::settings().ProxyName.clear();
    QVERIFY(!update::CheckConnection());
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown[0].title, u"接続失敗"_s);
    QVERIFY(m_messages->shown[0].text.startsWith(u"インターネットへの接続に失敗しました。"_s));
    QVERIFY(requestedUrls().isEmpty());
}

void TstUpdateRun::failuresInARowAreToldOnceThenAsked_data()
{
    QTest::addColumn<msg::Answer>("answer");
    QTest::newRow("go on") << msg::Answer::Yes;
    QTest::newRow("stop (the default)") << msg::Answer::No;
}

// Every sub-category of a platform fails: the first failure is told, the second asks whether to
// go on, and the rest of the row is not told again (or not tried, when the user stops).
void TstUpdateRun::failuresInARowAreToldOnceThenAsked()
{
    QFETCH(msg::Answer, answer);
    const Folder* platform = findSiteFolder([](const Folder& f) {
        return f.area == talvexsim::kAreaLibrary && f.depth == 1 && f.children.size() >= 4;
    });
    QVERIFY(platform);
    const auto rule = talvexsim::FaultRule::parse(u"status:503@/"_s + platform->path + u"*/*"_s);
    QVERIFY(rule);
    simServer().faults().add(*rule);
    update::runState().CurrentArea = talvexsim::kAreaLibrary;
    m_messages->answerNext(msg::Answer::Ok);
    m_messages->answerNext(answer);
    RecordingRun run;
    update::RunUpdateWindow(&run, platform->url);

    QCOMPARE(m_messages->shown.size(), 2);
    QCOMPARE(m_messages->shown[0].title, u"接続失敗"_s);
    QCOMPARE(m_messages->shown[1].icon, msg::Icon::Question);
    QCOMPARE(m_messages->shown[1].defaultAnswer, msg::Answer::No);
    const int children = int(platform->children.size());
    const int tried = answer == msg::Answer::No ? 2 : children;
    QCOMPARE(update::runState().FailedPages, tried);
    // Each failed sub-category was tried five times; the ones after a stop not at all.
    QCOMPARE(requestedUrls().size(), 1 + 5 * tried);
}
