#include "update/UpdateRun.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueLock.h"
#include "config/Categories.h"
#include "config/Settings.h"
#include "site/EventPump.h"
#include "site/Fetcher.h"
#include "update/CategoryAnalysis.h"
#include "update/PageCache.h"
#include "update/RunState.h"
#include "update/SiteWriters.h"
#include "update/WalkAhead.h"
#include "util/Messages.h"
#include "util/Trace.h"

#include <QNetworkInformation>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <exception>
#include <functional>
#include <utility>
#include <vector>

namespace update {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// One walk: who hears about it, and the folder whose old list is replaced once its first page
// has arrived (UpdateFolder's folder; empty for the update window's runs).
struct Walk
{
    Walk(RunObserver* o, const QString& purge, bool cleared)
        : observer(o), purgeUrl(purge), marksCleared(cleared)
    {}

    RunObserver* observer = nullptr;
    QString purgeUrl;
    // The run cleared the visited marks of its folders at its start (the update window's runs).
    bool marksCleared = false;
    // The sub-category lists being walked, outermost first, each with the position of the one
    // being walked now: what tells the folders that come after the current one.
    OpenLevels open;
    // Where the walk stands, and the pages it reads next, requested ahead.
    WalkCursor cursor;
    WalkAhead ahead{false, 0, 0};
};

void showStatus(const Walk& walk, const QString& text)
{
    if (walk.observer)
        walk.observer->statusText(text);
}

// True when the network may be used. A named proxy is trusted as it stands (it may well be on
// this machine); otherwise the system is asked only when it can tell, and never about the
// site's own name.
bool networkUsable()
{
    const config::Settings& s = config::settings();
    if (s.Proxy == 2)
        return !s.ProxyName.trimmed().isEmpty();
    static const bool loaded = QNetworkInformation::loadDefaultBackend();
    const QNetworkInformation* info = loaded ? QNetworkInformation::instance() : nullptr;
    return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
}

// The first failed page of a row is told; at the second the user decides whether the run goes
// on (No, the default, stops it), and the later ones of the row are only traced: a site whose
// pages all fail cannot hold the user with one message per page.
void reportFailureInARow(RunState& state)
{
    ++state.FailuresInARow;
    if (state.FailuresInARow == 1) {
        ShowFetchFailure();
        return;
    }
    if (state.FailuresInARow == 2 &&
        msg::Show(QStringLiteral("続けてページを取得できませんでした。") + kCrLf + kCrLf +
                      QStringLiteral("更新を続けますか?"),
                  QStringLiteral("接続失敗"), msg::Icon::Question, msg::Buttons::YesNo,
                  msg::Answer::No) != msg::Answer::Yes)
        state.Cancel = true;
}

// Fetches one page into its cache file. False, after telling the user, when the site does not
// answer; a page without a cache file of its own is a failed page too, but a silent one (the
// refusal is traced).
bool fetchPage(const Walk& walk, const QString& pageUrl, const QString& cacheFile)
{
    if (cacheFile.isEmpty()) {
        runState().RefusedUrls.append(pageUrl);
        showStatus(walk, QString());
        return false;
    }
    RunState& state = runState();
    if (site::iNetGetFile(pageUrl, cacheFile)) {
        state.FailuresInARow = 0;
        return true;
    }
    // A cancel that stopped the fetch is no failure to report; a full disk is no network's.
    if (site::LastFetchFailure() == site::FetchFailure::Write) {
        ReportCacheWriteFailure(cacheFile);
    } else if (!site::CancelRequested()) {
        ++state.FailedPages;
        reportFailureInARow(state);
    }
    return false;
}

// A run starts with no failures of its own.
void startRun(RunState& state)
{
    state.Cancel = false;
    state.FailedPages = 0;
    state.FailuresInARow = 0;
    state.RefusedUrls.clear();
    state.WriteError.clear();
}

// Whether a list page shows an entry the folder's earlier pages did not; a page that only
// repeats them (a list going round, or one whose pages never end) ends the folder.
bool addsEntries(const QList<SoftListEntry>& entries, QSet<QString>* shown)
{
    const qsizetype before = shown->size();
    for (const SoftListEntry& e : entries)
        shown->insert(e.TargetURL);
    return shown->size() > before;
}

// Points the walk's cursor at a folder for as long as its pages are read; between folders it
// points nowhere, so an answer arriving then plans nothing.
class CursorOn
{
public:
    CursorOn(Walk& walk, WalkCursor cursor) : m_walk(walk) { m_walk.cursor = std::move(cursor); }
    ~CursorOn() { m_walk.cursor = WalkCursor(); }
    CursorOn(const CursorOn&) = delete;
    CursorOn& operator=(const CursorOn&) = delete;

private:
    Walk& m_walk;
};

// The page has been analysed: the walk knows what comes after it, and the fetcher is told.
void pageAnalysed(Walk& walk, const QString& pageUrl, int next)
{
    walk.ahead.forget(pageUrl);
    walk.cursor.analysed = true;
    walk.cursor.next = next;
    walk.ahead.plan(walk.cursor, walk.open);
}

// Reads the folder's list pages one after another; page 1 also gives the sub-categories. False
// when the folder stopped early (no connection, cancel, a failed fetch), so its sub-categories
// are not walked. The folder the walk refreshes keeps its old list until its last page has been
// read: then the new list replaces it in one transaction; a folder that stops early keeps it.
bool readFolderPages(Walk& walk, const QString& folderUrl, int level, QStringList* children,
                     bool walkChildren)
{
    RunState& state = runState();
    const int listOrder = config::settings().ReadSortType;
    const bool replacing = !walk.purgeUrl.isEmpty() && walk.purgeUrl == folderUrl;
    if (replacing)
        walk.purgeUrl.clear();
    const bool listed = config::IsCategoryFetched(folderUrl);
    std::optional<QList<SoftListEntry>> pending;
    if (replacing && listed)
        pending.emplace();
    QSet<int> read;
    QSet<QString> shown;
    const CursorOn cursor(
        walk, {folderUrl, level, walkChildren, listed, 1, false, -1, children, &read, &shown});
    int page = 1;
    while (page != -1) {
        walk.cursor.page = page;
        walk.cursor.analysed = false;
        if (!CheckConnection())
            return false;
        if (walk.observer)
            walk.observer->folderStarted(folderUrl);
        // The first page makes the cache folder; the later ones go into the same folder.
        const QString cacheFile = page == 1 ? CacheFileName(folderUrl, listOrder, page)
                                            : CachePath(folderUrl, listOrder, page);
        if (state.stopped())
            return false;
        const QString pageUrl = ListPageUrl(folderUrl, listOrder, page);
        showStatus(walk, pageUrl + QStringLiteral(" を開いています..."));
        if (!fetchPage(walk, pageUrl, cacheFile))
            return false;
        if (state.stopped())
            return false;
        showStatus(walk, pageUrl + QStringLiteral(" のデータを解析中です..."));
        // Read once: the category and the list analysis take the same text.
        const std::optional<QString> text = ReadCachedPage(folderUrl, listOrder, page);
        if (!text) {
            util::TraceIfDebug(QStringLiteral("AnalyzeStart エラー(") + pageUrl + u')');
            return false;
        }
        if (page == 1) {
            QStringList linked;
            if (!AnalyzeHTML(walk.observer, folderUrl, *text, children, &linked))
                return false;
            walk.ahead.addLinked(linked);
        }
        if (!listed) {
            pageAnalysed(walk, pageUrl, -1);
            break;
        }
        read.insert(page);
        const auto nextKnown = [&](const QList<SoftListEntry>& entries, int next) {
            if (next != -1 && (read.contains(next) || read.size() >= kMaxListPages ||
                               !addsEntries(entries, &shown))) {
                util::TraceIfDebug(QStringLiteral("AnalyzeStart ページ制限(") + folderUrl + u')');
                next = -1;
            }
            pageAnalysed(walk, pageUrl, next);
            return next;
        };
        AnalyzeSoftList(walk.observer, folderUrl, *text, &page, pending ? &*pending : nullptr,
                        nextKnown);
        showStatus(walk, QString());
        if (state.stopped())
            return false;
    }
    if (replacing &&
        !(pending ? ReplaceFolderEntries(folderUrl, *pending) : PurgeFolderEntries(folderUrl)))
        return false;
    return true;
}

// The depth of a folder below its area's root; 0 for the area's start page.
int levelOf(const QString& folderUrl)
{
    return qMax(0, FolderClass(folderUrl, runState().CurrentArea));
}

// One folder and, with walkChildren, its sub-categories depth first. Only a failure of a whole
// walk below gives false; a folder that stopped early (reported to the user) does not.
bool walkFolder(Walk& walk, const QString& folderUrl, bool walkChildren, int level)
{
    QStringList children;
    if (!readFolderPages(walk, folderUrl, level, &children,
                         walkChildren && level < kMaxFolderDepth) ||
        !walkChildren)
        return true;
    if (!children.isEmpty() && level >= kMaxFolderDepth) {
        util::TraceIfDebug(QStringLiteral("AnalyzeStart 階層制限(") + folderUrl + u')');
        return true;
    }
    walk.open.emplace_back(&children, 0);
    bool walked = true;
    for (qsizetype i = 0; i < children.size() && walked; ++i) {
        walk.open.back().second = i;
        walked = walkFolder(walk, children[i], true, level + 1);
        if (runState().stopped())
            break;
    }
    walk.open.pop_back();
    return walked;
}

// For the length of a walk, answers arriving ahead extend the plan; at its end the requests
// sent ahead that a stopped walk never took up are dropped.
class AheadForTheWalk
{
public:
    explicit AheadForTheWalk(Walk& walk)
    {
        site::SetPrefetchArrivedHandler([&walk] { walk.ahead.plan(walk.cursor, walk.open); });
    }
    ~AheadForTheWalk()
    {
        site::SetPrefetchArrivedHandler(nullptr);
        site::iNetDropPrefetch();
    }
    AheadForTheWalk(const AheadForTheWalk&) = delete;
    AheadForTheWalk& operator=(const AheadForTheWalk&) = delete;
};

bool analyzeStart(Walk& walk, const QString& folderUrl, bool walkChildren)
{
    const int level = levelOf(folderUrl);
    walk.ahead = WalkAhead(walk.marksCleared, config::settings().ReadSortType, level);
    const AheadForTheWalk ahead(walk);
    try {
        return walkFolder(walk, folderUrl, walkChildren, level);
    } catch (const std::exception& e) {
        util::TraceIfDebug(QStringLiteral("AnalyzeStart エラー(") +
                           QString::fromLocal8Bit(e.what()) + u')');
        return false;
    }
}

// What a run holds for its length: the catalogue's update lock alone, so that no other run (of
// this process or another) interleaves with it, and the catalogue open. ready() is false after
// the user has been told why the run cannot start.
class RunHold
{
public:
    RunHold()
    {
        const QString path = config::settings().dbname;
        if (!m_lock.lock(catalogue::UpdateLockPath(path), catalogue::FileLock::Mode::Exclusive,
                         0)) {
            msg::Show(QStringLiteral("このカタログは別の更新で使用中です。") + kCrLf +
                          QStringLiteral("その更新が終わってから、もう一度実行してください。"),
                      QStringLiteral("更新中"), msg::Icon::Exclamation);
            return;
        }
        m_keep.emplace();
        catalogue::Db db;
        if (!catalogue::OpenCatalogue(db)) {
            const QString why = db.lastError().text();
            msg::Show(QStringLiteral("カタログ ") + path + QStringLiteral(" を開けません。") +
                          kCrLf + (why.isEmpty() ? QStringLiteral("ファイルがありません。") : why),
                      QStringLiteral("カタログ"), msg::Icon::Stop);
            return;
        }
        m_ready = true;
    }
    RunHold(const RunHold&) = delete;
    RunHold& operator=(const RunHold&) = delete;

    bool ready() const { return m_ready; }

private:
    catalogue::FileLock m_lock;
    std::optional<catalogue::KeepCatalogueOpen> m_keep;
    bool m_ready = false;
};

// Clears UpdateInProgress however the run ends.
class InProgress
{
public:
    InProgress() { runState().UpdateInProgress = true; }
    ~InProgress() { runState().UpdateInProgress = false; }
    InProgress(const InProgress&) = delete;
    InProgress& operator=(const InProgress&) = delete;
};

void clearVisitedMarks(const QString& targetUrl)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        return;
    const int area = runState().CurrentArea;
    const bool wholeArea =
        area >= 0 && area < int(config::AreaUrls.size()) && targetUrl == config::AreaUrls[area];
    const bool cleared = wholeArea ? catalogue::ClearFolderMarks(db)
                                   : catalogue::ClearFolderMarksBelow(db, targetUrl);
    if (!cleared)
        util::TraceIfDebug(QStringLiteral("frmLibUpdate エラー(") + db.lastError().text() + u')');
}

} // namespace

bool UpdateFolder(RunObserver* observer, const QString& folderUrl, bool force, bool walkChildren)
{
    // The first page as the run would fetch it: a deep folder in the by-date or by-name order
    // is never cached as "index.html".
    if (!force && IsCacheCurrent(CachePath(folderUrl, config::settings().ReadSortType, 1)))
        return false;
    startRun(runState());
    const RunHold hold;
    if (!hold.ready())
        return false;
    Walk walk(observer, folderUrl, false);
    analyzeStart(walk, folderUrl, walkChildren);
    return true;
}

bool AnalyzeStart(RunObserver* observer, const QString& folderUrl, bool walkChildren)
{
    Walk walk(observer, QString(), false);
    return analyzeStart(walk, folderUrl, walkChildren);
}

bool CheckConnection()
{
    if (networkUsable())
        return true;
    msg::Show(QStringLiteral("インターネットへの接続に失敗しました。") + kCrLf +
                  QStringLiteral("インターネット接続の設定が正しいかを確認してください。") + kCrLf +
                  QStringLiteral("ネットに接続しないで使用する場合はオフラインモードに変更してくだ"
                                 "さい。"),
              QStringLiteral("接続失敗"), msg::Icon::Stop);
    return false;
}

bool RunUpdateWindow(RunObserver* observer, const QString& targetUrl)
{
    RunState& state = runState();
    state.UpdateTargetUrl = targetUrl;
    startRun(state);
    const RunHold hold;
    if (!hold.ready())
        return false;
    clearVisitedMarks(targetUrl);
    state.FoundFolders = 0;
    bool result = false;
    {
        const InProgress running;
        Walk walk(observer, QString(), true);
        result = analyzeStart(walk, targetUrl, true);
    }
    if (!result && state.WriteError.isEmpty())
        msg::Show(QStringLiteral("サーバの応答がタイムアウトしました。") + kCrLf +
                      QStringLiteral("カテゴリデータの更新に失敗しました。"),
                  QStringLiteral("サーバタイムアウト"), msg::Icon::Stop);
    state.FoundFolders = 0;
    return result;
}

void ShowFetchFailure()
{
    msg::Show(QStringLiteral("データの取得に失敗しました。") + kCrLf +
                  QStringLiteral("インターネットに正しく接続されているか、") + kCrLf +
                  QStringLiteral("IEが「オフライン作業」になっていないかを確認してください。"),
              QStringLiteral("接続失敗"), msg::Icon::Stop);
}

QString FoundFoldersText(int total)
{
    return QString::number(total) + QStringLiteral("件のライブラリが見つかりました。");
}

QString AnalysedText(int percent)
{
    return QString::number(percent) + QStringLiteral("% 解析済み");
}

} // namespace update
