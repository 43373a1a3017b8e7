#include "RawClient.h"

#include <QHostAddress>

bool RawClient::connectTo(quint16 port)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    return m_socket.waitForConnected(kWaitMs);
}

RawReply RawClient::request(const QByteArray& text)
{
    write(text);
    return read();
}

RawReply RawClient::read()
{
    RawReply r;
    while (!m_pending.contains("\r\n\r\n")) {
        if (!more(r))
            return r;
    }
    const qsizetype end = m_pending.indexOf("\r\n\r\n");
    QList<QByteArray> lines = m_pending.left(end).split('\n');
    m_pending.remove(0, end + 4);
    r.status = lines.takeFirst().split(' ').value(1).toInt();
    for (const QByteArray& line : std::as_const(lines)) {
        const qsizetype colon = line.indexOf(':');
        r.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
    }
    if (r.headers.value("transfer-encoding").toLower() == "chunked") {
        readChunks(r);
        return r;
    }
    while (m_pending.size() < r.length()) {
        if (!more(r))
            break;
    }
    const qsizetype length = r.length() < 0 ? m_pending.size() : r.length();
    r.body = m_pending.left(length);
    m_pending.remove(0, r.body.size());
    return r;
}

void RawClient::readChunks(RawReply& r)
{
    r.chunked = true;
    for (;;) {
        qsizetype eol = -1;
        while ((eol = m_pending.indexOf("\r\n")) < 0) {
            if (!more(r))
                return;
        }
        bool ok = false;
        const qint64 size = m_pending.left(eol).toLongLong(&ok, 16);
        if (!ok)
            return;
        m_pending.remove(0, eol + 2);
        r.chunkSizes.append(size);
        // A chunk's data and its line end; the last chunk is followed by the empty line that
        // ends the trailers (none are sent).
        while (m_pending.size() < size + 2) {
            if (!more(r)) {
                r.body += m_pending.left(size);
                m_pending.clear();
                return;
            }
        }
        r.body += m_pending.left(size);
        m_pending.remove(0, size + 2);
        if (size == 0) {
            r.lastChunk = true;
            return;
        }
    }
}

bool RawClient::more(RawReply& r)
{
    if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(kWaitMs)) {
        r.closed = m_socket.state() != QAbstractSocket::ConnectedState;
        return false;
    }
    m_pending += m_socket.readAll();
    ++r.reads;
    return true;
}
