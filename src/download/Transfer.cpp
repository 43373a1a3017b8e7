#include "download/Transfer.h"

#include "config/Settings.h"
#include "download/HttpStream.h"
#include "site/UrlHandle.h"
#include "util/FileUtil.h"
#include "util/Text.h"
#include "util/Trace.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <memory>

namespace download {

namespace {

constexpr int kOpenAttempts = 5;
constexpr int kDefaultRetryPauseMs = 1000;
constexpr qint64 kReadBuffer = 256 * 1024;
constexpr int kPauseSliceMs = 20;

std::atomic<int> g_retryPauseMs{kDefaultRetryPauseMs};

const QString kCrLf = QStringLiteral("\r\n");
const QString kPartKept = QStringLiteral("受信した部分は保存してあります。\r\n"
                                         "もう一度ダウンロードすると、続きから受信します。");

// Waits ms milliseconds, or less when a cancel comes first.
void pause(int ms, const TransferControl& control)
{
    QElapsedTimer clock;
    clock.start();
    while (!control.cancelled() && clock.elapsed() < ms)
        QThread::msleep(qMin<qint64>(kPauseSliceMs, ms - clock.elapsed()));
}

TransferOutcome failed(const QString& message, const TransferOutcome& base = {})
{
    TransferOutcome outcome = base;
    outcome.result = TransferResult::Failed;
    outcome.message = message;
    return outcome;
}

// What the user is told when no answer could be used after every attempt.
QString openFailureText(StreamFailure failure, int status, const QString& address)
{
    QString text;
    if (status > 0)
        text = QStringLiteral("サーバーがエラーを返しました (HTTP %1)。").arg(status);
    else if (failure == StreamFailure::Proxy)
        text = QStringLiteral("プロキシの設定が正しくありません。") + kCrLf +
               QStringLiteral("オプション設定のプロキシ名とポート番号を確認してください。");
    else if (failure == StreamFailure::TimedOut)
        text = QStringLiteral("サーバーから応答がありませんでした。");
    else if (failure == StreamFailure::Tls)
        text = QStringLiteral("サーバーと安全な接続ができませんでした。");
    else if (failure == StreamFailure::Redirect)
        text = QStringLiteral("サーバーの転送先をたどれませんでした。");
    else
        text = QStringLiteral("サーバーに接続できませんでした。");
    return QStringLiteral("ダウンロードできませんでした。") + kCrLf + text + kCrLf + kCrLf +
           address;
}

// What the user is told when the body broke off.
QString brokenText(StreamFailure failure, qint64 received, qint64 total)
{
    QString text = failure == StreamFailure::TimedOut
                       ? QStringLiteral("サーバーからの応答が途絶えました。")
                       : QStringLiteral("ダウンロードが途中で切れました。");
    text += kCrLf + QStringLiteral("(受信したサイズ: ") + text::GroupedNumber(received);
    if (total >= 0)
        text += QStringLiteral(" / ") + text::GroupedNumber(total);
    return text + QStringLiteral(" バイト)");
}

// What the user is told when the file cannot be written; traced when Debug is 1.
QString writeFailureText(const QString& path, const QString& reason)
{
    util::TraceIfDebug(QStringLiteral("iNetGetFile エラー(") + reason + u')');
    return QStringLiteral("ファイルを書き込めませんでした。") + kCrLf + kCrLf + path;
}

// The body of an opened answer into the .part file, then the rename.
class Receiver
{
public:
    Receiver(const LibInfo& info, TransferControl& control, HttpStream& stream)
        : m_info(info), m_control(control), m_stream(stream), m_part(info.localFile + kPartSuffix)
    {}

    TransferOutcome run(qint64 from)
    {
        TransferOutcome outcome;
        outcome.status = m_stream.status();
        outcome.resumedFrom = from;
        outcome.received = from;
        if (m_stream.contentLength() >= 0)
            outcome.total = from + m_stream.contentLength();
        else if (m_stream.rangeTotal() >= 0)
            outcome.total = m_stream.rangeTotal();
        m_control.begin(from, outcome.total);

        QFile file(m_part);
        const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered |
                                         (from > 0 ? QIODevice::Append : QIODevice::Truncate);
        if (!file.open(mode))
            return failed(writeFailureText(m_part, file.errorString()), outcome);
        std::unique_ptr<char[]> buffer(new char[kReadBuffer]);
        for (;;) {
            if (m_control.cancelled()) {
                outcome.result = TransferResult::Cancelled;
                return outcome;
            }
            const qint64 n = m_stream.read(buffer.get(), kReadBuffer);
            if (n == 0)
                break;
            if (n < 0) {
                if (m_stream.failure() == StreamFailure::Cancelled) {
                    outcome.result = TransferResult::Cancelled;
                    return outcome;
                }
                util::WriteTrace(QStringLiteral("Internetリードエラー(1)"));
                return brokenOff(m_stream.failure(), outcome);
            }
            if (file.write(buffer.get(), n) != n)
                return failed(writeFailureText(m_part, file.errorString()), outcome);
            outcome.received += n;
            m_control.setReceived(outcome.received);
        }
        if (outcome.total >= 0 && outcome.received < outcome.total)
            return brokenOff(StreamFailure::Closed, outcome);
        file.close();
        if (outcome.received == 0) {
            QFile::remove(m_part);
            return failed(QStringLiteral("サーバーから受け取ったファイルが空でした。") + kCrLf +
                              kCrLf + m_info.remoteAddress,
                          outcome);
        }
        return complete(outcome);
    }

    // The .part file holds the whole archive: it takes the archive's name.
    TransferOutcome complete(TransferOutcome outcome)
    {
        if (!util::RenameOver(m_part, m_info.localFile))
            return failed(writeFailureText(m_info.localFile, QStringLiteral("rename")), outcome);
        outcome.result = TransferResult::Complete;
        outcome.total = outcome.received;
        m_control.setReceived(outcome.received);
        return outcome;
    }

private:
    TransferOutcome brokenOff(StreamFailure failure, const TransferOutcome& outcome)
    {
        QString text = brokenText(failure, outcome.received, outcome.total);
        if (outcome.received > 0)
            text += kCrLf + kCrLf + kPartKept;
        return failed(text, outcome);
    }

    const LibInfo& m_info;
    TransferControl& m_control;
    HttpStream& m_stream;
    QString m_part;
};

qint64 partSize(const QString& part)
{
    const QFileInfo info(part);
    return info.isFile() ? info.size() : 0;
}

} // namespace

void SetOpenRetryPauseForTests(int ms)
{
    g_retryPauseMs = ms < 0 ? kDefaultRetryPauseMs : ms;
}

TransferOutcome TransferArchive(const LibInfo& info, TransferControl& control)
{
    const QUrl url(info.remoteAddress, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return failed(QStringLiteral("このアドレスはダウンロードできません。") + kCrLf +
                      QStringLiteral("http または https のアドレスだけをダウンロードできます。") +
                      kCrLf + kCrLf + info.remoteAddress);
    if (info.localFile.isEmpty())
        return failed(
            QStringLiteral("ダウンロードするファイルの名前をアドレスから決められませんでした。") +
            kCrLf + kCrLf + info.remoteAddress);

    const QString part = info.localFile + kPartSuffix;
    qint64 from = partSize(part);
    HttpStream stream([&control] { return control.cancelled(); },
                      site::TimeOutMilliseconds(config::settings().TimeOut));
    StreamFailure lastFailure = StreamFailure::None;
    int lastStatus = 0;
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        if (attempt > 1)
            pause(g_retryPauseMs, control);
        if (control.cancelled())
            break;
        if (!stream.open(url, from)) {
            if (stream.failure() == StreamFailure::Cancelled)
                break;
            lastFailure = stream.failure();
            lastStatus = 0;
            util::TraceIfDebug(QStringLiteral("URLオープン失敗(%1)").arg(attempt) + kCrLf +
                               info.remoteAddress + u' ' + stream.failureDetail());
            if (lastFailure == StreamFailure::Proxy || lastFailure == StreamFailure::Redirect)
                break;
            continue;
        }
        const int status = stream.status();
        Receiver receiver(info, control, stream);
        if (status == 206 && stream.rangeFirst() == from)
            return receiver.run(from);
        if (status == 200)
            return receiver.run(0); // the whole archive again: the .part file starts over
        if (status == 416 && from > 0 && stream.rangeTotal() == from) {
            TransferOutcome whole; // an earlier run received every byte but stopped short of
            whole.received = from; // the rename
            whole.resumedFrom = from;
            whole.status = status;
            control.begin(from, from);
            return receiver.complete(whole);
        }
        if ((status == 206 || status == 416) && from > 0) {
            from = 0; // a part the server cannot continue: ask for all of it
            continue;
        }
        lastFailure = StreamFailure::None;
        lastStatus = status;
        util::TraceIfDebug(QStringLiteral("URLオープン失敗(%1)").arg(attempt) + kCrLf +
                           info.remoteAddress + QStringLiteral(" HTTP ") + QString::number(status));
    }
    stream.close();
    if (control.cancelled()) {
        TransferOutcome outcome;
        outcome.result = TransferResult::Cancelled;
        outcome.received = partSize(part);
        return outcome;
    }
    util::TraceIfDebug(QStringLiteral("URLオープン失敗!!!"));
    TransferOutcome outcome = failed(openFailureText(lastFailure, lastStatus, info.remoteAddress));
    outcome.status = lastStatus;
    outcome.received = partSize(part);
    return outcome;
}

} // namespace download
