#include "update/SiteWriters.h"

#include "catalogue/Catalogue.h"
#include "catalogue/PageTransaction.h"
#include "config/Settings.h"
#include "update/CategoryAnalysis.h"
#include "update/PageCache.h"
#include "update/RunState.h"
#include "update/UpdateRun.h"
#include "util/FileUtil.h"
#include "util/Text.h"
#include "util/Trace.h"

#include <QDateTime>
#include <QTime>

namespace update {

namespace {

// What the analysers report, passed on to the run's observer; cancel is the run's flag.
class RunAdapter final : public AnalysisObserver
{
public:
    explicit RunAdapter(RunObserver* observer) : m_observer(observer) {}

    void foundFolder(int total) override
    {
        if (m_observer)
            m_observer->foundFolder(total);
    }
    void percentAnalysed(int percent) override
    {
        if (!m_observer)
            return;
        m_observer->progressText(AnalysedText(percent));
        m_observer->percentAnalysed(percent);
    }
    bool cancelRequested() const override { return runState().stopped(); }

private:
    RunObserver* m_observer;
};

// Folder rows written as the category analysis finds them.
class CatalogueFolderWriter final : public FolderWriter
{
public:
    explicit CatalogueFolderWriter(catalogue::Db& db) : m_db(db) {}

    std::optional<bool> saveFolder(const FolderRecord& folder) override
    {
        const std::optional<catalogue::FolderRow> old =
            catalogue::FindFolder(m_db, folder.TargetURL);
        // A read that failed is no missing row: the folder may well be there, visited.
        const bool readFailed = !old && m_db.lastError().type() != QSqlError::NoError;
        const catalogue::FolderRow row{folder.TargetURL, folder.Description, folder.URLClass,
                                       QDateTime::currentDateTime(), true};
        if (readFailed || !catalogue::SaveFolder(m_db, row)) {
            util::TraceIfDebug(QStringLiteral("AnalyzeHTMLSub エラー(") + m_db.lastError().text() +
                               u')');
            ReportWriteFailure(m_db.lastError().text());
            return std::nullopt;
        }
        return old ? old->UpdateFlg : false;
    }

private:
    catalogue::Db& m_db;
};

// The error's number when the engine gives one, else its text.
QString errorNumber(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return code.isEmpty() ? error.text() : code;
}

// The seconds since midnight as a single-precision number ("45296.52").
QString secondsSinceMidnight()
{
    const float seconds = float(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
    return QString::number(double(seconds), 'g', 7);
}

catalogue::EntryRow listRow(const QString& folderUrl, const SoftListEntry& entry, int ranking)
{
    catalogue::EntryRow row;
    row.BaseURL = folderUrl;
    row.TargetURL = entry.TargetURL;
    row.SoftName = entry.SoftName;
    row.FileSize = entry.FileSize;
    row.Version = entry.Version;
    row.FileType = entry.FileType;
    row.PickUpURL = entry.PickUpURL;
    row.Description = entry.Description;
    row.RegiMoney = entry.RegiMoney;
    row.NewFlag = entry.NewFlag;
    row.OpenDate =
        entry.OpenDate ? std::optional<QDateTime>(entry.OpenDate->startOfDay()) : std::nullopt;
    row.NewsURL = entry.NewsURL;
    row.Ranking = ranking;
    return row;
}

void clearProgress(RunObserver* observer)
{
    if (observer)
        observer->progressText(QString());
}

} // namespace

std::optional<QString> ReadCachedPage(const QString& url, int listOrder, int page)
{
    const QString file = CachePath(url, listOrder, page);
    QString text;
    if (file.isEmpty() || !util::FileExists(file) || !text::ReadTextFile(file, &text))
        return std::nullopt;
    return text;
}

bool AnalyzeHTML(RunObserver* observer, const QString& folderUrl, QStringList* children)
{
    // The page the run has just fetched: with the by-date or by-name order in effect that is
    // not the folder's "index.html", which may be missing or stale.
    const std::optional<QString> page =
        ReadCachedPage(folderUrl, config::settings().ReadSortType, 1);
    return page && AnalyzeHTML(observer, folderUrl, *page, children);
}

bool AnalyzeHTML(RunObserver* observer, const QString& folderUrl, QStringView page,
                 QStringList* children, QStringList* linked)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        util::TraceIfDebug(QStringLiteral("AnalyzeHTML エラー(") + errorNumber(db.lastError()) +
                           u')');
        ReportWriteFailure(db.lastError().text());
        return false;
    }
    RunState& state = runState();
    const CategoryContext context{folderUrl, state.CurrentArea, state.UpdateTargetUrl,
                                  state.FoundFolders};
    CatalogueFolderWriter writer(db);
    RunAdapter adapter(observer);
    // One commit for the page's folders rather than one per link.
    const bool batched = db.beginTransaction();
    const CategoryAnalysis result = update::AnalyzeHTML(page, context, writer, &adapter);
    if (batched && !db.commit()) {
        util::TraceIfDebug(QStringLiteral("AnalyzeHTML エラー(") + errorNumber(db.lastError()) +
                           u')');
        ReportWriteFailure(db.lastError().text());
        return false;
    }
    state.FoundFolders = result.foundFolders;
    if (children)
        children->append(result.children);
    if (linked) {
        for (const FolderRecord& f : result.folders)
            linked->append(f.TargetURL);
    }
    return !state.stopped();
}

bool AnalyzeSoftList(RunObserver* observer, const QString& folderUrl, int* page)
{
    const std::optional<QString> text =
        ReadCachedPage(folderUrl, config::settings().ReadSortType, *page);
    if (!text) {
        *page = -1;
        return false;
    }
    return AnalyzeSoftList(observer, folderUrl, *text, page);
}

bool AnalyzeSoftList(RunObserver* observer, const QString& folderUrl, QStringView text, int* page,
                     QList<SoftListEntry>* collect, const NextPageKnown& nextPageKnown)
{
    const config::Settings& s = config::settings();
    RunAdapter adapter(observer);
    SoftListPage list = update::AnalyzeSoftList(text, folderUrl, *page, s.ReadMaxPages, &adapter);
    if (list.layout == ListLayout::None)
        list.nextPage = -1;
    if (nextPageKnown)
        list.nextPage = nextPageKnown(list.entries, list.nextPage);
    if (list.layout == ListLayout::None) {
        // The folder has no list (any more): nothing to write.
        clearProgress(observer);
        *page = -1;
        return true;
    }
    if (collect) {
        collect->append(std::move(list.entries));
        clearProgress(observer);
        *page = list.nextPage;
        return true;
    }
    catalogue::PageTransaction transaction(s.dbname);
    if (!transaction.isOpen()) {
        clearProgress(observer);
        ReportWriteFailure(transaction.lastError().text());
        *page = -1;
        return false;
    }
    util::TraceIfDebug(QStringLiteral("ソフトデータ解析開始=") + secondsSinceMidnight());
    catalogue::Db& db = transaction.db();
    bool written = true;
    for (qsizetype i = 0; written && i < list.entries.size(); ++i)
        written = AnalyzeSoftDb(db, folderUrl, list.entries[i], list.entries[i].Ranking);
    clearProgress(observer);
    if (!written || !transaction.commit()) {
        const QSqlError error = written ? transaction.lastError() : db.lastError();
        util::TraceIfDebug(error.text() + u'=' + errorNumber(error));
        ReportWriteFailure(error.text());
        *page = -1;
        return false;
    }
    util::TraceIfDebug(QStringLiteral("ソフトデータ解析終了=") + secondsSinceMidnight());
    *page = list.nextPage;
    return true;
}

bool ReplaceFolderEntries(const QString& folderUrl, const QList<SoftListEntry>& entries)
{
    catalogue::PageTransaction transaction(config::settings().dbname);
    if (!transaction.isOpen()) {
        ReportWriteFailure(transaction.lastError().text());
        return false;
    }
    catalogue::Db& db = transaction.db();
    bool written = catalogue::DeleteFolderEntries(db, folderUrl);
    for (qsizetype i = 0; written && i < entries.size(); ++i)
        written = AnalyzeSoftDb(db, folderUrl, entries[i], entries[i].Ranking);
    if (written && transaction.commit())
        return true;
    const QSqlError error = written ? transaction.lastError() : db.lastError();
    util::TraceIfDebug(QStringLiteral("UpdateFolder エラー(") + errorNumber(error) + u')');
    ReportWriteFailure(error.text());
    return false;
}

bool AnalyzeSoftDb(catalogue::Db& db, const QString& folderUrl, const SoftListEntry& entry,
                   int ranking)
{
    // An existing row keeps its marks and detail columns.
    if (catalogue::SaveListColumns(db, listRow(folderUrl, entry, ranking)))
        return true;
    util::TraceIfDebug(QStringLiteral("AnalyzeSoftDb エラー(") + errorNumber(db.lastError()) +
                       u')');
    return false;
}

bool PurgeFolderEntries(const QString& folderUrl)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        return false;
    if (catalogue::DeleteFolderEntries(db, folderUrl))
        return true;
    util::TraceIfDebug(QStringLiteral("UpdateFolder エラー(") + errorNumber(db.lastError()) + u')');
    return false;
}

} // namespace update
