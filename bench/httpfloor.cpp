// The status server benchmark's floor: Qt's own HTTP server, made the
// documented way (one route), answering every request with the bytes and
// headers quorvane-server answers a cached status picture with. What it
// serves is what Qt's HTTP layer allows on the machine.
//
//   quorvane_httpfloor PORT PICTURE
#include <QCoreApplication>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <cstdio>

int main(int argc, char *argv[])
{
    // The status server's event loop (see server/main.cpp), so that the
    // floor differs from the server by the server's own work only.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: quorvane_httpfloor PORT PICTURE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray picture = file.readAll();
    QHttpServer server;
    server.route("/irc/<arg>", [&picture](const QString &) {
        QHttpServerResponse response("image/png", picture);
        response.setHeader("Cache-Control", "no-store");
        response.setHeader("Vary", "Accept, Sec-Fetch-Dest");
        response.setHeader("X-Content-Type-Options", "nosniff");
        return response;
    });
    if (server.listen(QHostAddress::LocalHost, quint16(QByteArray(argv[1]).toUInt())) == 0)
        return 1;
    return app.exec();
}
