#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A small HTTP server on 127.0.0.1 for the fetcher's tests: it answers each path with canned
// replies (in order, the last one repeating), can misbehave on purpose, and logs every request.
// Requests in absolute form (through a proxy) are matched by their path.
struct CannedReply
{
    int status = 200;
    QByteArray body;
    bool chunked = false;    // else a Content-Length header
    qint64 missing = 0;      // announced bytes never sent: the connection drops (or stalls)
    bool stall = false;      // after the body, keep the connection open and say nothing more
    bool silent = false;     // never answer at all
    int delayMs = 0;         // wait this long before answering
    bool keepAlive = false;  // leave the connection open for the next request
    QByteArray headers = {}; // more header lines, each ending in CR LF
    QByteArray raw = {};     // when set, the whole answer as it goes out (status ignored)
};

struct LoggedRequest
{
    QByteArray target; // as sent: "/x" or "http://host/x"
    QByteArray head;   // request line and headers
    QByteArray header(const QByteArray& name) const;
};

class LoopbackServer final : public QObject
{
    Q_OBJECT
public:
    explicit LoopbackServer(quint16 port = 0); // 0: any free port
    bool isListening() const { return m_server.isListening(); }
    int connections() const { return m_connections; }
    quint16 port() const { return m_server.serverPort(); }
    void setReplies(const QByteArray& path, const QList<CannedReply>& replies);
    const QList<LoggedRequest>& requests() const { return m_requests; }
    int requestsFor(const QByteArray& path) const;

private:
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& path);
    static QByteArray pathOf(const QByteArray& target);

    QTcpServer m_server;
    QHash<QByteArray, QList<CannedReply>> m_replies;
    QHash<QByteArray, int> m_served;
    QList<LoggedRequest> m_requests;
    int m_connections = 0;
};
