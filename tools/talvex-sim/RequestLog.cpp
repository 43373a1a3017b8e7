#include "talvex-sim/RequestLog.h"

#include <QMutexLocker>

namespace talvexsim {

void RequestLog::append(const RequestRecord& record)
{
    QMutexLocker lock(&m_mutex);
    m_records.append(record);
}

QList<RequestRecord> RequestLog::records() const
{
    QMutexLocker lock(&m_mutex);
    return m_records;
}

qsizetype RequestLog::size() const
{
    QMutexLocker lock(&m_mutex);
    return m_records.size();
}

void RequestLog::clear()
{
    QMutexLocker lock(&m_mutex);
    m_records.clear();
}

QList<RequestRecord> RequestLog::recordsFor(const QString& url) const
{
    QMutexLocker lock(&m_mutex);
    QList<RequestRecord> found;
    for (const RequestRecord& r : m_records) {
        if (r.url == url)
            found.append(r);
    }
    return found;
}

} // namespace talvexsim
