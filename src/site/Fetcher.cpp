#include "site/Fetcher.h"

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

// Reads the whole body, at least 1 024 bytes per read. A read that returns nothing ends the body,
// whether it failed or not; a failed read that still delivered bytes is retried up to five times.
// False, with the reason, for a body over the size limit or shorter than its declared length.
bool readBody(UrlHandle& handle, QByteArray* body, QString* failure)
{
    const qint64 declared = handle.contentLength();
    if (declared > bodyLimit()) {
        *failure = tooLarge();
        return false;
    }
    qint64 total = 0;
    int errors = 0;
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
            return false;
        }
        if (n == 0)
            break;
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
    // A connection that drops early is the end of the body by the read rule, but when the
    // server said how long the page is, a shorter one is a broken copy and must not be stored.
    if (declared >= 0 && total != declared) {
        *failure = QStringLiteral("body of ") + QString::number(total) +
                   QStringLiteral(" bytes, ") + QString::number(declared) +
                   QStringLiteral(" declared");
        return false;
    }
    return true;
}

} // namespace

bool iNetOpenUrl(const QString& url, UrlHandle& handle)
{
    const bool session = handle.startSession();
    PumpIfUpdating();
    if (!session) {
        util::TraceIfDebug(QStringLiteral("インターネットオープン失敗"));
        return false;
    }
    for (int n = 1;; ++n) {
        const bool opened = handle.request(url);
        PumpIfUpdating();
        if (opened)
            return true;
        util::TraceIfDebug(QStringLiteral("URLオープン失敗(") + QString::number(n) + u')' +
                           text::kCrLf + url);
        if (n >= kOpenAttempts)
            break;
        Pause(retryPause());
    }
    util::TraceIfDebug(QStringLiteral("URLオープン失敗!!!"));
    handle.close();
    return false;
}

void iNetPrefetch(const QString& url)
{
    UrlHandle::prefetch(url);
}

void iNetDropPrefetch()
{
    UrlHandle::dropPrefetch();
}

bool iNetCloseUrl(UrlHandle& handle)
{
    handle.close();
    return true;
}

bool iNetGetFile(const QString& url, const QString& filePath)
{
    if (filePath.isEmpty())
        return false;
    UrlHandle handle;
    if (!iNetOpenUrl(url, handle))
        return false;
    QByteArray body;
    QString failure;
    const bool complete = readBody(handle, &body, &failure);
    iNetCloseUrl(handle);
    if (complete && !body.isEmpty() &&
        !text::WriteFileAtomic(filePath, body, text::Durability::NoSync))
        failure = QStringLiteral("cannot write ") + filePath;
    reportFinished();
    if (!failure.isEmpty()) {
        util::TraceIfDebug(QStringLiteral("iNetGetFile エラー(") + failure + u')');
        return false;
    }
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

} // namespace site
