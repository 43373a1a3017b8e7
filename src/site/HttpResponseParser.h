#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace site {

// The answer to one plain-HTTP GET, read from the bytes of its connection in whatever pieces
// they arrive: the status line and headers (an interim 1xx head is skipped), then the body as
// its head frames it (Content-Length, chunks with their trailers, or up to the connection's
// end). Holds no connection: HttpExchange feeds it what its socket reads.
class HttpResponseParser
{
public:
    enum class State { Head, Body, Chunks, Done, Failed };

    // Takes bytes as they came from the connection and parses as far as they reach.
    void feed(QByteArrayView bytes);
    // The connection ended: a body that runs up to the end is complete, anything else failed.
    void connectionClosed();
    // Ends the answer as failed (an abort).
    void fail();

    State state() const { return m_state; }
    // The final answer's status line and headers have been read.
    bool headersComplete() const { return m_headDone; }
    bool isFinished() const { return m_state == State::Done || m_state == State::Failed; }
    bool failed() const { return m_state == State::Failed; }
    // 0 when the answer failed before its head was complete.
    int statusCode() const { return m_status; }
    // The body length the head declared; -1 when it declared none.
    qint64 contentLength() const { return m_declared; }
    // The Location header's value, empty when there is none.
    QByteArray location() const { return m_location; }
    // The answer is complete and left the connection as the next request needs it: kept alive
    // and with no byte after the body.
    bool connectionReusable() const
    {
        return m_state == State::Done && m_keepAlive && m_in.isEmpty();
    }

    // Body bytes received and not read yet.
    qint64 bytesAvailable() const { return m_body.size() - m_readPos; }
    qint64 read(char* data, qint64 maxSize);
    // The body bytes not read yet, left in place.
    QByteArrayView unreadBody() const { return QByteArrayView(m_body).sliced(m_readPos); }

private:
    enum class Framing { Length, Chunked, UntilClose };

    bool parseHead();
    bool readHeaders(const QList<QByteArray>& lines);
    void startBody();
    void parseBody();
    bool parseChunks();
    void finish(State state);
    void appendBody(QByteArrayView bytes);

    State m_state = State::Head;
    Framing m_framing = Framing::UntilClose;
    bool m_keepAlive = true;
    bool m_headDone = false;
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
