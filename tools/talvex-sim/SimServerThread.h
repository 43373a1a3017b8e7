#pragma once

#include <QString>
#include <QThread>
#include <memory>

namespace talvexsim {

class FaultTable;
class RequestLog;
class SimServer;
class Site;

// A SimServer running in a thread of its own, for callers that block their own thread (a
// benchmark, a test that fetches without an event loop). start() returns once the server
// listens; stop() (or the destructor) closes it and ends the thread.
class SimServerThread final
{
public:
    explicit SimServerThread(std::shared_ptr<const Site> site);
    ~SimServerThread();
    SimServerThread(const SimServerThread&) = delete;
    SimServerThread& operator=(const SimServerThread&) = delete;

    bool start(quint16 port = 0);
    void stop();

    quint16 port() const;
    QString address() const;
    // The server lives in the other thread; only its thread-safe parts (faults(), requests(),
    // the requestServed signal) may be used from here.
    SimServer* server() const { return m_server; }
    FaultTable& faults() const;
    RequestLog& requests() const;

private:
    std::shared_ptr<const Site> m_site;
    QThread m_thread;
    SimServer* m_server = nullptr;
};

} // namespace talvexsim
