#include "talvex-sim/SimServer.h"

#include "talvex-sim/SimConnection.h"
#include "talvex-sim/Site.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace talvexsim {

SimServer::SimServer(std::shared_ptr<const Site> site, QObject* parent)
    : QObject(parent), m_tcp(new QTcpServer(this)), m_pages(std::move(site))
{
    qRegisterMetaType<talvexsim::RequestRecord>();
    connect(m_tcp, &QTcpServer::newConnection, this, &SimServer::acceptConnections);
}

SimServer::~SimServer()
{
    // The connections tell the server about their unanswered requests as they go.
    qDeleteAll(findChildren<SimConnection*>(Qt::FindDirectChildrenOnly));
}

bool SimServer::listen(quint16 port)
{
    // Loopback only: the simulated site is never reachable from elsewhere.
    if (!m_tcp->listen(QHostAddress::LocalHost, port))
        return false;
    m_port = m_tcp->serverPort();
    return true;
}

void SimServer::close()
{
    m_tcp->close();
    m_port = 0;
}

QString SimServer::address() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(port());
}

void SimServer::requestArrived()
{
    const int now = ++m_inFlight;
    int peak = m_peakInFlight.load();
    while (now > peak && !m_peakInFlight.compare_exchange_weak(peak, now)) {
    }
}

void SimServer::record(const RequestRecord& record)
{
    m_log.append(record);
    emit requestServed(record);
}

void SimServer::acceptConnections()
{
    while (QTcpSocket* socket = m_tcp->nextPendingConnection())
        new SimConnection(socket, this);
}

} // namespace talvexsim
