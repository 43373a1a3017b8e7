#include "site/HttpExchange.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QThread>
#include <cstring>
#include <optional>

namespace site {

namespace {

constexpr qsizetype kMaxHeadBytes = 65536; // a longer head is not an HTTP answer
constexpr qsizetype kMaxChunkLine = 4096;  // a chunk size line with its extensions

// Closes a socket that may still be inside one of its own signals.
void discard(std::unique_ptr<QTcpSocket> socket)
{
    if (!socket)
        return;
    socket->disconnect();
    socket->abort();
    socket.release()->deleteLater();
}

// What a thread keeps between its exchanges: the connection the last one left open, for the
// next one on the same route, and the request sent ahead of its fetch (sendAhead).
struct ThreadConnection
{
    std::unique_ptr<QTcpSocket> socket;
    HttpRoute route;
    QUrl aheadUrl;
    std::unique_ptr<HttpExchange> ahead;
    bool closing = false; // going away: an exchange that ends now leaves no connection here

    ~ThreadConnection() { drop(); }
    void drop()
    {
        closing = true;
        ahead.reset();
        aheadUrl.clear();
        discard(std::move(socket));
        closing = false;
    }
};

ThreadConnection& threadConnection()
{
    thread_local ThreadConnection kept;
    return kept;
}

// The main thread's must go before the application object; other threads' go with their
// thread.
bool mainDropRegistered = false;

void dropMainConnection()
{
    threadConnection().drop();
    mainDropRegistered = false;
}

void dropMainConnectionAtExit()
{
    if (mainDropRegistered || !QCoreApplication::instance() ||
        QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    mainDropRegistered = true;
    qAddPostRoutine(dropMainConnection);
}

// The value of a header line "Name: value" when its name is name (any case).
std::optional<QByteArray> headerValue(QByteArrayView line, QByteArrayView name)
{
    const qsizetype colon = line.indexOf(':');
    if (colon < 0 || line.first(colon).trimmed().compare(name, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return line.sliced(colon + 1).trimmed().toByteArray();
}

// A header value without CR or LF, which would end the header early.
QByteArray oneLine(QByteArray value)
{
    return value.replace('\r', ' ').replace('\n', ' ');
}

// The request as it goes out: the whole address to a proxy, else the path alone.
QByteArray requestHead(const HttpRoute& route, const QUrl& url, const QByteArray& userAgent)
{
    QUrl address = url.adjusted(QUrl::RemoveFragment);
    if (address.path().isEmpty())
        address.setPath(QStringLiteral("/"));
    const QByteArray target = route.viaProxy
                                  ? address.toEncoded()
                                  : address.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    QByteArray host = address.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (address.port() >= 0 && address.port() != 80)
        host += ':' + QByteArray::number(address.port());
    // Always from the server, never from a cache on the way; the body as it is stored, so that
    // its declared length can tell a truncated page.
    return "GET " + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nUser-Agent: " + oneLine(userAgent) +
           "\r\nAccept: */*\r\nAccept-Encoding: identity\r\nCache-Control: no-cache\r\n"
           "Pragma: no-cache\r\nConnection: keep-alive\r\n\r\n";
}

} // namespace

HttpExchange::HttpExchange(const HttpRoute& route, const QUrl& url, const QByteArray& userAgent)
    : m_route(route), m_request(requestHead(route, url, userAgent))
{
    connectSocket(true);
}

HttpExchange::~HttpExchange()
{
    const bool reusable = m_socket && m_state == State::Done && m_keepAlive && m_in.isEmpty() &&
                          m_socket->state() == QAbstractSocket::ConnectedState &&
                          m_socket->bytesAvailable() == 0;
    ThreadConnection& kept = threadConnection();
    if (!reusable || kept.closing) {
        discard(std::move(m_socket));
        return;
    }
    m_socket->disconnect(this);
    discard(std::move(kept.socket));
    kept.socket = std::move(m_socket);
    kept.route = m_route;
    dropMainConnectionAtExit();
}

void HttpExchange::sendAhead(const HttpRoute& route, const QUrl& url, const QByteArray& userAgent)
{
    ThreadConnection& kept = threadConnection();
    kept.ahead.reset(); // an earlier one, done, may leave its connection for this one
    kept.aheadUrl = url;
    kept.ahead = std::make_unique<HttpExchange>(route, url, userAgent);
    dropMainConnectionAtExit();
}

std::unique_ptr<HttpExchange> HttpExchange::takeAhead(const QUrl& url)
{
    ThreadConnection& kept = threadConnection();
    std::unique_ptr<HttpExchange> ahead = std::move(kept.ahead);
    const bool same = kept.aheadUrl == url;
    kept.aheadUrl.clear();
    return same ? std::move(ahead) : nullptr;
}

void HttpExchange::connectSocket(bool reuse)
{
    ThreadConnection& idle = threadConnection();
    if (reuse && idle.socket && idle.route == m_route &&
        idle.socket->state() == QAbstractSocket::ConnectedState &&
        idle.socket->bytesAvailable() == 0) {
        m_socket = std::move(idle.socket);
        m_reused = true;
    } else {
        if (idle.route == m_route)
            discard(std::move(idle.socket));
        m_socket = std::make_unique<QTcpSocket>();
        m_reused = false;
    }
    QTcpSocket* socket = m_socket.get();
    connect(socket, &QTcpSocket::connected, this, [this] {
        // A request goes out whole; nothing is gained by waiting to fill a segment.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        sendRequest();
        emit progressed();
    });
    connect(socket, &QTcpSocket::bytesWritten, this, &HttpExchange::progressed);
    connect(socket, &QTcpSocket::readyRead, this, &HttpExchange::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &HttpExchange::onClosed);
    connect(socket, &QTcpSocket::errorOccurred, this, &HttpExchange::onClosed);
    if (m_reused)
        sendRequest();
    else
        socket->connectToHost(m_route.host, m_route.port);
}

void HttpExchange::sendRequest()
{
    m_socket->write(m_request);
    // Out now rather than on the event loop's next turn.
    m_socket->flush();
}

void HttpExchange::onReadyRead()
{
    if (isFinished() || !m_socket)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    m_anyResponse = true;
    m_in += bytes;
    while (m_state == State::Head && parseHead()) {
    }
    if (m_state == State::Body)
        parseBody();
    else if (m_state == State::Chunks)
        parseChunks();
    emit progressed();
}

void HttpExchange::onClosed()
{
    if (isFinished() || !m_socket)
        return;
    if (m_socket->bytesAvailable() > 0)
        onReadyRead();
    if (isFinished())
        return;
    // A kept connection that the server had closed in the meantime: the request goes again on
    // a new one, as long as nothing of an answer came back.
    if (m_reused && !m_retried && !m_anyResponse) {
        m_retried = true;
        discard(std::move(m_socket));
        connectSocket(false);
        return;
    }
    if (m_state == State::Body && m_framing == Framing::UntilClose)
        finish(State::Done);
    else
        finish(State::Failed);
}

// Takes one head from the input; true when another head follows (an interim 1xx answer).
bool HttpExchange::parseHead()
{
    const qsizetype end = m_in.indexOf("\r\n\r\n");
    if (end < 0) {
        if (m_in.size() > kMaxHeadBytes)
            finish(State::Failed);
        return false;
    }
    const QList<QByteArray> lines = m_in.first(end).split('\n');
    m_in.remove(0, end + 4);
    const QList<QByteArray> status = lines.first().trimmed().split(' ');
    m_status = status.value(1).toInt();
    if (!status.first().startsWith("HTTP/1.") || m_status < 100 || m_status > 999) {
        finish(State::Failed);
        return false;
    }
    if (m_status < 200 && m_status != 101)
        return true;
    m_keepAlive = status.first() != "HTTP/1.0";
    if (!readHeaders(lines.sliced(1))) {
        finish(State::Failed);
        return false;
    }
    startBody();
    return false;
}

// The headers that frame the body and say what becomes of the connection; false for a length
// that is not a number.
bool HttpExchange::readHeaders(const QList<QByteArray>& lines)
{
    bool chunked = false;
    for (const QByteArray& line : lines) {
        if (const auto v = headerValue(line, "Content-Length")) {
            bool ok = false;
            m_declared = v->toLongLong(&ok);
            if (!ok || m_declared < 0)
                return false;
        } else if (const auto v = headerValue(line, "Transfer-Encoding")) {
            chunked = v->toLower().contains("chunked");
        } else if (const auto v = headerValue(line, "Connection")) {
            const QByteArray token = v->toLower();
            m_keepAlive = !token.contains("close") && (token.contains("keep-alive") || m_keepAlive);
        } else if (const auto v = headerValue(line, "Location")) {
            m_location = *v;
        }
    }
    // A chunked body says nothing of its length, whatever else the head claims.
    if (chunked)
        m_declared = -1;
    m_framing = chunked           ? Framing::Chunked
                : m_declared >= 0 ? Framing::Length
                                  : Framing::UntilClose;
    return true;
}

void HttpExchange::startBody()
{
    m_headDone = true;
    if (m_status == 204 || m_status == 304 || (m_framing == Framing::Length && m_declared == 0)) {
        finish(State::Done);
        return;
    }
    if (m_framing == Framing::UntilClose)
        m_keepAlive = false;
    m_remaining = m_framing == Framing::Chunked ? 0 : m_declared;
    m_state = m_framing == Framing::Chunked ? State::Chunks : State::Body;
}

void HttpExchange::parseBody()
{
    if (m_framing == Framing::UntilClose) {
        appendBody(m_in);
        m_in.clear();
        return;
    }
    const qsizetype n = qMin<qint64>(m_remaining, m_in.size());
    appendBody(QByteArrayView(m_in).first(n));
    m_in.remove(0, n);
    m_remaining -= n;
    if (m_remaining == 0) {
        // Anything after the body is not ours to read: the connection goes with this exchange.
        m_keepAlive = m_keepAlive && m_in.isEmpty();
        finish(State::Done);
    }
}

// Takes what it can of the chunked body; false when the input ran out.
bool HttpExchange::parseChunks()
{
    for (;;) {
        if (m_remaining > 0) {
            const qsizetype n = qMin<qint64>(m_remaining, m_in.size());
            appendBody(QByteArrayView(m_in).first(n));
            m_in.remove(0, n);
            m_remaining -= n;
            if (m_remaining > 0)
                return false;
            m_chunkDataEnded = true;
        }
        const qsizetype eol = m_in.indexOf("\r\n");
        if (eol < 0) {
            if (m_in.size() > kMaxChunkLine)
                finish(State::Failed);
            return false;
        }
        const QByteArray line = m_in.first(eol);
        m_in.remove(0, eol + 2);
        if (m_chunkDataEnded) { // the line end after a chunk's data
            m_chunkDataEnded = false;
            if (!line.isEmpty()) {
                finish(State::Failed);
                return false;
            }
            continue;
        }
        if (m_remaining < 0) { // trailers after the last chunk, up to an empty line
            if (line.isEmpty()) {
                m_keepAlive = m_keepAlive && m_in.isEmpty();
                finish(State::Done);
                return true;
            }
            continue;
        }
        bool ok = false;
        const qint64 size = line.split(';').first().trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0) {
            finish(State::Failed);
            return false;
        }
        m_remaining = size == 0 ? -1 : size;
    }
}

void HttpExchange::appendBody(QByteArrayView bytes)
{
    if (m_readPos > 0 && m_readPos == m_body.size()) {
        m_body.clear();
        m_readPos = 0;
    }
    m_body.append(bytes);
}

qint64 HttpExchange::read(char* data, qint64 maxSize)
{
    const qint64 n = qMin(maxSize, bytesAvailable());
    if (n <= 0)
        return 0;
    std::memcpy(data, m_body.constData() + m_readPos, size_t(n));
    m_readPos += n;
    return n;
}

void HttpExchange::abort()
{
    if (!isFinished())
        finish(State::Failed);
}

void HttpExchange::finish(State state)
{
    m_state = state;
    if (state == State::Failed) {
        // A head cut short is no answer: no status to judge the attempt by.
        if (!m_headDone)
            m_status = 0;
        discard(std::move(m_socket));
    }
    emit progressed();
}

} // namespace site
