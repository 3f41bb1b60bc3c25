// The status server benchmark's floor: Qt's own HTTP server, made the
// documented way (one route), answering every request with the bytes and
// headers quorvane-server answers a cached status picture with. What it
// serves is what Qt's HTTP layer allows on the machine.
//
//   quorvane_httpfloor PORT PICTURE
#include "floorprogram.h"

#include <QHttpServer>
#include <QHttpServerResponse>

int main(int argc, char *argv[])
{
    return FloorProgram::run(argc, argv, [](quint16 port, const QByteArray &picture) -> std::unique_ptr<QObject> {
        auto server = std::make_unique<QHttpServer>();
        server->route("/irc/<arg>", [&picture](const QString &) {
            QHttpServerResponse response("image/png", picture);
            response.setHeader("Cache-Control", "no-store");
            response.setHeader("Vary", "Accept, Sec-Fetch-Dest");
            response.setHeader("X-Content-Type-Options", "nosniff");
            return response;
        });
        if (server->listen(QHostAddress::LocalHost, port) == 0)
            return nullptr;
        return server;
    });
}
