// The status server benchmark's ceiling: Qt's sockets alone, one thread, the
// server's event loop, no HTTP parsing at all. Every request head (whatever
// ends in an empty line) is answered with the bytes and headers of a cached
// status picture. What it serves is what any HTTP layer on Qt's sockets in
// one thread could reach on the machine; the distance from it to the HTTP
// floor is what Qt's HTTP layer costs.
//
//   quorvane_socketfloor PORT PICTURE
#include "floorprogram.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Answers each head of the socket's requests as it is complete, in order.
void serve(QTcpSocket *socket, const QByteArray &answer)
{
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, answer, pending = QByteArray()]() mutable {
        pending.append(socket->readAll());
        for (qsizetype end = pending.indexOf("\r\n\r\n"); end >= 0; end = pending.indexOf("\r\n\r\n")) {
            pending.remove(0, end + 4);
            socket->write(answer);
        }
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

} // namespace

int main(int argc, char *argv[])
{
    return FloorProgram::run(argc, argv, [](quint16 port, const QByteArray &picture) -> std::unique_ptr<QObject> {
        auto server = std::make_unique<QTcpServer>();
        const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nCache-Control: no-store\r\n"
                                  "Vary: Accept, Sec-Fetch-Dest\r\nX-Content-Type-Options: nosniff\r\n"
                                  "Content-Length: " + QByteArray::number(picture.size()) + "\r\n\r\n" + picture;
        QTcpServer *listener = server.get();
        QObject::connect(listener, &QTcpServer::pendingConnectionAvailable, listener, [listener, answer] {
            while (QTcpSocket *socket = listener->nextPendingConnection())
                serve(socket, answer);
        });
        if (!server->listen(QHostAddress::LocalHost, port))
            return nullptr;
        return server;
    });
}
