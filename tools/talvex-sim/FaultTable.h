#pragma once

#include <QList>
#include <QMutex>
#include <QRegularExpression>
#include <QString>
#include <optional>

namespace talvexsim {

enum class FaultKind {
    Delay,         // wait delayMs, then answer normally
    Reset,         // close the connection with a reset, without any answer
    ResetMidBody,  // send the head and `bytes` of the body (0 = half), then reset
    Status,        // answer with `status` (a 5xx) and a short page
    EmptyBody,     // answer 200 with an empty body
    Truncate,      // announce the full Content-Length, send `bytes` of the body (0 = half), close
    Trickle,       // send the whole answer `bytes` at a time, one piece every intervalMs
    Stall,         // send the head and `bytes` of the body (0 = half), then nothing, left open
    IgnoreRange,   // answer an archive whole (200), as a server without Range support does
    Chunked,       // answer 200 with the body in chunks (Transfer-Encoding: chunked), well ended
    ChunkedCut,    // chunks of the first `bytes` of the body (0 = half), no last chunk, close
    ChunkOversize, // one chunk whose size line announces `bytes` (0 = 1) more than follow, close
    EmptyChunked,  // answer 200 with a chunked body that is only its last (zero) chunk
    Redirect,      // answer 302 with Location: `location`
    Endless,       // a folder's list never ends: every page from the last on names a next one
    NextLoop,      // a folder's last list page names page `loopTo` as its next page
    DeadLinks,     // a folder's first page links `deadLinks` sub-categories that do not exist
};

// A fault for the requests whose address matches a pattern.
struct FaultRule
{
    // A wildcard ("*" any run, "?" one character) or, after "re:", a regular expression. It
    // must match all of the path and query ("/soft/*") or all of the absolute URL
    // ("http://dl.talvex.example/*").
    QString pattern;
    FaultKind kind = FaultKind::Delay;
    int delayMs = 0; // waited before any kind of answer
    int status = 503;
    qint64 bytes = 0;
    int intervalMs = 0;
    QString location;  // Redirect: the Location header's value, as given
    int loopTo = 1;    // NextLoop: the page the last list page's next-page link names
    int deadLinks = 0; // DeadLinks: how many dead sub-category links
    int times = 0;     // 0: every matching request; n: only the first n

    // "KIND[:ARG[:ARG]][#TIMES]@PATTERN", e.g. "delay:500@/soft/*", "status:503#2@/download/*",
    // "reset@*", "reset-mid:100@*", "empty@*", "truncate:200@*", "trickle:64:20@*",
    // "stall:1000@*", "ignore-range@/pub/*", "chunked@*", "chunked-cut:500@*",
    // "chunk-oversize@*", "empty-chunked@*", "redirect:http://evil.example/x@/soft/*",
    // "endless@/tpack/*", "next-loop:2@/tpack/*", "dead-links:3@/tpack/filearea/win/".
    // The URL of "redirect" is everything after "redirect:"; it may hold neither "#" nor "@".
    static std::optional<FaultRule> parse(const QString& text, QString* error = nullptr);
    static QString kindName(FaultKind kind);
};

// The server's faults, in the order they were added. Safe to use from any thread.
class FaultTable
{
public:
    void add(const FaultRule& rule);
    void clear();
    // The first rule that matches and is not used up, counted as used once more.
    std::optional<FaultRule> take(const QString& pathAndQuery, const QString& absoluteUrl);

private:
    struct Entry
    {
        FaultRule rule;
        QRegularExpression expression;
        int used = 0;
    };
    QMutex m_mutex;
    QList<Entry> m_entries;
};

} // namespace talvexsim
