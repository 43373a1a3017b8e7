#include "site/UrlHandle.h"

#include "config/Settings.h"
#include "site/EventPump.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <limits>
#include <memory>
#include <optional>

namespace site {

namespace {

constexpr int kDefaultTimeOutSeconds = 10;
constexpr int kMaxRedirects = 50; // as many as the manager follows

// Proxy mode 1: whatever the system's own settings say for each address.
class SystemProxyFactory final : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        return systemProxyForQuery(query);
    }
};

// Applies the proxy mode of the settings; false when mode 2 names no usable proxy.
bool applyProxy(QNetworkAccessManager& manager)
{
    const config::Settings& s = config::settings();
    switch (s.Proxy) {
    case 1:
        manager.setProxyFactory(new SystemProxyFactory);
        return true;
    case 2:
        if (s.ProxyName.trimmed().isEmpty() || s.ProxyPort < 1 || s.ProxyPort > 65535)
            return false;
        manager.setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, s.ProxyName.trimmed(),
                                       static_cast<quint16>(s.ProxyPort)));
        return true;
    default:
        manager.setProxy(QNetworkProxy::NoProxy);
        return true;
    }
}

// What a session is built from; a change of any of these builds a new one.
struct SessionKey
{
    int proxy = 0;
    QString proxyName;
    int proxyPort = 0;
    QString userAgent;
    bool operator==(const SessionKey&) const = default;
};

SessionKey currentKey()
{
    const config::Settings& s = config::settings();
    return {s.Proxy, s.ProxyName, s.ProxyPort, s.UserAgent};
}

// One network session per thread, kept between fetches so its HTTP thread and its kept-alive
// connections serve every page instead of being set up again for each one.
struct Session
{
    std::unique_ptr<QNetworkAccessManager> manager;
    SessionKey key;
};

Session& threadSession()
{
    thread_local Session session;
    return session;
}

// The main thread's session must go before the application object, which its HTTP thread
// needs; other threads' sessions go with their thread.
bool mainSessionDropRegistered = false;

void dropMainSession()
{
    threadSession() = Session();
    mainSessionDropRegistered = false;
}

void dropMainSessionAtExit()
{
    bool& registered = mainSessionDropRegistered;
    if (registered || !QCoreApplication::instance() ||
        QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    registered = true;
    qAddPostRoutine(dropMainSession);
}

// The thread's session for the current settings; nullptr when they name no usable proxy.
QNetworkAccessManager* sharedManager()
{
    Session& session = threadSession();
    const SessionKey key = currentKey();
    if (session.manager && session.key == key)
        return session.manager.get();
    session = Session();
    auto manager = std::make_unique<QNetworkAccessManager>();
    if (!applyProxy(*manager))
        return nullptr;
    dropMainSessionAtExit();
    session.manager = std::move(manager);
    session.key = key;
    return session.manager.get();
}

// The proxy that the settings give for the address, as the session's manager would choose it.
QNetworkProxy proxyFor(const QUrl& url)
{
    const config::Settings& s = config::settings();
    if (s.Proxy == 1) {
        const QList<QNetworkProxy> proxies =
            QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
        return proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
    }
    if (s.Proxy == 2)
        return QNetworkProxy(QNetworkProxy::HttpProxy, s.ProxyName.trimmed(),
                             static_cast<quint16>(s.ProxyPort));
    return QNetworkProxy(QNetworkProxy::NoProxy);
}

// The connection of a plain http address, straight or through an HTTP proxy; nothing when the
// manager has to carry the request (https, a SOCKS or password proxy, a user name in the URL).
std::optional<HttpRoute> plainRoute(const QUrl& url)
{
    if (url.scheme().toLower() != u"http" || url.host().isEmpty() || !url.userInfo().isEmpty())
        return std::nullopt;
    const QNetworkProxy proxy = proxyFor(url);
    if (proxy.type() == QNetworkProxy::NoProxy)
        return HttpRoute{url.host(), static_cast<quint16>(url.port(80)), false};
    if (proxy.type() == QNetworkProxy::HttpProxy && proxy.user().isEmpty())
        return HttpRoute{proxy.hostName(), proxy.port(), true};
    return std::nullopt;
}

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 305 || status == 307 ||
           status == 308;
}

QNetworkRequest makeRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    // Redirections are looked at before they are followed (only to the site's hosts).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setHeader(QNetworkRequest::UserAgentHeader, config::settings().UserAgent);
    // The body is stored as it comes; a compressed transfer would make its declared length
    // meaningless for the truncation test.
    request.setRawHeader("Accept-Encoding", "identity");
    // Always from the server, never from a cache on the way.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

} // namespace

bool IsSiteHost(const QString& host)
{
    const QString h = host.toLower();
    return h == QUrl(config::SiteRoot).host().toLower() || h == config::DownloadHost ||
           h == config::MemberHost || h == config::PaymentHost;
}

int TimeOutMilliseconds(int seconds)
{
    if (seconds <= 0)
        seconds = kDefaultTimeOutSeconds;
    constexpr int kMaxSeconds = std::numeric_limits<int>::max() / 1000;
    return qMin(seconds, kMaxSeconds) * 1000;
}

UrlHandle::UrlHandle() = default;

UrlHandle::~UrlHandle()
{
    close();
}

bool UrlHandle::isOpen() const
{
    return m_reply || m_exchange;
}

int UrlHandle::statusCode() const
{
    if (m_exchange)
        return m_exchange->statusCode();
    if (!m_reply)
        return 0;
    return m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

qint64 UrlHandle::contentLength() const
{
    if (m_exchange)
        return m_exchange->contentLength();
    if (!m_reply)
        return -1;
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    return length.isValid() ? length.toLongLong() : -1;
}

qint64 UrlHandle::bytesBuffered() const
{
    if (m_exchange)
        return m_exchange->bytesAvailable();
    return m_reply ? m_reply->bytesAvailable() : 0;
}

bool UrlHandle::startSession()
{
    close();
    m_manager = sharedManager();
    m_timeOutMs = TimeOutMilliseconds(config::settings().TimeOut);
    return m_manager != nullptr;
}

bool UrlHandle::request(const QString& url)
{
    dropReply();
    QUrl target(url);
    const QString scheme = target.scheme().toLower();
    if (!m_manager || !target.isValid() || (scheme != u"http" && scheme != u"https"))
        return false;
    for (int redirects = 0;; ++redirects) {
        send(target);
        if (!waitFor([this] { return headersArrived() || transferFinished(); }) && !isOpen())
            return false;
        const std::optional<QUrl> next = redirectTarget(target);
        if (!next)
            break;
        dropReply();
        if (next->isEmpty() || redirects >= kMaxRedirects)
            return false;
        target = *next;
    }
    const int status = statusCode();
    const bool failedRedirect =
        status >= 300 && m_reply && m_reply->error() != QNetworkReply::NoError;
    if (status >= 200 && status < 400 && !failedRedirect)
        return true;
    dropReply();
    return false;
}

void UrlHandle::send(const QUrl& target)
{
    std::unique_ptr<HttpExchange> ahead = HttpExchange::takeAhead(target);
    if (const std::optional<HttpRoute> route = plainRoute(target)) {
        // One not asked for ahead waits to go out while the window is full.
        applyWindow();
        m_exchange = ahead ? std::move(ahead)
                           : std::make_unique<HttpExchange>(
                                 *route, target, config::settings().UserAgent.toLatin1());
        return;
    }
    m_reply = m_manager->get(makeRequest(target));
    QNetworkReply* reply = m_reply;
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& next) {
        if (IsSiteHost(next.host()))
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
}

int UrlHandle::heldLimit()
{
    const int window = qBound(1, config::settings().PrefetchCount, config::kMaxPrefetchCount);
    return window == 1 ? 1 : window * kHeldPerConnection;
}

void UrlHandle::applyWindow()
{
    HttpExchange::setWindow(qBound(1, config::settings().PrefetchCount, config::kMaxPrefetchCount),
                            heldLimit());
}

void UrlHandle::planAhead(const QStringList& urls)
{
    QList<PlannedRequest> plan;
    for (const QString& url : urls) {
        const QUrl target(url);
        if (const std::optional<HttpRoute> route =
                target.isValid() ? plainRoute(target) : std::nullopt)
            plan.append({*route, target});
    }
    applyWindow();
    HttpExchange::planAhead(plan, config::settings().UserAgent.toLatin1());
}

void UrlHandle::dropPrefetch()
{
    HttpExchange::dropAhead();
}

QList<QUrl> UrlHandle::prefetched()
{
    return HttpExchange::aheadUrls();
}

std::optional<QUrl> UrlHandle::redirectTarget(const QUrl& from) const
{
    // The manager follows its own redirections.
    if (!m_exchange || !m_exchange->headersComplete() ||
        !isRedirectStatus(m_exchange->statusCode()) || m_exchange->location().isEmpty())
        return std::nullopt;
    const QUrl next = from.resolved(QUrl::fromEncoded(m_exchange->location()));
    const QString scheme = next.scheme().toLower();
    // A redirection that cannot be followed, or leads off the site, fails the attempt.
    if (!next.isValid() || (scheme != u"http" && scheme != u"https") || !IsSiteHost(next.host()))
        return QUrl();
    return next;
}

qint64 UrlHandle::read(char* data, qint64 maxSize, bool* ok)
{
    *ok = false;
    if (!isOpen() || maxSize <= 0)
        return 0;
    if (!waitFor([this] { return bytesBuffered() > 0 || transferFinished(); }) && !isOpen())
        return 0;
    if (bytesBuffered() > 0) {
        const qint64 n =
            m_exchange ? m_exchange->read(data, maxSize) : m_reply->read(data, maxSize);
        *ok = n > 0;
        return qMax<qint64>(n, 0);
    }
    *ok = !m_timedOut && transferFinished() && !transferFailed();
    return 0;
}

void UrlHandle::close()
{
    dropReply();
    m_manager = nullptr;
}

bool UrlHandle::waitFor(const std::function<bool()>& done)
{
    if (m_timedOut)
        return false;
    if (done())
        return true;
    QEventLoop loop;
    QTimer idle;
    QTimer poll;
    // Whatever runs in the loop may close this handle (a window's Cancel); the wait ends then.
    const auto over = [&] { return !isOpen() || done(); };
    idle.setSingleShot(true);
    idle.setInterval(m_timeOutMs);
    // Every sign of life restarts the time-out: the connection being made, the request going
    // out, headers or body bytes arriving.
    const auto moved = [&] {
        if (over())
            loop.quit();
        else
            idle.start();
    };
    const auto giveUp = [&] {
        m_timedOut = true;
        loop.quit();
    };
    if (m_exchange) {
        QObject::connect(m_exchange.get(), &QObject::destroyed, &loop, &QEventLoop::quit);
        QObject::connect(m_exchange.get(), &HttpExchange::progressed, &loop, moved);
    } else {
        QObject::connect(m_reply, &QObject::destroyed, &loop, &QEventLoop::quit);
        QObject::connect(m_reply, &QNetworkReply::socketStartedConnecting, &loop, moved);
        QObject::connect(m_reply, &QNetworkReply::requestSent, &loop, moved);
        QObject::connect(m_reply, &QNetworkReply::metaDataChanged, &loop, moved);
        QObject::connect(m_reply, &QNetworkReply::redirected, &loop, moved);
        QObject::connect(m_reply, &QNetworkReply::readyRead, &loop, moved);
        QObject::connect(m_reply, &QNetworkReply::finished, &loop, moved);
    }
    QObject::connect(&idle, &QTimer::timeout, &loop, giveUp);
    // A cancel, or a page that keeps trickling past its deadline, ends the wait too.
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (CancelRequested() || m_deadline.hasExpired())
            giveUp();
    });
    idle.start();
    poll.start(kCancelPollMs);
    if (CancelRequested() || m_deadline.hasExpired())
        giveUp();
    else
        loop.exec(WaitFlags());
    if (!isOpen())
        return false;
    if (m_timedOut) {
        // Abort discards nothing unread: the wait began with an empty buffer. A reply that
        // already failed needs none (a second error would be reported).
        if (m_exchange)
            m_exchange->abort();
        else if (m_reply->error() == QNetworkReply::NoError)
            m_reply->abort();
        return false;
    }
    return true;
}

bool UrlHandle::transferFinished() const
{
    return m_exchange ? m_exchange->isFinished() : m_reply->isFinished();
}

bool UrlHandle::transferFailed() const
{
    return m_exchange ? m_exchange->failed() : m_reply->error() != QNetworkReply::NoError;
}

bool UrlHandle::headersArrived() const
{
    if (m_exchange)
        return m_exchange->headersComplete();
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        return false;
    const int code = status.toInt();
    // A redirection that is being followed is not the answer yet.
    const bool following =
        code >= 300 && code < 400 &&
        m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid();
    return !following;
}

void UrlHandle::dropReply()
{
    m_timedOut = false;
    m_exchange.reset();
    if (!m_reply)
        return;
    // Deleting a reply stops its transfer. abort() on one that already carries an error (an
    // error status such as 503, before its body ended) would report a second error.
    std::unique_ptr<QNetworkReply> reply(m_reply);
    m_reply = nullptr;
    if (!reply->isFinished() && reply->error() == QNetworkReply::NoError)
        reply->abort();
}

} // namespace site
