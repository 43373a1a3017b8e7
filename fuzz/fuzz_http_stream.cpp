// The download client's HTTP reader: a server on 127.0.0.1, the client's proxy, answers the
// first request of each input with the input itself (later ones, after a redirection, with an
// empty 404), and the client reads the answer's body to its end.
#include "FuzzSupport.h"
#include "config/Settings.h"
#include "download/HttpStream.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

QTcpServer* g_server = nullptr;
QByteArray g_answer;
bool g_answered = false;

void serve(QTcpSocket* socket)
{
    auto request = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, request] {
        if (request->endsWith("\r\n\r\n"))
            return; // answered already
        *request += socket->readAll();
        if (!request->endsWith("\r\n\r\n"))
            return;
        socket->write(g_answered ? QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n")
                                 : g_answer);
        g_answered = true;
        socket->disconnectFromHost();
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::EnsureApplication();
    g_server = new QTcpServer;
    if (!g_server->listen(QHostAddress::LocalHost)) {
        std::fprintf(stderr, "no loopback port\n");
        std::abort();
    }
    QObject::connect(g_server, &QTcpServer::newConnection, g_server, [] {
        while (QTcpSocket* socket = g_server->nextPendingConnection())
            serve(socket);
    });
    // Every request, whatever address a redirection names, goes to the server.
    config::Settings& s = config::settings();
    s.Proxy = 2;
    s.ProxyName = QStringLiteral("127.0.0.1");
    s.ProxyPort = g_server->serverPort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    g_answer = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    g_answered = false;
    {
        download::HttpStream stream([] { return false; }, 5000);
        if (stream.open(QUrl(QStringLiteral("http://dl.talvex.example/pub/a.lzh")), 0)) {
            char buffer[1000];
            qint64 total = 0;
            qint64 n = 0;
            while ((n = stream.read(buffer, sizeof buffer)) > 0)
                total += n;
            fuzz::Require(total <= qint64(size), "the body comes from the answer's bytes");
            if (n == 0 && stream.contentLength() >= 0 && stream.status() >= 200 &&
                stream.status() != 204 && stream.status() != 304)
                fuzz::Require(total == stream.contentLength(),
                              "a complete body has its declared length");
        }
    }
    // The server's side of the connection goes before the next input.
    while (!g_server->findChildren<QTcpSocket*>().isEmpty()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return 0;
}
