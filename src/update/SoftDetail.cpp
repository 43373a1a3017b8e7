#include "update/SoftDetail.h"

#include "catalogue/Catalogue.h"
#include "site/EventPump.h"
#include "site/Fetcher.h"
#include "update/DetailAnalysis.h"
#include "update/PageCache.h"
#include "update/RunState.h"
#include "update/UpdateRun.h"
#include "util/Text.h"
#include "util/Trace.h"

#include <QFileInfo>

namespace update {

namespace {

int g_retryWaitMs = kDetailRetryWaitMs;

// Fetches the page into its cache file, with up to five attempts; false (nothing to read) when
// the analysis is to stop here. A current copy is read as it is; when the row says its details
// were read, it stops the analysis instead (nothing new to learn).
bool fetchDetailPage(const QString& url, bool force, bool detailRead, QString* cacheFile)
{
    for (int failures = 0;;) {
        *cacheFile = CacheFileName(url, 0, 1);
        if (cacheFile->isEmpty())
            return false;
        if (!force && IsCacheCurrent(*cacheFile))
            return !detailRead && QFileInfo(*cacheFile).isFile();
        if (site::CancelRequested() || !CheckConnection())
            return false;
        if (site::iNetGetFile(url, *cacheFile))
            return true;
        if (site::CancelRequested())
            return false;
        if (site::LastFetchFailure() == site::FetchFailure::Write) {
            ReportCacheWriteFailure(*cacheFile);
            return false;
        }
        ++failures;
        util::TraceIfDebug(QStringLiteral("TimeOut = ") + QString::number(failures));
        if (failures >= kDetailFetchAttempts) {
            ShowFetchFailure();
            return false;
        }
        site::Pause(g_retryWaitMs);
    }
}

// One page of the entry parsed into detail; false when the analysis stops.
bool readDetailPage(const QString& url, bool force, bool detailRead, SoftwareDetail* detail)
{
    QString cacheFile;
    if (!fetchDetailPage(url, force, detailRead, &cacheFile) || runState().Cancel)
        return false;
    QString page;
    if (!text::ReadTextFile(cacheFile, &page))
        return false;
    if (IsDownloadPageUrl(url))
        AnalyzeSoftDetailEx2(page, detail);
    else
        AnalyzeSoftDetailEx(page, detail);
    return true;
}

catalogue::EntryRow detailRow(catalogue::EntryRow row, const SoftwareDetail& d)
{
    row.DetailRead = true;
    row.FTPURL = d.FTPURL;
    row.DescriptionDetail = d.DescriptionDetail;
    row.FileSize2 = d.FileSize2;
    row.RegistDate =
        d.RegistDate ? std::optional<QDateTime>(d.RegistDate->startOfDay()) : std::nullopt;
    row.PaymentURL = d.PaymentURL;
    row.PaymentInfo = d.PaymentInfo;
    row.Author = d.Author;
    row.AuthorURL = d.AuthorURL;
    row.Category = d.Category;
    row.OSType = d.OSType;
    // A page that names no price leaves the list's price.
    if (d.RegiMoney)
        row.RegiMoney = *d.RegiMoney;
    return row;
}

bool writeDetail(const QString& folderUrl, const QString& detailUrl, const SoftwareDetail& d)
{
    catalogue::Db db;
    if (catalogue::OpenCatalogue(db)) {
        catalogue::EntryRow row =
            catalogue::FindEntry(db, folderUrl, detailUrl).value_or(catalogue::EntryRow{});
        row.BaseURL = folderUrl;
        row.TargetURL = detailUrl;
        if (catalogue::SaveEntry(db, detailRow(row, d)))
            return true;
    }
    util::TraceIfDebug(QStringLiteral("AnalyzeSoftDetail エラー(") + db.lastError().text() + u')');
    return false;
}

// Whether the entry's row says its details were read. A row without them (a category deleted
// and read again, a replaced catalogue) is filled from current cached pages without fetching.
bool detailReadBefore(const QString& folderUrl, const QString& detailUrl)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        return true; // nothing could be written anyway: stop as before
    const std::optional<catalogue::EntryRow> row = catalogue::FindEntry(db, folderUrl, detailUrl);
    return row && row->DetailRead;
}

} // namespace

bool AnalyzeSoftDetail(const QString& folderUrl, const QString& detailUrl, bool force)
{
    SoftwareDetail detail;
    const bool detailRead = force || detailReadBefore(folderUrl, detailUrl);
    const QString pages[2] = {detailUrl, DownloadPageUrl(detailUrl)};
    for (const QString& url : pages) {
        if (url.isEmpty())
            continue;
        if (!readDetailPage(url, force, detailRead, &detail))
            return false;
    }
    return writeDetail(folderUrl, detailUrl, detail);
}

void SetDetailRetryWaitForTests(int ms)
{
    g_retryWaitMs = ms < 0 ? kDetailRetryWaitMs : ms;
}

} // namespace update
