#include "talvex-sim/SimConnection.h"

#include "config/Settings.h"
#include "talvex-sim/MiscPages.h"
#include "talvex-sim/SimServer.h"
#include "util/Text.h"

#include <QLocale>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace talvexsim {

namespace {

constexpr qsizetype kMaxHead = 64 * 1024;
constexpr int kResetPauseMs = 20;

QByteArray reasonOf(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return "Error";
    }
}

Resource errorResource(int status)
{
    const QString reason = QString::fromLatin1(reasonOf(status));
    return {status, QByteArrayLiteral("text/html; charset=Shift_JIS"),
            text::EncodeCp932(pages::ErrorPage(status, reason))};
}

bool isSiteHost(const QString& host)
{
    return host == SitePages::webHost() || host == config::DownloadHost ||
           host == config::MemberHost || host == config::PaymentHost;
}

// The host of a Host header: without the port, lower case.
QString hostOf(const QByteArray& header)
{
    QString host = QString::fromLatin1(header).trimmed().toLower();
    const qsizetype colon = host.lastIndexOf(u':');
    if (colon >= 0 && !host.endsWith(u']'))
        host.truncate(colon);
    return host;
}

} // namespace

SimConnection::SimConnection(QTcpSocket* socket, SimServer* server)
    : QObject(server), m_socket(socket), m_server(server)
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, [this] {
        m_buffer += m_socket->readAll();
        processNext();
    });
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

SimConnection::Parse SimConnection::takeRequest(Request* out)
{
    while (m_buffer.startsWith("\r\n") || m_buffer.startsWith('\n'))
        m_buffer.remove(0, m_buffer.startsWith('\n') ? 1 : 2);
    qsizetype end = m_buffer.indexOf("\r\n\r\n");
    qsizetype separator = 4;
    const qsizetype bare = m_buffer.indexOf("\n\n");
    if (bare >= 0 && (end < 0 || bare < end)) {
        end = bare;
        separator = 2;
    }
    if (end < 0)
        return m_buffer.size() > kMaxHead ? Parse::Bad : Parse::Incomplete;
    QList<QByteArray> lines = m_buffer.left(end).split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    const QList<QByteArray> words = lines.takeFirst().simplified().split(' ');
    if (words.size() != 3 || !words[2].startsWith("HTTP/"))
        return Parse::Bad;
    out->method = words[0];
    out->target = words[1];
    out->version = words[2];
    for (const QByteArray& line : std::as_const(lines)) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            out->headers.insert(line.left(colon).trimmed().toLower(),
                                line.mid(colon + 1).trimmed());
    }
    const qint64 length = qMax(0LL, out->headers.value("content-length").toLongLong());
    if (m_buffer.size() < end + separator + length)
        return Parse::Incomplete;
    m_buffer.remove(0, end + separator + length);
    return Parse::Complete;
}

void SimConnection::processNext()
{
    if (m_busy || m_closing)
        return;
    Request request;
    switch (takeRequest(&request)) {
    case Parse::Incomplete:
        return;
    case Parse::Bad: {
        const Resource bad = errorResource(400);
        m_busy = true;
        send(head(400, bad, bad.body.size(), false) + bad.body, false);
        return;
    }
    case Parse::Complete:
        break;
    }
    m_busy = true;
    handle(request);
}

void SimConnection::handle(const Request& request)
{
    RequestRecord record;
    record.time = QDateTime::currentDateTime();
    record.method = QString::fromLatin1(request.method);
    record.target = QString::fromLatin1(request.target);
    record.httpVersion = QString::fromLatin1(request.version);
    record.userAgent = QString::fromLatin1(request.headers.value("user-agent"));
    QString host;
    QString path;
    if (record.target.startsWith(u"http://", Qt::CaseInsensitive) ||
        record.target.startsWith(u"https://", Qt::CaseInsensitive)) {
        const QUrl url(record.target);
        host = url.host().toLower();
        path = url.path(QUrl::FullyEncoded);
        if (path.isEmpty())
            path = QStringLiteral("/");
        if (url.hasQuery())
            path += u'?' + url.query(QUrl::FullyEncoded);
        record.absoluteForm = true;
    } else {
        host = hostOf(request.headers.value("host"));
        path = record.target;
        // A browser pointed at the server's own address names no host of the site: the path
        // tells which of them it means.
        if (!isSiteHost(host))
            host = SitePages::hostForPath(path);
    }
    record.url = u"http://" + host + path;
    const std::optional<FaultRule> fault = m_server->faults().take(path, record.url);
    if (fault && fault->delayMs > 0) {
        QTimer::singleShot(fault->delayMs, this,
                           [=, this] { answer(request, host, path, fault, record); });
        return;
    }
    answer(request, host, path, fault, record);
}

void SimConnection::answer(const Request& request, const QString& host, const QString& path,
                           const std::optional<FaultRule>& fault, RequestRecord record)
{
    const bool keepAlive = wantsKeepAlive(request);
    const bool get = request.method == "GET";
    const bool headOnly = request.method == "HEAD";
    Resource resource = get || headOnly ? m_server->pages().get(host, path) : errorResource(501);
    const FaultKind kind = fault ? fault->kind : FaultKind::Delay;
    if (fault)
        record.fault = FaultRule::kindName(kind);
    if (kind == FaultKind::Reset) {
        m_server->record(record);
        reset();
        return;
    }
    if (kind == FaultKind::Status)
        resource = errorResource(fault->status);
    if (kind == FaultKind::EmptyBody)
        resource.body.clear();
    record.status = resource.status;
    m_server->record(record);
    const QByteArray body = headOnly ? QByteArray() : resource.body;
    const qint64 cut =
        fault && fault->bytes > 0 ? qMin<qint64>(fault->bytes, body.size()) : body.size() / 2;
    switch (kind) {
    case FaultKind::ResetMidBody:
        sendThenReset(head(resource.status, resource, resource.body.size(), false) +
                      body.left(cut));
        return;
    case FaultKind::Truncate:
        send(head(resource.status, resource, resource.body.size(), false) + body.left(cut), false);
        return;
    case FaultKind::Trickle:
        trickle(head(resource.status, resource, resource.body.size(), keepAlive) + body,
                fault->bytes, fault->intervalMs, keepAlive);
        return;
    default:
        send(head(resource.status, resource, resource.body.size(), keepAlive) + body, keepAlive);
    }
}

QByteArray SimConnection::head(int status, const Resource& resource, qint64 length,
                               bool keepAlive) const
{
    const QByteArray date =
        QLocale::c()
            .toString(QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss"))
            .toLatin1();
    QByteArray h = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonOf(status) + "\r\n";
    h += "Server: talvex-sim\r\nDate: " + date + " GMT\r\n";
    h += "Content-Type: " + resource.contentType + "\r\n";
    h += "Content-Length: " + QByteArray::number(length) + "\r\n";
    h += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return h;
}

void SimConnection::send(const QByteArray& bytes, bool keepAlive)
{
    m_socket->write(bytes);
    finish(keepAlive);
}

void SimConnection::sendThenReset(const QByteArray& bytes)
{
    m_closing = true;
    m_socket->write(bytes);
    m_socket->flush();
    // Reset only once the partial answer has left, so the client sees it before the reset.
    auto resetWhenWritten = [this] {
        if (m_socket->bytesToWrite() == 0)
            QTimer::singleShot(kResetPauseMs, this, [this] { reset(); });
    };
    connect(m_socket, &QTcpSocket::bytesWritten, this, resetWhenWritten);
    resetWhenWritten();
}

void SimConnection::trickle(const QByteArray& bytes, qint64 step, int intervalMs, bool keepAlive)
{
    step = qMax<qint64>(1, step);
    auto* timer = new QTimer(this);
    auto offset = std::make_shared<qsizetype>(0);
    auto sendPiece = [=, this] {
        m_socket->write(bytes.mid(*offset, step));
        m_socket->flush();
        *offset += step;
        if (*offset < bytes.size())
            return;
        timer->stop();
        timer->deleteLater();
        finish(keepAlive);
    };
    connect(timer, &QTimer::timeout, this, sendPiece);
    timer->start(intervalMs);
    sendPiece();
}

void SimConnection::finish(bool keepAlive)
{
    if (!keepAlive) {
        m_closing = true;
        m_socket->disconnectFromHost();
        return;
    }
    m_busy = false;
    processNext();
}

void SimConnection::reset()
{
    m_closing = true;
#ifdef Q_OS_UNIX
    // A zero linger time makes the close a reset (RST) rather than an orderly end.
    const qintptr fd = m_socket->socketDescriptor();
    if (fd >= 0) {
        const linger immediate{1, 0};
        ::setsockopt(int(fd), SOL_SOCKET, SO_LINGER, &immediate, sizeof immediate);
    }
#endif
    m_socket->abort();
}

bool SimConnection::wantsKeepAlive(const Request& request) const
{
    const QByteArray connection =
        (request.headers.value("connection") + ',' + request.headers.value("proxy-connection"))
            .toLower();
    if (request.version == "HTTP/1.0")
        return connection.contains("keep-alive");
    return !connection.contains("close");
}

} // namespace talvexsim
