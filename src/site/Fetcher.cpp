#include "site/Fetcher.h"

#include "config/Settings.h"
#include "site/EventPump.h"
#include "site/FetchObserver.h"
#include "util/Text.h"
#include "util/Trace.h"

#include <QByteArray>

namespace site {

namespace {

int& retryPause()
{
    static int ms = kRetryPauseMs;
    return ms;
}

qint64& bodyLimit()
{
    static qint64 bytes = kBodyLimit;
    return bytes;
}

thread_local FetchFailure t_lastFailure = FetchFailure::None;

qint64& pageDeadlineForTests()
{
    static qint64 ms = -1;
    return ms;
}

void reportProgress(qint64 total)
{
    FetchObserver* observer = fetchObserver();
    if (!observer)
        return;
    if (observer->tracesReadTotal())
        util::WriteTrace(QStringLiteral("ReadTotal = ") + QString::number(total));
    observer->bytesRead(total);
}

void reportFinished()
{
    if (FetchObserver* observer = fetchObserver())
        observer->finished();
}

QString tooLarge()
{
    return QStringLiteral("body larger than ") + QString::number(bodyLimit()) +
           QStringLiteral(" bytes");
}

// Bytes to ask for next: 1 024, or all that already arrived, so a page that is there is taken in
// a few reads rather than one per kilobyte.
qint64 nextReadSize(const UrlHandle& handle)
{
    return qBound(kChunkSize, handle.bytesBuffered(), kBatchLimit);
}

enum class Body { Complete, Broken, TooLarge };

// Reads the whole body, at least 1 024 bytes per read. A failed read that still delivered bytes
// is retried up to five times. Broken, with the reason, for a body that ended in a failure (the
// connection dropped, a chunked body cut short, the page's deadline) or is shorter than its
// declared length, and for an empty body: no page of the site is empty, so an empty answer is a
// broken one.
Body readBody(UrlHandle& handle, QByteArray* body, QString* failure)
{
    const qint64 declared = handle.contentLength();
    if (declared > bodyLimit()) {
        *failure = tooLarge();
        return Body::TooLarge;
    }
    qint64 total = 0;
    int errors = 0;
    bool endedWell = false;
    body->resize(kBufferStep);
    for (;;) {
        PumpIfUpdating();
        const qint64 step = nextReadSize(handle);
        if (total + step > body->size() - 1) {
            const qint64 missing = total + step - (body->size() - 1);
            body->resize(body->size() + (missing + kBufferStep - 1) / kBufferStep * kBufferStep);
        }
        bool ok = false;
        const qint64 n = handle.read(body->data() + total, step, &ok);
        total += n;
        reportProgress(total);
        if (total > bodyLimit()) {
            *failure = tooLarge();
            return Body::TooLarge;
        }
        if (n == 0) {
            endedWell = ok;
            break;
        }
        if (ok) {
            errors = 0;
            continue;
        }
        ++errors;
        util::WriteTrace(QStringLiteral("Internetリードエラー(") + QString::number(errors) + u')');
        if (errors >= kReadAttempts)
            break;
    }
    body->truncate(total);
    if (!endedWell)
        *failure = QStringLiteral("transfer ended early after ") + QString::number(total) +
                   QStringLiteral(" bytes");
    else if (declared >= 0 && total != declared)
        *failure = QStringLiteral("body of ") + QString::number(total) +
                   QStringLiteral(" bytes, ") + QString::number(declared) +
                   QStringLiteral(" declared");
    else if (total == 0)
        *failure = QStringLiteral("empty answer");
    return failure->isEmpty() ? Body::Complete : Body::Broken;
}

// Opens the URL with the attempts left of the page's five: *attempt counts them across the
// open attempts and the body reads of one fetch.
bool openUrl(const QString& url, UrlHandle& handle, int* attempt)
{
    const bool session = handle.startSession();
    PumpIfUpdating();
    if (!session) {
        util::TraceIfDebug(QStringLiteral("インターネットオープン失敗"));
        return false;
    }
    for (;;) {
        const int n = ++*attempt;
        const bool opened = handle.request(url);
        PumpIfUpdating();
        if (opened)
            return true;
        util::TraceIfDebug(QStringLiteral("URLオープン失敗(") + QString::number(n) + u')' +
                           text::kCrLf + url);
        if (n >= kOpenAttempts || CancelRequested() || handle.deadlinePassed())
            break;
        Pause(retryPause());
    }
    util::TraceIfDebug(QStringLiteral("URLオープン失敗!!!"));
    handle.close();
    return false;
}

// The whole of one page's fetch may take this long, however steadily its bytes trickle in.
QDeadlineTimer pageDeadline()
{
    const qint64 seconds = qMax<qint64>(qint64(kPageDeadlineFactor) *
                                            TimeOutMilliseconds(config::settings().TimeOut) / 1000,
                                        kMinPageDeadlineSeconds);
    return QDeadlineTimer(pageDeadlineForTests() >= 0 ? pageDeadlineForTests() : seconds * 1000);
}

} // namespace

bool iNetOpenUrl(const QString& url, UrlHandle& handle)
{
    int attempt = 0;
    return openUrl(url, handle, &attempt);
}

void iNetPlanAhead(const QStringList& urls)
{
    UrlHandle::planAhead(urls);
}

void iNetDropPrefetch()
{
    UrlHandle::dropPrefetch();
}

QList<QUrl> iNetPrefetched()
{
    return UrlHandle::prefetched();
}

int PrefetchHeldLimit()
{
    return UrlHandle::heldLimit();
}

std::optional<QByteArray> iNetPeekPrefetched(const QString& url)
{
    return HttpExchange::peekAhead(QUrl(url));
}

void SetPrefetchArrivedHandler(std::function<void()> handler)
{
    HttpExchange::setAheadArrivedHandler(std::move(handler));
}

bool iNetCloseUrl(UrlHandle& handle)
{
    handle.close();
    return true;
}

FetchFailure LastFetchFailure()
{
    return t_lastFailure;
}

bool iNetGetFile(const QString& url, const QString& filePath)
{
    t_lastFailure = FetchFailure::Network;
    if (filePath.isEmpty())
        return false;
    // A cancel stops at once, also a page whose answer came ahead and waits whole.
    if (CancelRequested()) {
        t_lastFailure = FetchFailure::Cancelled;
        return false;
    }
    UrlHandle handle;
    handle.setDeadline(pageDeadline());
    QString failure;
    bool opened = false;
    for (int attempt = 0;;) {
        if (!openUrl(url, handle, &attempt)) {
            if (CancelRequested())
                t_lastFailure = FetchFailure::Cancelled;
            if (!opened)
                return false; // never opened: nothing to report
            break;
        }
        opened = true;
        failure.clear();
        QByteArray body;
        const Body result = readBody(handle, &body, &failure);
        iNetCloseUrl(handle);
        if (result == Body::Complete) {
            if (!text::WriteFileAtomic(filePath, body, text::Durability::NoSync)) {
                failure = QStringLiteral("cannot write ") + filePath;
                t_lastFailure = FetchFailure::Write;
            }
            break;
        }
        if (result == Body::TooLarge)
            t_lastFailure = FetchFailure::TooLarge;
        else if (CancelRequested())
            t_lastFailure = FetchFailure::Cancelled;
        // A broken body is a failed attempt like a failed open; a page over the limit stays so.
        if (result == Body::TooLarge || attempt >= kOpenAttempts || CancelRequested() ||
            handle.deadlinePassed())
            break;
        util::TraceIfDebug(QStringLiteral("iNetGetFile エラー(") + failure + u')');
        Pause(retryPause());
    }
    reportFinished();
    if (!failure.isEmpty()) {
        util::TraceIfDebug(QStringLiteral("iNetGetFile エラー(") + failure + u')');
        return false;
    }
    t_lastFailure = FetchFailure::None;
    return true;
}

void SetRetryPauseForTests(int ms)
{
    retryPause() = ms < 0 ? kRetryPauseMs : ms;
}

void SetBodyLimitForTests(qint64 bytes)
{
    bodyLimit() = bytes < 0 ? kBodyLimit : bytes;
}

void SetPageDeadlineForTests(qint64 ms)
{
    pageDeadlineForTests() = ms;
}

} // namespace site
