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

namespace update {

namespace {

int g_retryWaitMs = kDetailRetryWaitMs;

// Fetches the page into its cache file, with up to five attempts; false (nothing to read) when
// the analysis is to stop here.
bool fetchDetailPage(const QString& url, bool force, QString* cacheFile)
{
    for (int failures = 0;;) {
        *cacheFile = CacheFileName(url, 0, 1);
        if (cacheFile->isEmpty())
            return false;
        // A current copy means the entry's details were read before.
        if (!force && IsCacheCurrent(*cacheFile))
            return false;
        if (runState().Cancel || !CheckConnection())
            return false;
        if (site::iNetGetFile(url, *cacheFile))
            return true;
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
bool readDetailPage(const QString& url, bool force, SoftwareDetail* detail)
{
    QString cacheFile;
    if (!fetchDetailPage(url, force, &cacheFile) || runState().Cancel)
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

} // namespace

bool AnalyzeSoftDetail(const QString& folderUrl, const QString& detailUrl, bool force)
{
    SoftwareDetail detail;
    const QString pages[2] = {detailUrl, DownloadPageUrl(detailUrl)};
    for (const QString& url : pages) {
        if (url.isEmpty())
            continue;
        if (!readDetailPage(url, force, &detail))
            return false;
    }
    return writeDetail(folderUrl, detailUrl, detail);
}

void SetDetailRetryWaitForTests(int ms)
{
    g_retryWaitMs = ms < 0 ? kDetailRetryWaitMs : ms;
}

} // namespace update
