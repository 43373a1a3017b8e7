#pragma once

#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SitePages.h"

#include <QObject>
#include <atomic>
#include <memory>

class QTcpServer;

namespace talvexsim {

class Site;

// The simulated site's HTTP server, bound to 127.0.0.1 only. It answers origin-form requests
// ("GET /path", the host taken from the Host header) and absolute-form requests ("GET
// http://www.talvex.example/path"), so a client reaches it directly or as its HTTP proxy.
// HTTP/1.1 keeps connections open unless asked to close; HTTP/1.0 closes unless asked to keep
// them. Every answer carries Content-Length (but those of the chunked faults); unknown paths and
// hosts get 404.
//
// The server works in whatever thread it lives in: a test may run it in its own thread, where
// a client's local event loop serves it too, or use SimServerThread. faults() and requests()
// may be used from any thread.
class SimServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimServer)

public:
    explicit SimServer(std::shared_ptr<const Site> site, QObject* parent = nullptr);
    ~SimServer() override;

    // Listens on 127.0.0.1 at the port (0: any free port). False when the port is taken.
    bool listen(quint16 port = 0);
    void close();
    quint16 port() const { return m_port.load(); }
    // "http://127.0.0.1:PORT/"
    QString address() const;

    const SitePages& pages() const { return m_pages; }
    FaultTable& faults() { return m_faults; }
    RequestLog& requests() { return m_log; }

    // Every request waits this long before it is answered (a slow link), on top of any delay
    // of the fault table; 0 by default. May be set from any thread.
    void setLatencyMs(int ms) { m_latencyMs.store(qMax(0, ms)); }
    int latencyMs() const { return m_latencyMs.load(); }

    // Requests received and not answered yet (waiting out their latency or delay), and the most
    // there were at once since the last reset: how many a client had in flight. Any thread.
    int peakInFlight() const { return m_peakInFlight.load(); }
    void resetPeakInFlight() { m_peakInFlight.store(m_inFlight.load()); }
    // Called by the connections when a request has arrived and when it is answered (or its
    // connection goes first).
    void requestArrived();
    void requestAnswered() { --m_inFlight; }

    // Called by the connections for every request they finish with.
    void record(const RequestRecord& record);

signals:
    void requestServed(const talvexsim::RequestRecord& record);

private:
    void acceptConnections();

    QTcpServer* m_tcp;
    SitePages m_pages;
    FaultTable m_faults;
    RequestLog m_log;
    std::atomic<quint16> m_port{0};
    std::atomic<int> m_latencyMs{0};
    std::atomic<int> m_inFlight{0};
    std::atomic<int> m_peakInFlight{0};
};

} // namespace talvexsim
