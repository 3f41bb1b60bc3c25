// The status server benchmark's ceiling: Qt's sockets alone, one thread, the
// server's event loop, no HTTP parsing at all. Every request head (whatever
// ends in an empty line) is answered with the bytes and headers of a cached
// status picture. What it serves is what any HTTP layer on Qt's sockets in
// one thread could reach on the machine; the distance from it to the HTTP
// floor is what Qt's HTTP layer costs.
//
//   quorvane_socketfloor PORT PICTURE
#include <QCoreApplication>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

namespace {

// Answers each head of the socket's requests as it is complete, in order.
void serve(QTcpSocket *socket, const QByteArray &answer)
{
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &answer, pending = QByteArray()]() mutable {
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
    // The status server's event loop (see server/main.cpp).
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: quorvane_socketfloor PORT PICTURE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray picture = file.readAll();
    const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nCache-Control: no-store\r\n"
                              "Vary: Accept, Sec-Fetch-Dest\r\nX-Content-Type-Options: nosniff\r\nContent-Length: "
                              + QByteArray::number(picture.size()) + "\r\n\r\n" + picture;
    QTcpServer server;
    QObject::connect(&server, &QTcpServer::pendingConnectionAvailable, &server, [&server, &answer] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            serve(socket, answer);
    });
    if (!server.listen(QHostAddress::LocalHost, quint16(QByteArray(argv[1]).toUInt())))
        return 1;
    return app.exec();
}
