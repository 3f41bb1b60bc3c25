// A member of the test IRC network: connects to the loopback port, registers
// under the nick given, answers PING and stays, so that the nick reads
// online. It ends by itself after the given number of seconds, or when the
// server closes the connection. A line "away TEXT" on its standard input
// sets it away, "back" brings it back.
//
//   ircmember PORT NICK SECONDS
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: ircmember PORT NICK SECONDS\n");
        return 2;
    }
    const QByteArray nick = arguments.at(2).toLatin1();
    QTcpSocket socket;
    QObject::connect(&socket, &QTcpSocket::connected, &socket, [&] {
        socket.write("NICK " + nick + "\r\nUSER member 0 * :test network member\r\n");
    });
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [&] {
        while (socket.canReadLine()) {
            const QByteArray line = socket.readLine().trimmed();
            if (line.startsWith("PING "))
                socket.write("PONG " + line.mid(5) + "\r\n");
            if (line.contains(" 001 "))
                std::printf("registered as %s\n", nick.constData()), std::fflush(stdout);
        }
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &socket, [&] {
        char buffer[512];
        const ssize_t read = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (read <= 0)
            return input.setEnabled(false);
        for (const QByteArray &command : QByteArray(buffer, int(read)).split('\n')) {
            if (command.startsWith("away "))
                socket.write("AWAY :" + command.mid(5) + "\r\n");
            else if (command == "back")
                socket.write("AWAY\r\n");
        }
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &app, &QCoreApplication::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &app, [] { QCoreApplication::exit(1); });
    QTimer::singleShot(arguments.at(3).toInt() * 1000, &app, &QCoreApplication::quit);
    socket.connectToHost(QHostAddress::LocalHost, quint16(arguments.at(1).toUInt()));
    return app.exec();
}
