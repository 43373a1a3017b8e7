#include "site/HttpExchange.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <vector>

namespace site {

namespace {

// Closes a socket that may still be inside one of its own signals.
void discard(std::unique_ptr<QTcpSocket> socket)
{
    if (!socket)
        return;
    socket->disconnect();
    socket->abort();
    socket.release()->deleteLater();
}

// Connections kept open for later exchanges, at most: one for each exchange in flight and the
// one of the page being read.
constexpr size_t kMaxIdleConnections = 9;
// An answer waiting for its turn holds at most this much of its body unread; the rest stays
// with the connection, whose full buffer slows the sender down.
constexpr qint64 kHeldBodyLimit = qint64(1) * 1024 * 1024;
constexpr qint64 kSocketBuffer = qint64(1) * 1024 * 1024;

// What a thread keeps between its exchanges: the connections finished exchanges left open, for
// the next ones on the same route, the requests sent ahead of their fetch in the order they were
// sent, the planned ones not sent yet, and the window that bounds them.
struct ThreadConnection
{
    std::vector<std::pair<HttpRoute, std::unique_ptr<QTcpSocket>>> idle; // oldest first
    std::vector<std::pair<QUrl, std::unique_ptr<HttpExchange>>> ahead;
    QList<PlannedRequest> planned;      // nearest first
    QByteArray userAgent;               // of the planned requests
    std::vector<HttpExchange*> waiting; // made while the window was full, oldest first
    std::function<void()> arrivedHandler;
    std::unique_ptr<QObject> notifier; // posts the handler's call to this thread's event loop
    bool arrivalPosted = false;
    int inFlightLimit = 1;
    int heldLimit = 1;
    int inFlight = 0;
    bool closing = false; // going away: an exchange that ends now leaves no connection here
    bool filling = false;

    ~ThreadConnection() { drop(); }
    void drop()
    {
        closing = true;
        arrivedHandler = nullptr;
        notifier.reset();
        planned.clear();
        ahead.clear();
        for (auto& [route, socket] : idle)
            discard(std::move(socket));
        idle.clear();
        closing = false;
    }
    // An open connection on the route that no exchange uses, the newest; nullptr when there is
    // none. The route's connections that the server closed meanwhile go.
    std::unique_ptr<QTcpSocket> takeIdle(const HttpRoute& route)
    {
        std::unique_ptr<QTcpSocket> found;
        for (auto it = idle.end(); it != idle.begin();) {
            --it;
            if (it->first != route)
                continue;
            const bool usable = it->second->state() == QAbstractSocket::ConnectedState &&
                                it->second->bytesAvailable() == 0;
            if (!usable)
                discard(std::move(it->second));
            else if (!found)
                found = std::move(it->second);
            else
                continue;
            it = idle.erase(it);
        }
        return found;
    }
    void keepIdle(const HttpRoute& route, std::unique_ptr<QTcpSocket> socket)
    {
        idle.emplace_back(route, std::move(socket));
        if (idle.size() > kMaxIdleConnections) {
            discard(std::move(idle.front().second));
            idle.erase(idle.begin());
        }
    }
    auto aheadOf(const QUrl& url)
    {
        return std::find_if(ahead.begin(), ahead.end(),
                            [&url](const auto& sent) { return sent.first == url; });
    }
    bool roomInFlight() const { return inFlight < inFlightLimit; }
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

void HttpExchange::fillWindow()
{
    ThreadConnection& kept = threadConnection();
    if (kept.filling || kept.closing)
        return;
    kept.filling = true;
    while (kept.roomInFlight() && !kept.waiting.empty()) {
        HttpExchange* next = kept.waiting.front();
        kept.waiting.erase(kept.waiting.begin());
        next->start();
    }
    while (kept.roomInFlight() && int(kept.ahead.size()) < kept.heldLimit &&
           !kept.planned.isEmpty()) {
        const PlannedRequest request = kept.planned.takeFirst();
        auto exchange = std::make_unique<HttpExchange>(request.route, request.url, kept.userAgent);
        exchange->m_ahead = true;
        kept.ahead.emplace_back(request.url, std::move(exchange));
    }
    kept.filling = false;
}

HttpExchange::HttpExchange(const HttpRoute& route, const QUrl& url, const QByteArray& userAgent)
    : m_route(route), m_request(requestHead(route, url, userAgent))
{
    ThreadConnection& kept = threadConnection();
    dropMainConnectionAtExit();
    if (kept.roomInFlight())
        start();
    else
        kept.waiting.push_back(this);
}

HttpExchange::~HttpExchange()
{
    ThreadConnection& kept = threadConnection();
    std::erase(kept.waiting, this);
    leaveFlight();
    const bool reusable = m_socket && m_parser.connectionReusable() &&
                          m_socket->state() == QAbstractSocket::ConnectedState &&
                          m_socket->bytesAvailable() == 0;
    if (!reusable || kept.closing) {
        discard(std::move(m_socket));
        return;
    }
    m_socket->disconnect(this);
    kept.keepIdle(m_route, std::move(m_socket));
}

void HttpExchange::leaveFlight()
{
    if (!m_inFlight)
        return;
    m_inFlight = false;
    --threadConnection().inFlight;
}

void HttpExchange::setWindow(int inFlight, int held)
{
    ThreadConnection& kept = threadConnection();
    kept.inFlightLimit = qMax(1, inFlight);
    kept.heldLimit = qMax(1, held);
}

void HttpExchange::planAhead(const QList<PlannedRequest>& plan, const QByteArray& userAgent)
{
    ThreadConnection& kept = threadConnection();
    const auto planned = [&plan](const QUrl& url) {
        return std::any_of(plan.cbegin(), plan.cend(),
                           [&url](const PlannedRequest& p) { return p.url == url; });
    };
    // Dropping one sent for a page the walk no longer reads leaves room in the window.
    std::erase_if(kept.ahead, [&](const auto& sent) { return !planned(sent.first); });
    kept.planned.clear();
    for (const PlannedRequest& request : plan) {
        if (kept.aheadOf(request.url) == kept.ahead.end())
            kept.planned.append(request);
    }
    kept.userAgent = userAgent;
    fillWindow();
}

std::unique_ptr<HttpExchange> HttpExchange::takeAhead(const QUrl& url)
{
    ThreadConnection& kept = threadConnection();
    kept.planned.removeIf([&url](const PlannedRequest& p) { return p.url == url; });
    const auto sent = kept.aheadOf(url);
    if (sent == kept.ahead.end())
        return nullptr;
    std::unique_ptr<HttpExchange> exchange = std::move(sent->second);
    exchange->m_ahead = false;
    kept.ahead.erase(sent);
    fillWindow();
    return exchange;
}

void HttpExchange::dropAhead()
{
    ThreadConnection& kept = threadConnection();
    kept.planned.clear();
    kept.ahead.clear();
    fillWindow(); // a fetch made while the window was full goes out now
}

std::optional<QByteArray> HttpExchange::peekAhead(const QUrl& url)
{
    ThreadConnection& kept = threadConnection();
    const auto sent = kept.aheadOf(url);
    if (sent == kept.ahead.end())
        return std::nullopt;
    const HttpResponseParser& answer = sent->second->m_parser;
    const QByteArrayView body = answer.unreadBody();
    if (answer.state() != HttpResponseParser::State::Done || answer.statusCode() < 200 ||
        answer.statusCode() > 299 || body.isEmpty() ||
        (answer.contentLength() >= 0 && body.size() != answer.contentLength()))
        return std::nullopt;
    return body.toByteArray();
}

void HttpExchange::setAheadArrivedHandler(std::function<void()> handler)
{
    ThreadConnection& kept = threadConnection();
    kept.arrivedHandler = std::move(handler);
    kept.arrivalPosted = false;
    if (kept.arrivedHandler && !kept.notifier)
        kept.notifier = std::make_unique<QObject>();
}

void HttpExchange::tellArrival()
{
    ThreadConnection& kept = threadConnection();
    if (!kept.arrivedHandler || kept.arrivalPosted || !kept.notifier)
        return;
    kept.arrivalPosted = true;
    QMetaObject::invokeMethod(
        kept.notifier.get(),
        [] {
            ThreadConnection& self = threadConnection();
            self.arrivalPosted = false;
            if (self.arrivedHandler)
                self.arrivedHandler();
        },
        Qt::QueuedConnection);
}

QList<QUrl> HttpExchange::aheadUrls()
{
    QList<QUrl> urls;
    for (const auto& sent : threadConnection().ahead)
        urls.append(sent.first);
    return urls;
}

void HttpExchange::start()
{
    m_inFlight = true;
    ++threadConnection().inFlight;
    connectSocket(true);
}

void HttpExchange::connectSocket(bool reuse)
{
    ThreadConnection& kept = threadConnection();
    if (reuse)
        m_socket = kept.takeIdle(m_route);
    m_reused = m_socket != nullptr;
    if (!m_reused) {
        m_socket = std::make_unique<QTcpSocket>();
        m_socket->setReadBufferSize(kSocketBuffer);
    }
    QTcpSocket* socket = m_socket.get();
    connect(socket, &QTcpSocket::connected, this, [this] {
        // A request goes out whole; nothing is gained by waiting to fill a segment.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        sendRequest();
        emit progressed();
    });
    connect(socket, &QTcpSocket::bytesWritten, this, &HttpExchange::progressed);
    connect(socket, &QTcpSocket::readyRead, this, [this] { pull(false); });
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

void HttpExchange::pull(bool all)
{
    if (isFinished() || !m_socket)
        return;
    if (!all && m_parser.bytesAvailable() >= kHeldBodyLimit)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    m_anyResponse = true;
    m_parser.feed(bytes);
    settle();
}

qint64 HttpExchange::read(char* data, qint64 maxSize)
{
    const qint64 n = m_parser.read(data, maxSize);
    // What the connection held back while the body waited comes in now.
    if (m_socket && m_socket->bytesAvailable() > 0)
        pull(false);
    return n;
}

void HttpExchange::onClosed()
{
    if (isFinished() || !m_socket)
        return;
    if (m_socket->bytesAvailable() > 0)
        pull(true);
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
    m_parser.connectionClosed();
    settle();
}

void HttpExchange::abort()
{
    if (isFinished())
        return;
    m_parser.fail();
    settle();
}

void HttpExchange::settle()
{
    if (m_parser.failed())
        discard(std::move(m_socket));
    if (isFinished()) {
        std::erase(threadConnection().waiting, this);
        if (m_inFlight) {
            leaveFlight();
            fillWindow();
            if (m_ahead)
                tellArrival();
        }
    }
    emit progressed();
}

} // namespace site
