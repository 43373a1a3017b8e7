#pragma once

#include "site/HttpExchange.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

namespace site {

// One open HTTP request: the network session, set up with the user agent, proxy and time-out of
// the settings, and the response being received. The session itself (connections, HTTP thread)
// is shared by the handles of a thread and built again only when the proxy or user agent
// settings change; plain http addresses go over the thread's kept connection (HttpExchange)
// instead. Redirections are followed as long as they stay on the site's hosts: a page from
// anywhere else is never taken for one of the site's. Filled by iNetOpenUrl and released by
// iNetCloseUrl (or when the handle goes). Every call blocks, running a local event loop while it
// waits (see WaitFlags).
class UrlHandle
{
public:
    UrlHandle();
    ~UrlHandle();
    UrlHandle(const UrlHandle&) = delete;
    UrlHandle& operator=(const UrlHandle&) = delete;

    // True from a successful request until close.
    bool isOpen() const;
    // The response's status code; 0 while closed.
    int statusCode() const;
    // The body length the response declared, or -1 when it declared none.
    qint64 contentLength() const;

    // Body bytes received and not read yet (they can be read without waiting).
    qint64 bytesBuffered() const;
    // Copies up to maxSize bytes of the body into data, waiting for them when none are buffered.
    // Returns the number copied; 0 means the body has ended. *ok is false when the transfer
    // failed (connection dropped, nothing received for the time-out). Bytes that arrived before
    // a failure are delivered first, as good reads, so a failed read copies nothing.
    qint64 read(char* data, qint64 maxSize, bool* ok);

    // The steps iNetOpenUrl is made of.
    // Sets up the session from the settings; false when the proxy settings name no usable proxy.
    bool startSession();
    // One attempt to open the URL: true once a status of 200 to 399 has arrived. Only http and
    // https addresses are requested.
    bool request(const QString& url);
    // Drops the request and lets go of the session. Harmless when already closed.
    void close();

    // A wait that reaches the deadline ends as a time-out, however steadily bytes arrive; so does
    // one during which a cancel is requested (CancelRequested). Forever by default.
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }
    bool deadlinePassed() const { return m_deadline.hasExpired(); }

    // The addresses this thread will open next, nearest first (an update run's walk): the
    // nearest ones go out ahead, on kept connections of their own, so that the site prepares
    // their answers while the caller does other work; the next request() of such an address in
    // this thread takes its answer up as its first attempt. No more than PrefetchCount (the
    // setting) requests are ever in flight, the current one's included, and no more than
    // heldLimit() wait to be taken up; requests sent ahead for addresses no longer planned are
    // dropped. Plain http addresses only; others are sent when requested.
    static void planAhead(const QStringList& urls);
    // Drops the requests sent ahead and not taken up, and the plan.
    static void dropPrefetch();
    // The addresses sent ahead and not taken up yet, in the order they were sent.
    static QList<QUrl> prefetched();
    // How many requests sent ahead may wait to be taken up: one with a PrefetchCount of 1,
    // else kHeldPerConnection for each request in flight.
    static int heldLimit();
    static constexpr int kHeldPerConnection = 4;

private:
    // The window of the thread's plain http exchanges, from the settings.
    static void applyWindow();
    // Sends the request for target: plain http by an HttpExchange, anything else (https, a
    // SOCKS proxy) by the session's manager.
    void send(const QUrl& target);
    // The next address of a redirection the exchange answered with: nothing when the answer is
    // no redirection, an empty URL when its address cannot be followed.
    std::optional<QUrl> redirectTarget(const QUrl& from) const;
    // Runs the event loop until done() holds (true) or nothing has moved for the time-out (false).
    bool waitFor(const std::function<bool()>& done);
    bool headersArrived() const;
    bool transferFinished() const;
    bool transferFailed() const;
    void dropReply();

    QNetworkAccessManager* m_manager = nullptr; // the thread's shared session, not owned
    QNetworkReply* m_reply = nullptr;           // owned; deleted by dropReply
    std::unique_ptr<HttpExchange> m_exchange;   // instead of m_reply for plain http
    int m_timeOutMs = 0;
    bool m_timedOut = false;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
};

// The site's own hosts (the web, download, member and payment hosts): the only ones a page's
// redirection may lead to.
bool IsSiteHost(const QString& host);

// The connect and receive time-out for the TimeOut setting (seconds): seconds x 1000. A value of
// 0 or less, which a non-numeric setting gives, would abort every request at once; it means the
// setting's read default of 10 s instead. Very large values are capped near 24 days, the longest
// a timer can wait.
int TimeOutMilliseconds(int seconds);

} // namespace site
