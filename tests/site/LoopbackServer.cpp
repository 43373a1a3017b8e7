#include "LoopbackServer.h"

#include <QTcpSocket>
#include <QTimer>

QByteArray LoggedRequest::header(const QByteArray& name) const
{
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

LoopbackServer::LoopbackServer(quint16 port)
{
    m_server.listen(QHostAddress::LocalHost, port);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++m_connections;
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        }
    });
}

void LoopbackServer::setReplies(const QByteArray& path, const QList<CannedReply>& replies)
{
    m_replies.insert(path, replies);
}

int LoopbackServer::requestsFor(const QByteArray& path) const
{
    int count = 0;
    for (const LoggedRequest& request : m_requests)
        count += pathOf(request.target) == path ? 1 : 0;
    return count;
}

QByteArray LoopbackServer::pathOf(const QByteArray& target)
{
    if (!target.startsWith("http://"))
        return target;
    const qsizetype slash = target.indexOf('/', 7);
    return slash < 0 ? QByteArray("/") : target.mid(slash);
}

void LoopbackServer::onReadyRead(QTcpSocket* socket)
{
    QByteArray pending = socket->property("pending").toByteArray() + socket->readAll();
    const qsizetype end = pending.indexOf("\r\n\r\n");
    socket->setProperty("pending", pending);
    if (end < 0 || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    socket->setProperty("pending", pending.mid(end + 4));
    LoggedRequest request;
    request.head = pending.left(end);
    request.target = request.head.left(request.head.indexOf('\r')).split(' ').value(1);
    m_requests.append(request);
    answer(socket, pathOf(request.target));
}

void LoopbackServer::answer(QTcpSocket* socket, const QByteArray& path)
{
    const QList<CannedReply> replies =
        m_replies.value(path, {CannedReply{404, "not here", false, 0, false, false, 0}});
    const int served = m_served[path]++;
    const CannedReply reply = replies.at(qMin<qsizetype>(served, replies.size() - 1));
    if (reply.silent)
        return;
    QTimer::singleShot(reply.delayMs, socket, [this, socket, reply] {
        QByteArray out =
            "HTTP/1.1 " + QByteArray::number(reply.status) + " Canned\r\n" + reply.headers;
        if (!reply.raw.isEmpty())
            out = reply.raw;
        else if (reply.chunked)
            out += "Transfer-Encoding: chunked\r\n\r\n" +
                   (reply.body.isEmpty() ? QByteArray()
                                         : QByteArray::number(reply.body.size(), 16) + "\r\n" +
                                               reply.body + "\r\n") +
                   (reply.missing > 0 ? QByteArray() : QByteArray("0\r\n\r\n"));
        else
            out += "Content-Length: " + QByteArray::number(reply.body.size() + reply.missing) +
                   (reply.keepAlive ? "\r\n\r\n" : "\r\nConnection: close\r\n\r\n") + reply.body;
        socket->write(out);
        if (reply.keepAlive) {
            socket->setProperty("answered", false);
            // A request that came while this one was answered.
            QTimer::singleShot(0, socket, [this, socket] { onReadyRead(socket); });
        } else if (!reply.stall) {
            socket->disconnectFromHost();
        }
    });
}
