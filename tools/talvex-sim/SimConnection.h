#pragma once

#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SitePages.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <memory>
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
    ~SimConnection() override;

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
    // An archive, streamed from its bytes (a Range request answered with its part).
    void answerArchive(const Request& request, const ArchiveBytes& archive,
                       const std::optional<FaultRule>& fault, RequestRecord record, bool keepAlive,
                       bool headOnly);
    // The status line and headers; a negative length announces a chunked body instead.
    QByteArray head(int status, const QByteArray& contentType, qint64 length, bool keepAlive,
                    const QByteArray& extraHeaders = {}) const;
    void send(const QByteArray& bytes, bool keepAlive);
    void sendThenReset(const QByteArray& bytes);
    void trickle(const QByteArray& bytes, qint64 step, int intervalMs, bool keepAlive);
    // Writes the stream's next pieces while the socket's queue is short; ends it when done.
    void pumpStream();
    void trickleStream(qint64 step, int intervalMs);
    void endStream();
    void finish(bool keepAlive);
    void reset();
    bool wantsKeepAlive(const Request& request) const;

    // An archive body being sent: the bytes [pos, end) of the source, then the ending.
    struct BodyStream
    {
        enum class Ending { Finish, Close, Reset, Stall };
        ArchiveBytes source;
        qint64 pos = 0;
        qint64 end = 0;
        Ending ending = Ending::Finish;
        bool keepAlive = false;
        bool trickled = false; // sent by a timer, not as the socket drains
    };

    QTcpSocket* m_socket;
    std::unique_ptr<BodyStream> m_stream;
    SimServer* m_server;
    QByteArray m_buffer;
    bool m_busy = false;
    bool m_unanswered = false; // a request arrived and waits for its answer
    bool m_closing = false;
};

} // namespace talvexsim
