#pragma once

#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SitePages.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <optional>

class QTcpSocket;
class QTimer;

namespace talvexsim {

class SimServer;

// One client connection of the simulated site: reads requests one after another, answers
// them (applying the server's faults) and keeps or closes the connection as HTTP asks.
class SimConnection final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SimConnection)

public:
    SimConnection(QTcpSocket* socket, SimServer* server);

private:
    struct Request
    {
        QByteArray method;
        QByteArray target;
        QByteArray version;
        QHash<QByteArray, QByteArray> headers; // names in lower case
    };
    enum class Parse { Incomplete, Complete, Bad };

    Parse takeRequest(Request* out);
    void processNext();
    void handle(const Request& request);
    void answer(const Request& request, const QString& host, const QString& path,
                const std::optional<FaultRule>& fault, RequestRecord record);
    QByteArray head(int status, const Resource& resource, qint64 length, bool keepAlive) const;
    void send(const QByteArray& bytes, bool keepAlive);
    void sendThenReset(const QByteArray& bytes);
    void trickle(const QByteArray& bytes, qint64 step, int intervalMs, bool keepAlive);
    void finish(bool keepAlive);
    void reset();
    bool wantsKeepAlive(const Request& request) const;

    QTcpSocket* m_socket;
    SimServer* m_server;
    QByteArray m_buffer;
    bool m_busy = false;
    bool m_closing = false;
};

} // namespace talvexsim
