#pragma once

#include "site/HttpResponseParser.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

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

// An address the thread's fetches will ask for, and the connection it goes over.
struct PlannedRequest
{
    HttpRoute route;
    QUrl url;
};

// One plain-HTTP GET on the calling thread, over a connection that the thread keeps open for
// a later exchange on the same route. QNetworkAccessManager hands every request to its own HTTP
// thread and back, which costs more than a page of the site takes to arrive; the site's pages
// are plain HTTP, so UrlHandle sends them this way and leaves https to the manager.
// Nothing blocks: the owner runs an event loop until progressed() brings what it waits for.
//
// The thread may have several exchanges at once: the one being read and the requests sent ahead
// of their turn (planAhead). No more than the window's are in flight (sent and not answered
// whole); an exchange made beyond that waits to go out until one of them is answered.
class HttpExchange final : public QObject
{
    Q_OBJECT
public:
    HttpExchange(const HttpRoute& route, const QUrl& url, const QByteArray& userAgent);
    ~HttpExchange() override;
    HttpExchange(const HttpExchange&) = delete;
    HttpExchange& operator=(const HttpExchange&) = delete;

    // The final response's status line and headers have arrived (an interim 1xx is skipped).
    bool headersComplete() const { return m_parser.headersComplete(); }
    // The body is complete, or the exchange failed.
    bool isFinished() const { return m_parser.isFinished(); }
    bool failed() const { return m_parser.failed(); }
    int statusCode() const { return m_parser.statusCode(); }
    // The body length the response declared; -1 when it declared none.
    qint64 contentLength() const { return m_parser.contentLength(); }
    // The Location header's value, empty when there is none.
    QByteArray location() const { return m_parser.location(); }

    // Body bytes received and not read yet.
    qint64 bytesAvailable() const { return m_parser.bytesAvailable(); }
    qint64 read(char* data, qint64 maxSize);
    // Drops the connection; the exchange ends as failed.
    void abort();

    // The thread's window: at most inFlight exchanges in flight, at most held requests sent
    // ahead and not taken up. 1 and 1 until set.
    static void setWindow(int inFlight, int held);
    // The addresses the thread will fetch next, nearest first: requests sent ahead for others
    // are dropped, and the nearest ones not sent yet go out as the window allows, now and
    // whenever an exchange in flight is answered, each for the thread's fetch of its address to
    // take up. Replaces the previous plan.
    static void planAhead(const QList<PlannedRequest>& plan, const QByteArray& userAgent);
    // The exchange sent ahead for url, no longer waiting; nothing when none was sent.
    static std::unique_ptr<HttpExchange> takeAhead(const QUrl& url);
    // Drops the requests sent ahead and the plan.
    static void dropAhead();
    // The addresses of the requests sent ahead and waiting, in the order they were sent.
    static QList<QUrl> aheadUrls();
    // The body of the answer sent ahead for url, left in place, once it has arrived whole with a
    // status of 2xx: what the fetch of url will store. Nothing otherwise.
    static std::optional<QByteArray> peekAhead(const QUrl& url);
    // Called (from the event loop, once for several) after answers to requests sent ahead have
    // arrived; nullptr for none.
    static void setAheadArrivedHandler(std::function<void()> handler);

signals:
    // Any sign of life: the connection made, the request sent, bytes in, the end.
    void progressed();

private:
    // Sends the request: on a kept connection of the route, or a new one.
    void start();
    void connectSocket(bool reuse);
    void sendRequest();
    // Parses what the connection brought; unless all, only while the unread body is small.
    void pull(bool all);
    void onClosed();
    // Drops the connection of a failed answer; tells the owner either way.
    void settle();
    // Leaves the window's count of exchanges in flight.
    void leaveFlight();
    // Starts what the window has room for: the exchanges that wait to go out first, then the
    // nearest planned requests.
    static void fillWindow();
    // Posts the call of the arrival handler, unless one is posted already.
    static void tellArrival();

    HttpRoute m_route;
    QByteArray m_request;
    std::unique_ptr<QTcpSocket> m_socket;
    bool m_inFlight = false;
    bool m_ahead = false;   // sent ahead and not taken up yet
    bool m_reused = false;  // the connection served an earlier exchange
    bool m_retried = false; // a stale kept connection was replaced once already
    bool m_anyResponse = false;
    HttpResponseParser m_parser;
};

} // namespace site
