#pragma once

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QMutex>
#include <QString>

namespace talvexsim {

// One request the server answered (or reset).
struct RequestRecord
{
    QDateTime time;
    QString method;
    QString url;               // absolute: "http://" + host + path and query
    QString target;            // as the request line gave it
    bool absoluteForm = false; // the request named the full URL, as a client of a proxy does
    QString httpVersion;       // "HTTP/1.1"
    QString userAgent;
    QString range;  // the Range header as sent, or empty
    int status = 0; // 0 when the connection was reset without an answer
    QString fault;  // the fault applied (FaultRule::kindName), or empty
};

// Every request the server answered, in order. Safe to use from any thread.
class RequestLog
{
public:
    void append(const RequestRecord& record);
    QList<RequestRecord> records() const;
    qsizetype size() const;
    void clear();
    // The records whose url is the given one.
    QList<RequestRecord> recordsFor(const QString& url) const;

private:
    mutable QMutex m_mutex;
    QList<RequestRecord> m_records;
};

} // namespace talvexsim

Q_DECLARE_METATYPE(talvexsim::RequestRecord)
