#pragma once

#include "site/UrlHandle.h"

#include <QString>

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

// Sends the request for url now, so that the site prepares its answer while the caller works
// on the page before; the next iNetOpenUrl of url in this thread takes it up as its first
// attempt. Plain http addresses only; for others, and when url is never opened, it does nothing
// that shows.
void iNetPrefetch(const QString& url);
// Drops a request sent ahead and not taken up (an update run that stopped early).
void iNetDropPrefetch();

// Tests shorten the pause between open attempts and lower the size limit; a negative value
// restores the default.
void SetRetryPauseForTests(int ms);
void SetBodyLimitForTests(qint64 bytes);
// Tests shorten the page's deadline (milliseconds); a negative value restores the rule.
void SetPageDeadlineForTests(qint64 ms);

} // namespace site
