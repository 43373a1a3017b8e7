#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>

class QTcpSocket;

namespace site {

// Where an exchange's connection goes: the origin server itself, or an HTTP proxy that is sent
// the whole address.
struct HttpRoute
{
    QString host;
    quint16 port = 0;
    bool viaProxy = false;
    bool operator==(const HttpRoute&) const = default;
};

// One plain-HTTP GET on the calling thread, over a connection that the thread keeps open for
// its next exchange on the same route. QNetworkAccessManager hands every request to its own HTTP
// thread and back, which costs more than a page of the site takes to arrive; the site's pages
// are plain HTTP, so UrlHandle sends them this way and leaves https to the manager.
// Nothing blocks: the owner runs an event loop until progressed() brings what it waits for.
class HttpExchange final : public QObject
{
    Q_OBJECT
public:
    HttpExchange(const HttpRoute& route, const QUrl& url, const QByteArray& userAgent);
    ~HttpExchange() override;
    HttpExchange(const HttpExchange&) = delete;
    HttpExchange& operator=(const HttpExchange&) = delete;

    // The final response's status line and headers have arrived (an interim 1xx is skipped).
    bool headersComplete() const { return m_headDone; }
    // The body is complete, or the exchange failed.
    bool isFinished() const { return m_state == State::Done || m_state == State::Failed; }
    bool failed() const { return m_state == State::Failed; }
    int statusCode() const { return m_status; }
    // The body length the response declared; -1 when it declared none.
    qint64 contentLength() const { return m_declared; }
    // The Location header's value, empty when there is none.
    QByteArray location() const { return m_location; }

    // Body bytes received and not read yet.
    qint64 bytesAvailable() const { return m_body.size() - m_readPos; }
    qint64 read(char* data, qint64 maxSize);
    // Drops the connection; the exchange ends as failed.
    void abort();

    // Sends the request for url now, for the thread's next fetch of url to take up (a page
    // asked for ahead of its turn); one sent ahead earlier is dropped.
    static void sendAhead(const HttpRoute& route, const QUrl& url, const QByteArray& userAgent);
    // The exchange sent ahead for url; nothing when none was, or when it was sent for another
    // address (it is dropped then).
    static std::unique_ptr<HttpExchange> takeAhead(const QUrl& url);

signals:
    // Any sign of life: the connection made, the request sent, bytes in, the end.
    void progressed();

private:
    enum class State { Head, Body, Chunks, Done, Failed };
    enum class Framing { Length, Chunked, UntilClose };

    void connectSocket(bool reuse);
    void sendRequest();
    void onReadyRead();
    void onClosed();
    bool parseHead();
    bool readHeaders(const QList<QByteArray>& lines);
    void startBody();
    void parseBody();
    bool parseChunks();
    void finish(State state);
    void appendBody(QByteArrayView bytes);

    HttpRoute m_route;
    QByteArray m_request;
    std::unique_ptr<QTcpSocket> m_socket;
    bool m_reused = false;  // the connection served an earlier exchange
    bool m_retried = false; // a stale kept connection was replaced once already
    bool m_anyResponse = false;
    bool m_keepAlive = true;
    bool m_headDone = false;
    State m_state = State::Head;
    Framing m_framing = Framing::UntilClose;
    QByteArray m_in; // received and not parsed yet
    int m_status = 0;
    qint64 m_declared = -1;
    // Of the declared length, or of the current chunk (-1: past the last chunk, in its trailers).
    qint64 m_remaining = 0;
    bool m_chunkDataEnded = false; // the line end after a chunk's data comes next
    QByteArray m_location;
    QByteArray m_body;
    qint64 m_readPos = 0;
};

} // namespace site
