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
// An archive goes out in pieces; no more than the high-water mark waits in the socket's queue.
constexpr qint64 kStreamPiece = 256 * 1024;
constexpr qint64 kStreamHighWater = 4 * 1024 * 1024;
const QByteArray kBinary = QByteArrayLiteral("application/octet-stream");
// A chunked answer goes out in chunks of this many bytes (the last one shorter).
constexpr qsizetype kChunkPiece = 1024;
const QByteArray kLastChunk = QByteArrayLiteral("0\r\n\r\n");

QByteArray reasonOf(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 416:
        return "Range Not Satisfiable";
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

// The data in the chunked transfer coding, in pieces of kChunkPiece bytes; without the last
// (zero) chunk, which ends a chunked body.
QByteArray chunksOf(QByteArrayView data)
{
    QByteArray out;
    for (qsizetype at = 0; at < data.size(); at += kChunkPiece) {
        const QByteArrayView piece = data.sliced(at, qMin(kChunkPiece, data.size() - at));
        out += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
    }
    return out;
}

// The kinds that send the body in chunks.
bool isChunked(FaultKind kind)
{
    return kind == FaultKind::Chunked || kind == FaultKind::ChunkedCut ||
           kind == FaultKind::ChunkOversize || kind == FaultKind::EmptyChunked;
}

// How the fault has the site write a folder's pages.
pages::FolderPageFault folderFaultOf(const std::optional<FaultRule>& fault)
{
    pages::FolderPageFault out;
    if (!fault)
        return out;
    if (fault->kind == FaultKind::Endless)
        out.pager = pages::FolderPageFault::Pager::Endless;
    if (fault->kind == FaultKind::NextLoop) {
        out.pager = pages::FolderPageFault::Pager::Loop;
        out.loopTo = fault->loopTo;
    }
    if (fault->kind == FaultKind::DeadLinks)
        out.deadLinks = fault->deadLinks;
    return out;
}

// What a Range header asks of a body of the given size. One range of bytes is served; several
// ranges, another unit or a malformed header get the whole body, as a server may answer.
struct ByteRange
{
    enum Kind { Whole, Part, Unsatisfiable };
    Kind kind = Whole;
    qint64 first = 0;
    qint64 last = -1;
};

std::optional<qint64> byteNumber(const QByteArray& text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    return text.toLongLong();
}

ByteRange parseRange(const QByteArray& header, qint64 size)
{
    const QByteArray value = header.trimmed();
    if (!value.toLower().startsWith("bytes="))
        return {};
    const QByteArray ranges = value.mid(6).trimmed();
    const qsizetype dash = ranges.indexOf('-');
    if (ranges.contains(',') || dash < 0)
        return {};
    const QByteArray from = ranges.left(dash).trimmed();
    const QByteArray to = ranges.mid(dash + 1).trimmed();
    if (from.isEmpty()) { // the last n bytes
        const std::optional<qint64> n = byteNumber(to);
        if (!n)
            return {};
        if (*n == 0 || size == 0)
            return {ByteRange::Unsatisfiable};
        return {ByteRange::Part, qMax<qint64>(0, size - *n), size - 1};
    }
    const std::optional<qint64> first = byteNumber(from);
    const std::optional<qint64> last = to.isEmpty() ? first : byteNumber(to);
    if (!first || !last || *last < *first)
        return {};
    if (*first >= size)
        return {ByteRange::Unsatisfiable};
    return {ByteRange::Part, *first, to.isEmpty() ? size - 1 : qMin(*last, size - 1)};
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
    connect(socket, &QTcpSocket::bytesWritten, this, &SimConnection::pumpStream);
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

SimConnection::~SimConnection()
{
    if (m_unanswered)
        m_server->requestAnswered();
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
        send(head(400, bad.contentType, bad.body.size(), false) + bad.body, false);
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
    record.range = QString::fromLatin1(request.headers.value("range"));
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
    m_unanswered = true;
    m_server->requestArrived();
    const int delayMs = m_server->latencyMs() + (fault ? fault->delayMs : 0);
    if (delayMs > 0) {
        QTimer::singleShot(delayMs, this,
                           [=, this] { answer(request, host, path, fault, record); });
        return;
    }
    answer(request, host, path, fault, record);
}

void SimConnection::answer(const Request& request, const QString& host, const QString& path,
                           const std::optional<FaultRule>& fault, RequestRecord record)
{
    if (m_unanswered) {
        m_unanswered = false;
        m_server->requestAnswered();
    }
    const bool keepAlive = wantsKeepAlive(request);
    const bool get = request.method == "GET";
    const bool headOnly = request.method == "HEAD";
    const FaultKind kind = fault ? fault->kind : FaultKind::Delay;
    if (fault)
        record.fault = FaultRule::kindName(kind);
    if (kind == FaultKind::Reset) {
        m_server->record(record);
        reset();
        return;
    }
    if (kind == FaultKind::Redirect) {
        const QByteArray page = text::EncodeCp932(pages::RedirectPage(fault->location));
        record.status = 302;
        m_server->record(record);
        send(head(302, QByteArrayLiteral("text/html; charset=Shift_JIS"), page.size(), keepAlive,
                  "Location: " + fault->location.toLatin1() + "\r\n") +
                 (headOnly ? QByteArray() : page),
             keepAlive);
        return;
    }
    // The chunked kinds answer an archive from its whole bytes in memory.
    if ((get || headOnly) && kind != FaultKind::Status && !isChunked(kind)) {
        if (const std::optional<ArchiveBytes> archive = m_server->pages().archiveAt(host, path)) {
            answerArchive(request, *archive, fault, record, keepAlive, headOnly);
            return;
        }
    }
    Resource resource = get || headOnly ? m_server->pages().get(host, path, folderFaultOf(fault))
                                        : errorResource(501);
    if (kind == FaultKind::Status)
        resource = errorResource(fault->status);
    if (kind == FaultKind::EmptyBody || kind == FaultKind::EmptyChunked)
        resource.body.clear();
    record.status = resource.status;
    m_server->record(record);
    const QByteArray body = headOnly ? QByteArray() : resource.body;
    const qint64 length = resource.body.size();
    const QByteArray& type = resource.contentType;
    const qint64 cut =
        fault && fault->bytes > 0 ? qMin<qint64>(fault->bytes, body.size()) : body.size() / 2;
    if (isChunked(kind) && headOnly) {
        send(head(resource.status, type, -1, keepAlive), keepAlive);
        return;
    }
    switch (kind) {
    case FaultKind::Chunked:
    case FaultKind::EmptyChunked:
        send(head(resource.status, type, -1, keepAlive) + chunksOf(body) + kLastChunk, keepAlive);
        return;
    case FaultKind::ChunkedCut:
        send(head(resource.status, type, -1, false) + chunksOf(body.left(cut)), false);
        return;
    case FaultKind::ChunkOversize: {
        // One chunk that announces more than the body holds; the connection ends inside it.
        const qint64 excess = fault->bytes > 0 ? fault->bytes : 1;
        send(head(resource.status, type, -1, false) + QByteArray::number(body.size() + excess, 16) +
                 "\r\n" + body,
             false);
        return;
    }
    case FaultKind::ResetMidBody:
        sendThenReset(head(resource.status, type, length, false) + body.left(cut));
        return;
    case FaultKind::Truncate:
        send(head(resource.status, type, length, false) + body.left(cut), false);
        return;
    case FaultKind::Stall:
        m_closing = true;
        m_socket->write(head(resource.status, type, length, false) + body.left(cut));
        return;
    case FaultKind::Trickle:
        trickle(head(resource.status, type, length, keepAlive) + body, fault->bytes,
                fault->intervalMs, keepAlive);
        return;
    default:
        send(head(resource.status, type, length, keepAlive) + body, keepAlive);
    }
}

void SimConnection::answerArchive(const Request& request, const ArchiveBytes& archive,
                                  const std::optional<FaultRule>& fault, RequestRecord record,
                                  bool keepAlive, bool headOnly)
{
    const FaultKind kind = fault ? fault->kind : FaultKind::Delay;
    const qint64 size = kind == FaultKind::EmptyBody ? 0 : archive.size();
    const QByteArray total = QByteArray::number(size);
    QByteArray extra = "Accept-Ranges: bytes\r\n";
    int status = 200;
    qint64 first = 0;
    qint64 length = size;
    if (kind != FaultKind::IgnoreRange && request.headers.contains("range")) {
        const ByteRange range = parseRange(request.headers.value("range"), size);
        if (range.kind == ByteRange::Unsatisfiable) {
            record.status = 416;
            m_server->record(record);
            const Resource page = errorResource(416);
            extra += "Content-Range: bytes */" + total + "\r\n";
            send(head(416, page.contentType, page.body.size(), keepAlive, extra) +
                     (headOnly ? QByteArray() : page.body),
                 keepAlive);
            return;
        }
        if (range.kind == ByteRange::Part) {
            status = 206;
            first = range.first;
            length = range.last - range.first + 1;
            extra += "Content-Range: bytes " + QByteArray::number(range.first) + '-' +
                     QByteArray::number(range.last) + '/' + total + "\r\n";
        }
    }
    record.status = status;
    m_server->record(record);
    const bool broken =
        kind == FaultKind::ResetMidBody || kind == FaultKind::Truncate || kind == FaultKind::Stall;
    m_socket->write(head(status, kBinary, length, keepAlive && !broken, extra));
    const qint64 cut = fault && fault->bytes > 0 ? qMin(fault->bytes, length) : length / 2;
    auto stream = std::make_unique<BodyStream>(BodyStream{archive, first, first + length});
    stream->keepAlive = keepAlive;
    if (headOnly)
        stream->end = first;
    else if (broken)
        stream->end = first + cut;
    if (kind == FaultKind::ResetMidBody)
        stream->ending = BodyStream::Ending::Reset;
    else if (kind == FaultKind::Truncate)
        stream->ending = BodyStream::Ending::Close;
    else if (kind == FaultKind::Stall)
        stream->ending = BodyStream::Ending::Stall;
    m_stream = std::move(stream);
    if (kind == FaultKind::Trickle && !headOnly)
        trickleStream(fault->bytes, fault->intervalMs);
    else
        pumpStream();
}

QByteArray SimConnection::head(int status, const QByteArray& contentType, qint64 length,
                               bool keepAlive, const QByteArray& extraHeaders) const
{
    const QByteArray date =
        QLocale::c()
            .toString(QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss"))
            .toLatin1();
    QByteArray h = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonOf(status) + "\r\n";
    h += "Server: talvex-sim\r\nDate: " + date + " GMT\r\n";
    h += "Content-Type: " + contentType + "\r\n";
    h += length < 0 ? QByteArray("Transfer-Encoding: chunked\r\n")
                    : "Content-Length: " + QByteArray::number(length) + "\r\n";
    h += extraHeaders;
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

void SimConnection::pumpStream()
{
    if (!m_stream || m_stream->trickled)
        return;
    BodyStream& s = *m_stream;
    while (s.pos < s.end && m_socket->bytesToWrite() < kStreamHighWater) {
        const qint64 n = qMin(kStreamPiece, s.end - s.pos);
        m_socket->write(s.source.read(s.pos, n));
        s.pos += n;
    }
    if (s.pos >= s.end)
        endStream();
}

void SimConnection::trickleStream(qint64 step, int intervalMs)
{
    m_stream->trickled = true;
    step = qMax<qint64>(1, step);
    auto* timer = new QTimer(this);
    auto sendPiece = [=, this] {
        BodyStream& s = *m_stream;
        const qint64 n = qMin(step, s.end - s.pos);
        m_socket->write(s.source.read(s.pos, n));
        m_socket->flush();
        s.pos += n;
        if (s.pos < s.end)
            return;
        timer->stop();
        timer->deleteLater();
        endStream();
    };
    connect(timer, &QTimer::timeout, this, sendPiece);
    timer->start(intervalMs);
    sendPiece();
}

void SimConnection::endStream()
{
    const std::unique_ptr<BodyStream> s = std::move(m_stream);
    switch (s->ending) {
    case BodyStream::Ending::Finish:
        finish(s->keepAlive);
        return;
    case BodyStream::Ending::Close:
        finish(false);
        return;
    case BodyStream::Ending::Reset:
        sendThenReset(QByteArray());
        return;
    case BodyStream::Ending::Stall:
        m_closing = true; // nothing more is sent or read; the client gives up
        return;
    }
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
