#include "talvex-sim/SimServerThread.h"

#include "talvex-sim/SimServer.h"

namespace talvexsim {

SimServerThread::SimServerThread(std::shared_ptr<const Site> site) : m_site(std::move(site))
{
    m_thread.setObjectName(QStringLiteral("talvex-sim"));
}

SimServerThread::~SimServerThread()
{
    stop();
}

bool SimServerThread::start(quint16 port)
{
    if (m_server)
        return true;
    m_server = new SimServer(m_site);
    m_server->moveToThread(&m_thread);
    m_thread.start();
    bool listening = false;
    QMetaObject::invokeMethod(
        m_server, [this, port, &listening] { listening = m_server->listen(port); },
        Qt::BlockingQueuedConnection);
    if (!listening)
        stop();
    return listening;
}

void SimServerThread::stop()
{
    if (!m_server)
        return;
    QMetaObject::invokeMethod(
        m_server, [s = m_server] { s->close(); }, Qt::BlockingQueuedConnection);
    // Deleted in its own thread, together with its open connections, as the thread ends.
    m_server->deleteLater();
    m_server = nullptr;
    m_thread.quit();
    m_thread.wait();
}

quint16 SimServerThread::port() const
{
    return m_server ? m_server->port() : 0;
}

QString SimServerThread::address() const
{
    return m_server ? m_server->address() : QString();
}

FaultTable& SimServerThread::faults() const
{
    return m_server->faults();
}

RequestLog& SimServerThread::requests() const
{
    return m_server->requests();
}

} // namespace talvexsim
