#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

class QTcpSocket;

namespace download {

// Why an exchange of HttpStream failed.
enum class StreamFailure {
    None,
    Proxy,     // the proxy settings name no usable proxy
    Connect,   // no connection to the server or the proxy
    Tls,       // no secure connection (handshake failed, or no TLS support)
    TimedOut,  // nothing moved for the time-out
    Closed,    // the connection ended before the answer or its body was complete
    BadAnswer, // not an HTTP answer, or one whose framing cannot be read
    Redirect,  // a redirection that cannot be followed (another scheme, too many)
    Cancelled, // the caller's cancel test said so
};

// One HTTP/1.1 GET of an archive, its body read as it arrives into the caller's buffer: nothing
// is kept beyond a bounded socket buffer, whatever the archive's size. The proxy, user agent and
// time-out come from the settings: an http address goes straight to its server or, through an
// HTTP proxy, to the proxy as a whole address; an https address goes through a CONNECT tunnel
// of an HTTP proxy, and a SOCKS proxy carries either. Redirections are followed.
//
// Every call blocks, running a local event loop of the calling thread while it waits; the
// cancel test is asked at least every 50 ms, so a cancel ends any wait at once. The download
// runs it in a thread of its own.
class HttpStream
{
public:
    using CancelTest = std::function<bool()>;

    HttpStream(CancelTest cancelled, int timeOutMs);
    ~HttpStream();
    HttpStream(const HttpStream&) = delete;
    HttpStream& operator=(const HttpStream&) = delete;

    // Sends the request ("Range: bytes=from-" when from > 0) and reads the head of the answer,
    // following redirections. True once an answer has arrived, whatever its status.
    bool open(const QUrl& url, qint64 from);
    int status() const { return m_status; }
    // The body length the answer declared; -1 when it declared none.
    qint64 contentLength() const { return m_declared; }
    // From the Content-Range of an answer: its first byte and the complete length; -1 when the
    // answer has no such header (or gives "*" for the length).
    qint64 rangeFirst() const { return m_rangeFirst; }
    qint64 rangeTotal() const { return m_rangeTotal; }
    StreamFailure failure() const { return m_failure; }
    // The socket's own description of the failure, for the trace log.
    QString failureDetail() const { return m_detail; }

    // Copies up to maxSize body bytes into data. Returns the count; 0 when the body has ended
    // as the answer said it would; -1 on a failure (failure() tells which).
    qint64 read(char* data, qint64 maxSize);
    void close();

    // The connection's socket buffer: the most that the stream holds besides the caller's.
    static constexpr qint64 kSocketBuffer = 1024 * 1024;

private:
    enum class Framing { Length, Chunked, UntilClose };

    bool exchange(const QUrl& url, qint64 from);
    bool connectTo(const QUrl& url, bool* absoluteForm);
    QByteArray requestText(const QUrl& url, qint64 from, bool absoluteForm) const;
    bool readHead();
    bool parseHead(const QByteArray& head);
    // Waits (running the event loop) until done() holds: false on a cancel, a time-out, or when
    // the connection ended first (done() is asked once more then).
    bool waitFor(const std::function<bool()>& done);
    bool fail(StreamFailure failure);
    // Reads one line of the chunked framing into *line (without its CR LF).
    bool readLine(QByteArray* line);
    // Moves buffered or newly received bytes: up to maxSize into data.
    qint64 take(char* data, qint64 maxSize);
    bool connected() const;

    CancelTest m_cancelled;
    int m_timeOutMs;
    std::unique_ptr<QTcpSocket> m_socket;
    QEventLoop m_loop;
    QTimer m_poll;
    std::function<bool()> m_done;
    qint64 m_idleMs = 0;
    QByteArray m_pending; // received bytes not handed out yet (after the head, chunk lines)

    int m_status = 0;
    qint64 m_declared = -1;
    qint64 m_rangeFirst = -1;
    qint64 m_rangeTotal = -1;
    QByteArray m_location;
    Framing m_framing = Framing::UntilClose;
    qint64 m_remaining = 0;    // of the declared length, or of the current chunk
    bool m_afterChunk = false; // a chunk's data was read; its CR LF comes next
    bool m_bodyDone = false;
    StreamFailure m_failure = StreamFailure::None;
    QString m_detail;
};

} // namespace download
