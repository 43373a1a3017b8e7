#include "download/HttpStream.h"

#include "config/Settings.h"

#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QSslSocket>
#include <QTcpSocket>
#include <cstring>
#include <optional>

namespace download {

namespace {

constexpr int kPollMs = 50;
constexpr int kMaxRedirects = 10;
constexpr qsizetype kMaxHead = 64 * 1024;
constexpr qsizetype kMaxLine = 8 * 1024;
constexpr qint64 kLineRead = 64 * 1024;

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == u"http" || scheme == u"https";
}

// The proxy that the settings give for the address; nothing when mode 2 names no usable proxy.
std::optional<QNetworkProxy> settingsProxy(const QUrl& url)
{
    const config::Settings& s = config::settings();
    if (s.Proxy == 1) {
        const QList<QNetworkProxy> proxies =
            QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
        return proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
    }
    if (s.Proxy == 2) {
        if (s.ProxyName.trimmed().isEmpty() || s.ProxyPort < 1 || s.ProxyPort > 65535)
            return std::nullopt;
        return QNetworkProxy(QNetworkProxy::HttpProxy, s.ProxyName.trimmed(),
                             static_cast<quint16>(s.ProxyPort));
    }
    return QNetworkProxy(QNetworkProxy::NoProxy);
}

// "bytes first-last/total" (total may be "*").
void parseContentRange(const QByteArray& value, qint64* first, qint64* total)
{
    const QByteArray v = value.trimmed();
    if (!v.toLower().startsWith("bytes "))
        return;
    const QByteArray rest = v.mid(6).trimmed();
    const qsizetype slash = rest.indexOf('/');
    if (slash <= 0)
        return;
    bool ok = false;
    const qint64 t = rest.mid(slash + 1).trimmed().toLongLong(&ok);
    if (ok && t >= 0)
        *total = t;
    const qsizetype dash = rest.indexOf('-');
    if (dash <= 0 || dash > slash) // "*/total" of an answer that sends no part
        return;
    const qint64 f = rest.left(dash).trimmed().toLongLong(&ok);
    if (ok && f >= 0)
        *first = f;
}

} // namespace

HttpStream::HttpStream(CancelTest cancelled, int timeOutMs)
    : m_cancelled(std::move(cancelled)), m_timeOutMs(timeOutMs)
{
    m_poll.setInterval(kPollMs);
    QObject::connect(&m_poll, &QTimer::timeout, &m_loop, &QEventLoop::quit);
}

HttpStream::~HttpStream()
{
    close();
}

void HttpStream::close()
{
    if (!m_socket)
        return;
    m_socket->disconnect();
    m_socket->abort();
    m_socket.reset();
}

bool HttpStream::fail(StreamFailure failure)
{
    if (m_failure == StreamFailure::None)
        m_failure = failure;
    if (m_socket && m_detail.isEmpty() && m_socket->error() != QAbstractSocket::UnknownSocketError)
        m_detail = m_socket->errorString();
    return false;
}

bool HttpStream::connected() const
{
    if (auto* ssl = qobject_cast<QSslSocket*>(m_socket.get()))
        return ssl->isEncrypted();
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool HttpStream::waitFor(const std::function<bool()>& done)
{
    QElapsedTimer idle;
    idle.start();
    qint64 seen = m_socket->bytesAvailable();
    while (!done()) {
        if (m_cancelled())
            return fail(StreamFailure::Cancelled);
        if (m_socket->state() == QAbstractSocket::UnconnectedState)
            return fail(StreamFailure::Closed);
        if (idle.elapsed() >= m_timeOutMs)
            return fail(StreamFailure::TimedOut);
        m_poll.start();
        m_loop.exec();
        m_poll.stop();
        // Any sign of life restarts the time-out.
        const qint64 now = m_socket->bytesAvailable();
        if (now != seen || done()) {
            seen = now;
            idle.restart();
        }
    }
    return true;
}

bool HttpStream::open(const QUrl& url, qint64 from)
{
    QUrl target = url;
    for (int hops = 0;; ++hops) {
        if (!exchange(target, from))
            return false;
        if (!isRedirect(m_status) || m_location.isEmpty())
            return true;
        const QUrl next = target.resolved(QUrl::fromEncoded(m_location));
        close();
        if (!next.isValid() || !isWebScheme(next) || hops >= kMaxRedirects)
            return fail(StreamFailure::Redirect);
        target = next;
    }
}

bool HttpStream::exchange(const QUrl& url, qint64 from)
{
    close();
    m_pending.clear();
    m_status = 0;
    m_declared = m_rangeFirst = m_rangeTotal = -1;
    m_location.clear();
    m_remaining = 0;
    m_afterChunk = m_bodyDone = false;
    m_failure = StreamFailure::None;
    m_detail.clear();
    bool absoluteForm = false;
    if (!connectTo(url, &absoluteForm))
        return false;
    m_socket->write(requestText(url, from, absoluteForm));
    return readHead();
}

bool HttpStream::connectTo(const QUrl& url, bool* absoluteForm)
{
    const bool secure = url.scheme().toLower() == u"https";
    const std::optional<QNetworkProxy> proxy = settingsProxy(url);
    if (!proxy)
        return fail(StreamFailure::Proxy);
    QString host = url.host();
    quint16 port = static_cast<quint16>(url.port(secure ? 443 : 80));
    QNetworkProxy through(QNetworkProxy::NoProxy);
    const bool httpProxy = proxy->type() == QNetworkProxy::HttpProxy ||
                           proxy->type() == QNetworkProxy::HttpCachingProxy;
    *absoluteForm = httpProxy && !secure;
    if (*absoluteForm) { // the proxy is sent the whole address
        host = proxy->hostName();
        port = proxy->port();
    } else if (httpProxy || proxy->type() == QNetworkProxy::Socks5Proxy) {
        through = *proxy;
        if (httpProxy)
            through.setType(QNetworkProxy::HttpProxy); // a CONNECT tunnel
    }
    if (secure) {
        if (!QSslSocket::supportsSsl())
            return fail(StreamFailure::Tls);
        m_socket = std::make_unique<QSslSocket>();
    } else {
        m_socket = std::make_unique<QTcpSocket>();
    }
    m_socket->setProxy(through);
    m_socket->setReadBufferSize(kSocketBuffer);
    // Every event of the connection ends the current wait, which then looks again.
    QTcpSocket* socket = m_socket.get();
    QObject::connect(socket, &QIODevice::readyRead, &m_loop, &QEventLoop::quit);
    QObject::connect(socket, &QIODevice::bytesWritten, &m_loop, &QEventLoop::quit);
    QObject::connect(socket, &QAbstractSocket::stateChanged, &m_loop, &QEventLoop::quit);
    QObject::connect(socket, &QAbstractSocket::errorOccurred, &m_loop, &QEventLoop::quit);
    if (auto* ssl = qobject_cast<QSslSocket*>(socket)) {
        QObject::connect(ssl, &QSslSocket::encrypted, &m_loop, &QEventLoop::quit);
        ssl->connectToHostEncrypted(host, port);
    } else {
        socket->connectToHost(host, port);
    }
    if (waitFor([this] { return connected(); }))
        return true;
    if (m_failure == StreamFailure::Closed) {
        const QAbstractSocket::SocketError error = m_socket->error();
        m_failure = secure && (error == QAbstractSocket::SslHandshakeFailedError ||
                               error == QAbstractSocket::SslInternalError ||
                               error == QAbstractSocket::SslInvalidUserDataError)
                        ? StreamFailure::Tls
                        : StreamFailure::Connect;
    }
    return false;
}

QByteArray HttpStream::requestText(const QUrl& url, qint64 from, bool absoluteForm) const
{
    QByteArray target;
    if (absoluteForm) {
        target = url.toEncoded(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    } else {
        target = url.path(QUrl::FullyEncoded).toLatin1();
        if (target.isEmpty())
            target = "/";
        if (url.hasQuery())
            target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    }
    QByteArray text = "GET " + target + " HTTP/1.1\r\n";
    text += "Host: " + url.authority(QUrl::RemoveUserInfo | QUrl::FullyEncoded).toLatin1() + "\r\n";
    text += "User-Agent: " + config::settings().UserAgent.toUtf8() + "\r\n";
    text += "Accept: */*\r\nAccept-Encoding: identity\r\n";
    // Always from the server, never from a cache on the way.
    text += "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
    if (from > 0)
        text += "Range: bytes=" + QByteArray::number(from) + "-\r\n";
    if (absoluteForm) {
        const std::optional<QNetworkProxy> proxy = settingsProxy(url);
        if (proxy && !proxy->user().isEmpty())
            text += "Proxy-Authorization: Basic " +
                    (proxy->user() + u':' + proxy->password()).toUtf8().toBase64() + "\r\n";
    }
    text += "Connection: close\r\n\r\n";
    return text;
}

bool HttpStream::readHead()
{
    for (;;) {
        qsizetype end = m_pending.indexOf("\r\n\r\n");
        qsizetype separator = 4;
        const qsizetype bare = m_pending.indexOf("\n\n");
        if (bare >= 0 && (end < 0 || bare < end)) {
            end = bare;
            separator = 2;
        }
        if (end >= 0) {
            const QByteArray head = m_pending.left(end);
            m_pending.remove(0, end + separator);
            if (!parseHead(head))
                return fail(StreamFailure::BadAnswer);
            if (m_status >= 200)
                return true;
            continue; // an interim answer (100 Continue): the real one follows
        }
        if (m_pending.size() > kMaxHead)
            return fail(StreamFailure::BadAnswer);
        if (!waitFor([this] { return m_socket->bytesAvailable() > 0; }))
            return false;
        m_pending += m_socket->readAll();
    }
}

bool HttpStream::parseHead(const QByteArray& head)
{
    QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> status = lines.takeFirst().trimmed().split(' ');
    bool ok = false;
    m_status = status.value(1).toInt(&ok);
    if (!status.value(0).startsWith("HTTP/") || !ok || m_status < 100 || m_status > 999)
        return false;
    m_declared = m_rangeFirst = m_rangeTotal = -1;
    m_location.clear();
    bool chunked = false;
    for (const QByteArray& line : std::as_const(lines)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            const qint64 length = value.toLongLong(&ok);
            if (!ok || length < 0)
                return false;
            m_declared = length;
        } else if (name == "transfer-encoding") {
            chunked = value.toLower().contains("chunked");
        } else if (name == "content-range") {
            parseContentRange(value, &m_rangeFirst, &m_rangeTotal);
        } else if (name == "location") {
            m_location = value;
        }
    }
    if (chunked) {
        m_framing = Framing::Chunked;
        m_declared = -1;
    } else if (m_status == 204 || m_status == 304 || m_status < 200) {
        m_framing = Framing::Length;
        m_declared = 0;
    } else {
        m_framing = m_declared >= 0 ? Framing::Length : Framing::UntilClose;
    }
    m_remaining = m_framing == Framing::Length ? m_declared : 0;
    return true;
}

qint64 HttpStream::take(char* data, qint64 maxSize)
{
    if (!m_pending.isEmpty()) {
        const qint64 n = qMin<qint64>(maxSize, m_pending.size());
        std::memcpy(data, m_pending.constData(), size_t(n));
        m_pending.remove(0, n);
        return n;
    }
    if (m_socket->bytesAvailable() == 0 &&
        !waitFor([this] { return m_socket->bytesAvailable() > 0; }))
        return -1;
    return m_socket->read(data, maxSize);
}

bool HttpStream::readLine(QByteArray* line)
{
    for (;;) {
        const qsizetype end = m_pending.indexOf('\n');
        if (end >= 0) {
            *line = m_pending.left(end).trimmed();
            m_pending.remove(0, end + 1);
            return true;
        }
        if (m_pending.size() > kMaxLine)
            return fail(StreamFailure::BadAnswer);
        if (m_socket->bytesAvailable() == 0 &&
            !waitFor([this] { return m_socket->bytesAvailable() > 0; }))
            return false;
        m_pending += m_socket->read(kLineRead);
    }
}

qint64 HttpStream::read(char* data, qint64 maxSize)
{
    if (m_failure != StreamFailure::None || !m_socket)
        return -1;
    if (m_bodyDone || maxSize <= 0)
        return 0;
    switch (m_framing) {
    case Framing::Length: {
        if (m_remaining == 0) {
            m_bodyDone = true;
            return 0;
        }
        const qint64 n = take(data, qMin(maxSize, m_remaining));
        if (n > 0)
            m_remaining -= n;
        return n;
    }
    case Framing::UntilClose: {
        const qint64 n = take(data, maxSize);
        if (n < 0 && m_failure == StreamFailure::Closed) { // the end of this framing
            m_failure = StreamFailure::None;
            m_bodyDone = true;
            return 0;
        }
        return n;
    }
    case Framing::Chunked:
        break;
    }
    if (m_remaining == 0) {
        QByteArray line;
        if (m_afterChunk) { // the CR LF after a chunk's data
            if (!readLine(&line))
                return -1;
            if (!line.isEmpty()) {
                fail(StreamFailure::BadAnswer);
                return -1;
            }
            m_afterChunk = false;
        }
        if (!readLine(&line))
            return -1;
        bool ok = false;
        const qint64 size = line.split(';').value(0).trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0) {
            fail(StreamFailure::BadAnswer);
            return -1;
        }
        if (size == 0) { // the last chunk; trailers end with an empty line
            do {
                if (!readLine(&line))
                    return -1;
            } while (!line.isEmpty());
            m_bodyDone = true;
            return 0;
        }
        m_remaining = size;
    }
    const qint64 n = take(data, qMin(maxSize, m_remaining));
    if (n > 0)
        m_remaining -= n;
    m_afterChunk = m_remaining == 0;
    return n;
}

} // namespace download
