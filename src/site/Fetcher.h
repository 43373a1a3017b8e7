#pragma once

#include "site/UrlHandle.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

// The only road from the program to the library site: opening an address and fetching a page
// into a file, with the user agent, proxy and time-out of the settings.
namespace site {

inline constexpr int kOpenAttempts = 5;
inline constexpr int kRetryPauseMs = 1000;    // between two open attempts
inline constexpr int kReadAttempts = 5;       // failed reads of one chunk before giving up
inline constexpr qint64 kChunkSize = 1024;    // bytes per read, at least
inline constexpr qint64 kBatchLimit = 262144; // most bytes taken by one read
inline constexpr qint64 kBufferStep = 32767;  // the body buffer grows by this much
inline constexpr qint64 kBodyLimit = qint64(64) * 1024 * 1024; // largest page kept
// One page's fetch, every attempt included, ends after this many times the time-out setting,
// and never before this many seconds.
inline constexpr int kPageDeadlineFactor = 12;
inline constexpr int kMinPageDeadlineSeconds = 60;

// Opens the URL into handle: at most five attempts with a pause between them. An attempt
// succeeds when the server answers with a status of 200 to 399; a connection failure, a
// time-out or an error status (4xx, 5xx) is a failed attempt. True with the response ready to
// read; false with the handle closed.
bool iNetOpenUrl(const QString& url, UrlHandle& handle);
// Closes the request and then the session. Always true.
bool iNetCloseUrl(UrlHandle& handle);

// Fetches the URL and writes its body to filePath, whose folder must exist. The file is replaced
// atomically. A body that ends early (a dropped connection, a chunked body cut short, shorter
// than its declared length) or is empty is a failed attempt like a failed open: five attempts in
// all. False, with the file untouched, when every attempt failed, the body is larger than
// kBodyLimit, the file cannot be written, a cancel was requested or the page's deadline passed.
// An empty filePath is refused.
bool iNetGetFile(const QString& url, const QString& filePath);

// Why this thread's last iNetGetFile returned false.
enum class FetchFailure { None, Network, TooLarge, Write, Cancelled };
FetchFailure LastFetchFailure();

// The addresses the caller will fetch next, nearest first, as far as it knows them: the nearest
// ones are requested now, on connections of their own, so that the site prepares their answers
// while the caller works on the pages before; the next iNetOpenUrl of such an address in this
// thread takes its answer up as its first attempt, and the answer waits in memory until then.
// No more than the PrefetchCount setting are in flight at once (the current fetch's included)
// and no more than PrefetchHeldLimit() wait; requests for addresses no longer planned are
// dropped. Plain http addresses only; others are sent when they are opened.
void iNetPlanAhead(const QStringList& urls);
// Drops the requests sent ahead and not taken up (an update run that ended), and the plan.
void iNetDropPrefetch();
// The addresses sent ahead and not taken up yet, in the order they were sent.
QList<QUrl> iNetPrefetched();
// How many answers sent ahead may wait to be taken up (PrefetchCount 1: one; else four for each
// request in flight).
int PrefetchHeldLimit();
// The body of the page sent ahead for url, once it has arrived whole with a status of 2xx: what
// fetching url will store. Nothing while it has not (or was not sent ahead).
std::optional<QByteArray> iNetPeekPrefetched(const QString& url);
// Called from this thread's event loop (once for several) after answers sent ahead have arrived,
// while the caller waits for a page; nullptr for none.
void SetPrefetchArrivedHandler(std::function<void()> handler);

// Tests shorten the pause between open attempts and lower the size limit; a negative value
// restores the default.
void SetRetryPauseForTests(int ms);
void SetBodyLimitForTests(qint64 bytes);
// Tests shorten the page's deadline (milliseconds); a negative value restores the rule.
void SetPageDeadlineForTests(qint64 ms);

} // namespace site
