// Pages requested ahead of their turn over a slow link: the window of requests in flight, the
// answers waiting for their turn, and update runs that give the same result whatever the
// PrefetchCount, against the simulated site with a latency on every request.

#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "site/Fetcher.h"
#include "support/CatalogueLines.h"
#include "support/TestFolder.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServer.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SitePages.h"
#include "update/RunState.h"
#include "update/SoftDetail.h"
#include "update/UpdateRun.h"
#include "util/Messages.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using talvexsim::Folder;

namespace {

constexpr int kLatencyMs = 4;
const QString kOpening = u" を開いています..."_s;
const QString kAnalysing = u" のデータを解析中です..."_s;

// What a run told and left behind.
struct RunRecord : update::RunObserver
{
    void statusText(const QString& text) override
    {
        statuses.append(text);
        if (text.endsWith(kOpening) && ++opened == cancelAtOpening)
            update::runState().Cancel = true;
    }
    void progressText(const QString& text) override { progress.append(text); }

    int cancelAtOpening = 0; // cancels as the page with this number opens; 0: never
    int opened = 0;
    QStringList statuses;
    QStringList progress;
    QStringList catalogue;
    QStringList cacheFiles; // path below the cache folder and the content's digest
    QStringList trace;      // without the moments
    QStringList requests;
    QList<msg::Message> shown;
    int peakInFlight = 0;
};

QStringList cacheFilesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        files.append(
            path.mid(root.size()) + u' ' +
            QString::fromLatin1(
                QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex()));
    }
    files.sort();
    return files;
}

QStringList traceLines(const QStringList& lines)
{
    static const QRegularExpression moment(u"^.* \\$ "_s);
    static const QRegularExpression seconds(u"=[0-9.]+$"_s);
    QStringList out;
    for (QString line : lines)
        out.append(line.remove(moment).replace(seconds, u"=…"_s));
    return out;
}

QStringList requestedUrls(const talvexsim::SimServerThread& server)
{
    QStringList urls;
    for (const talvexsim::RequestRecord& r : server.requests().records())
        urls.append(r.url);
    return urls;
}

bool eachOnce(const QStringList& urls)
{
    return QSet<QString>(urls.cbegin(), urls.cend()).size() == urls.size();
}

} // namespace

class TstPrefetch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void windowBoundsTheRequestsInFlight_data();
    void windowBoundsTheRequestsInFlight();
    void answerIsSeenOnlyWhole();
    void wholeAreaRunIsTheSameForEveryWindow_data();
    void wholeAreaRunIsTheSameForEveryWindow();
    void refreshOfAFolderIsTheSame();
    void cancelledRunLeavesOnlyWholePages_data();
    void cancelledRunLeavesOnlyWholePages();
    void faultOnAPageAheadGivesTheSameRun_data();
    void faultOnAPageAheadGivesTheSameRun();

private:
    // The settings that reach the simulated site (a new TestFolder clears them).
    void useSite();
    // One update run of the target with the window: Debug traces on, a fresh program folder.
    void runUpdate(int prefetch, const QString& target, RunRecord* record, bool wholeArea = true);
    const Folder* platformWithSeveralChildren() const;

    std::shared_ptr<const talvexsim::Site> m_site;
    std::unique_ptr<talvexsim::SimServerThread> m_server;
};

void TstPrefetch::initTestCase()
{
    m_site = std::make_shared<const talvexsim::Site>(20240517, 1);
    m_server = std::make_unique<talvexsim::SimServerThread>(m_site);
    QVERIFY(m_server->start());
    m_server->server()->setLatencyMs(kLatencyMs);
}

void TstPrefetch::cleanupTestCase()
{
    m_server.reset();
    m_site.reset();
}

void TstPrefetch::init()
{
    useSite();
    site::SetRetryPauseForTests(0);
    update::runState() = update::RunState();
    m_server->requests().clear();
    m_server->faults().clear();
}

void TstPrefetch::useSite()
{
    config::Settings& s = config::settings();
    s.Update = 3;
    s.TimeOut = 5;
    s.UserAgent = u"Pelimond version 1.0.0"_s;
    s.Proxy = 2;
    s.ProxyName = u"127.0.0.1"_s;
    s.ProxyPort = m_server->port();
}

void TstPrefetch::cleanup()
{
    site::iNetDropPrefetch();
    site::SetRetryPauseForTests(-1);
    config::settings().PrefetchCount = 1;
    update::runState() = update::RunState();
}

void TstPrefetch::runUpdate(int prefetch, const QString& target, RunRecord* record, bool wholeArea)
{
    TestFolder folder;
    useSite();
    msg::ScriptedSink messages;
    config::Settings& s = config::settings();
    s.dbname = folder.file(u"Pelimond.mdb"_s);
    QVERIFY(catalogue::CreateEmptyCatalogue(s.dbname));
    s.CacheFolder = folder.file(u"CACHE"_s);
    s.Debug = 1;
    s.PrefetchCount = prefetch;
    update::runState() = update::RunState();
    update::runState().CurrentArea = talvexsim::kAreaLibrary;
    m_server->requests().clear();
    m_server->server()->resetPeakInFlight();

    if (wholeArea)
        update::RunUpdateWindow(record, target);
    else
        update::UpdateFolder(record, target, true, true);
    // Whatever was sent ahead and dropped has had time to reach the site.
    QTest::qWait(5 * kLatencyMs);

    record->catalogue = catalogueLines(s.dbname);
    record->cacheFiles = cacheFilesBelow(s.CacheFolder);
    record->trace = traceLines(folder.readLines(u"Trace.Log"_s));
    record->requests = requestedUrls(*m_server);
    record->shown = messages.shown;
    record->peakInFlight = m_server->server()->peakInFlight();
    s.Debug = 0;
}

const Folder* TstPrefetch::platformWithSeveralChildren() const
{
    // The first sub-category has more pages below it than its first one.
    for (const Folder& f : m_site->folders()) {
        if (f.area != talvexsim::kAreaLibrary || f.depth != 1 || f.children.size() < 4)
            continue;
        const Folder& first = m_site->folder(f.children[0]);
        if (!first.children.isEmpty() || m_site->pageCount(first.index) > 1)
            return &f;
    }
    return nullptr;
}

void TstPrefetch::windowBoundsTheRequestsInFlight_data()
{
    QTest::addColumn<int>("prefetch");
    QTest::addColumn<bool>("reversed"); // the pages are fetched in the other order
    QTest::newRow("one at a time") << 1 << false;
    QTest::newRow("three, in order") << 3 << false;
    QTest::newRow("three, fetched the other way round") << 3 << true;
    QTest::newRow("eight") << 8 << false;
}

// A plan longer than the window: never more requests in flight than the window, each page
// requested once and its answer taken up by its fetch, whichever order they are fetched in.
void TstPrefetch::windowBoundsTheRequestsInFlight()
{
    QFETCH(int, prefetch);
    QFETCH(bool, reversed);
    TestFolder folder;
    useSite();
    config::settings().PrefetchCount = prefetch;
    QStringList plan;
    for (const talvexsim::Package& p : m_site->packages()) {
        plan.append(p.url);
        if (plan.size() == 40)
            break;
    }
    m_server->server()->resetPeakInFlight();
    site::iNetPlanAhead(plan);
    QVERIFY(site::iNetPrefetched().size() <= site::PrefetchHeldLimit());
    QStringList order = plan;
    if (reversed)
        std::reverse(order.begin(), order.end());
    const talvexsim::SitePages pages(m_site);
    for (const QString& url : std::as_const(order)) {
        const QString file = folder.file(u"page.html"_s);
        QVERIFY2(site::iNetGetFile(url, file), qPrintable(url));
        const QUrl u(url);
        QCOMPARE(folder.readBytes(u"page.html"_s), pages.get(u.host(), u.path()).body);
    }
    const QStringList urls = requestedUrls(*m_server);
    QCOMPARE(QSet<QString>(urls.cbegin(), urls.cend()), QSet<QString>(plan.cbegin(), plan.cend()));
    QVERIFY(eachOnce(urls));
    QVERIFY2(m_server->server()->peakInFlight() <= prefetch,
             qPrintable(QString::number(m_server->server()->peakInFlight())));
    if (prefetch > 1)
        QVERIFY(m_server->server()->peakInFlight() > 1);
}

// Only an answer that arrived whole with a 2xx status is shown before its turn.
void TstPrefetch::answerIsSeenOnlyWhole()
{
    config::settings().PrefetchCount = 4;
    const QList<talvexsim::Package>& packages = m_site->packages();
    const QString whole = packages[0].url;
    const QString missing = config::SiteRoot + u"soft/nowhere/se000001.html"_s;
    const QString cut = packages[1].url;
    const QString slow = packages[2].url;
    const QStringList rules{u"truncate:100@"_s + QUrl(cut).path(),
                            u"delay:2000@"_s + QUrl(slow).path()};
    for (const QString& rule : rules)
        m_server->faults().add(*talvexsim::FaultRule::parse(rule));
    site::iNetPlanAhead({whole, missing, cut, slow});
    QTRY_VERIFY(site::iNetPeekPrefetched(whole).has_value());
    QTest::qWait(10 * kLatencyMs);
    const talvexsim::SitePages pages(m_site);
    QCOMPARE(*site::iNetPeekPrefetched(whole),
             pages.get(QUrl(whole).host(), QUrl(whole).path()).body);
    QVERIFY(!site::iNetPeekPrefetched(missing));
    QVERIFY(!site::iNetPeekPrefetched(cut));
    QVERIFY(!site::iNetPeekPrefetched(slow));
    QVERIFY(!site::iNetPeekPrefetched(packages[3].url)); // never planned
    // Seen ahead, the answer is still the fetch's.
    TestFolder folder;
    useSite();
    config::settings().PrefetchCount = 4;
    QVERIFY(site::iNetGetFile(whole, folder.file(u"page.html"_s)));
    QCOMPARE(requestedUrls(*m_server).count(whole), 1);
}

void TstPrefetch::wholeAreaRunIsTheSameForEveryWindow_data()
{
    QTest::addColumn<int>("prefetch");
    QTest::newRow("4") << 4;
    QTest::newRow("8") << 8;
}

// The whole library area: the pages analysed in the same order, the same catalogue, cache
// files, trace and progress as one page at a time, every page requested once, and never more
// in flight than the window.
void TstPrefetch::wholeAreaRunIsTheSameForEveryWindow()
{
    QFETCH(int, prefetch);
    RunRecord single;
    runUpdate(1, config::AreaUrls[talvexsim::kAreaLibrary], &single);
    RunRecord ahead;
    runUpdate(prefetch, config::AreaUrls[talvexsim::kAreaLibrary], &ahead);

    QVERIFY(single.shown.isEmpty());
    QVERIFY(ahead.shown.isEmpty());
    QCOMPARE(ahead.statuses, single.statuses);
    QCOMPARE(ahead.progress, single.progress);
    QCOMPARE(ahead.catalogue, single.catalogue);
    QCOMPARE(ahead.cacheFiles, single.cacheFiles);
    QCOMPARE(ahead.trace, single.trace);
    QVERIFY(eachOnce(ahead.requests));
    QCOMPARE(QSet<QString>(ahead.requests.cbegin(), ahead.requests.cend()),
             QSet<QString>(single.requests.cbegin(), single.requests.cend()));
    QCOMPARE(single.peakInFlight, 1);
    QVERIFY2(ahead.peakInFlight > 1 && ahead.peakInFlight <= prefetch,
             qPrintable(QString::number(ahead.peakInFlight)));
}

// A folder refreshed with its sub-categories (its visited marks are not cleared, so nothing is
// looked into ahead): the same result as one page at a time.
void TstPrefetch::refreshOfAFolderIsTheSame()
{
    const Folder* platform = platformWithSeveralChildren();
    QVERIFY(platform);
    RunRecord single;
    runUpdate(1, platform->url, &single, false);
    RunRecord ahead;
    runUpdate(4, platform->url, &ahead, false);
    QCOMPARE(ahead.statuses, single.statuses);
    QCOMPARE(ahead.catalogue, single.catalogue);
    QCOMPARE(ahead.cacheFiles, single.cacheFiles);
    QVERIFY(eachOnce(ahead.requests));
    QVERIFY(ahead.peakInFlight > 1);
}

void TstPrefetch::cancelledRunLeavesOnlyWholePages_data()
{
    QTest::addColumn<int>("cancelAt"); // the page opening when Cancel is pressed
    QTest::newRow("second page") << 2;
    QTest::newRow("tenth page") << 10;
}

// Cancel stops at once: the page being opened is stored whole, nothing more is analysed or
// stored, and the answers that came ahead are dropped unread.
void TstPrefetch::cancelledRunLeavesOnlyWholePages()
{
    QFETCH(int, cancelAt);
    RunRecord single;
    single.cancelAtOpening = cancelAt;
    runUpdate(1, config::AreaUrls[talvexsim::kAreaLibrary], &single);
    RunRecord ahead;
    ahead.cancelAtOpening = cancelAt;
    runUpdate(4, config::AreaUrls[talvexsim::kAreaLibrary], &ahead);

    QCOMPARE(ahead.opened, cancelAt);
    QCOMPARE(ahead.statuses, single.statuses);
    QCOMPARE(ahead.catalogue, single.catalogue);
    QCOMPARE(ahead.cacheFiles, single.cacheFiles);
    QCOMPARE(ahead.shown.size(), single.shown.size());
    // No request goes out once the run has returned (those sent before it are answered by now).
    QTest::qWait(200);
    const qsizetype after = m_server->requests().records().size();
    QTest::qWait(20 * kLatencyMs);
    QCOMPARE(m_server->requests().records().size(), after);
}

void TstPrefetch::faultOnAPageAheadGivesTheSameRun_data()
{
    QTest::addColumn<QString>("kind"); // the fault on the third sub-category's first page
    QTest::newRow("reset, then whole") << u"reset#1"_s;
    QTest::newRow("reset five times") << u"reset#5"_s;
    QTest::newRow("503 five times") << u"status:503#5"_s;
    QTest::newRow("503 twice") << u"status:503#2"_s;
}

// A page fetched ahead whose answer fails is fetched again when its turn comes, with the
// attempts left of its five: the same messages, catalogue and attempts as one page at a time.
void TstPrefetch::faultOnAPageAheadGivesTheSameRun()
{
    QFETCH(QString, kind);
    const Folder* platform = platformWithSeveralChildren();
    QVERIFY(platform);
    const Folder& third = m_site->folder(platform->children[2]);
    const QString page = third.url + u"index.html"_s;
    const QString rule = kind + u'@' + QUrl(page).path();

    RunRecord single;
    m_server->faults().add(*talvexsim::FaultRule::parse(rule));
    runUpdate(1, platform->url, &single);
    m_server->faults().clear();
    RunRecord ahead;
    m_server->faults().add(*talvexsim::FaultRule::parse(rule));
    runUpdate(4, platform->url, &ahead);

    // One page at a time, the page is asked for after the first sub-category's subtree; with
    // the window, together with its sibling folders, before that subtree.
    const Folder& first = m_site->folder(platform->children[0]);
    const QString below =
        first.children.isEmpty()
            ? single.requests.value(single.requests.indexOf(first.url + u"index.html"_s) + 1)
            : m_site->folder(first.children[0]).url + u"index.html"_s;
    QVERIFY(single.requests.indexOf(page) > single.requests.indexOf(below));
    QVERIFY(ahead.requests.indexOf(page) < ahead.requests.indexOf(below));
    QCOMPARE(ahead.shown.size(), single.shown.size());
    for (qsizetype i = 0; i < single.shown.size(); ++i) {
        QCOMPARE(ahead.shown[i].title, single.shown[i].title);
        QCOMPARE(ahead.shown[i].text, single.shown[i].text);
    }
    QCOMPARE(ahead.statuses, single.statuses);
    QCOMPARE(ahead.catalogue, single.catalogue);
    QCOMPARE(ahead.cacheFiles, single.cacheFiles);
    QCOMPARE(ahead.requests.count(page), single.requests.count(page));
}

QTEST_MAIN(TstPrefetch)
#include "tst_prefetch.moc"
