#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpSocket>

// One answer as a client reads it from a raw connection.
struct RawReply
{
    int status = 0; // 0: no head arrived
    QHash<QByteArray, QByteArray> headers;
    QByteArray body;
    int reads = 0;
    bool closed = false;
    // A chunked body (Transfer-Encoding: chunked) is decoded into body; the sizes its chunk
    // lines announced are kept, and whether its last (zero) chunk arrived.
    bool chunked = false;
    QList<qint64> chunkSizes;
    bool lastChunk = false;
    qint64 length() const { return headers.value("content-length", "-1").toLongLong(); }
};

// A raw client connection. Reads block, so the server must run in another thread.
class RawClient
{
public:
    bool connectTo(quint16 port);
    QTcpSocket& socket() { return m_socket; }
    void write(const QByteArray& text) { m_socket.write(text); }
    RawReply request(const QByteArray& text);
    // One answer; bytes beyond it stay for the next. A read gives up after 10 s of silence.
    RawReply read();

private:
    bool more(RawReply& r);
    // The chunks of a chunked body, up to its last chunk or as far as the connection gives.
    void readChunks(RawReply& r);

    QTcpSocket m_socket;
    QByteArray m_pending;
    static constexpr int kWaitMs = 10000;
};
