// A client connection's bytes to the whole server's answer: one status
// server in this process on a loopback port, the input written on a fresh
// connection, which is then half-closed. The bytes go the road every
// request goes (server/README.md): libmicrohttpd's parser on the door's
// threads, the head check, the client behind the trusted proxy (loopback is one
// here, so X-Forwarded-For and Forwarded are read), the pages, the status
// paths with their forms and sets, the lookups (an IRC network that is
// dialled is recorded and fails at once; no socket leaves the process) and
// the answers, pipelined and in order. A run ends when the server has let
// the connection go and the client has read everything it sent.
#include "fuzzapp.h"
#include "support/recordingtransport.h"

#include "statusserver.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

#include <cstdint>
#include <cstdlib>

namespace {

ServerOptions options()
{
    ServerOptions made;
    made.statusPort = 0;
    made.webPort = 0;
    made.policy.allow(QStringLiteral("127.0.0.0/8"));
    made.trustedProxies.add(QStringLiteral("127.0.0.0/8"));
    made.metricsAllowed.add(QStringLiteral("192.0.2.0/24"));
    made.irc.allowedPorts = {6667, 6697};
    made.irc.lookupBoundMs = 1000;
    made.irc.unreachableMemoryMs = 0;
    made.irc.resolver = [](const QString &host, QObject *, const IrcSettings::Resolved &done) {
        done(host.endsWith(QLatin1String(".test")) ? QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost)}
                                                   : QList<QHostAddress>{});
    };
    return made;
}

StatusServer &server()
{
    static StatusServer *made = [] {
        const auto transports = [](QObject *owner) -> IrcTransport * {
            auto *transport = new RecordingTransport(owner);
            QTimer::singleShot(0, transport, [transport] { transport->drop(); });
            return transport;
        };
        auto *started = new StatusServer(options(), transports);
        if (!started->start())
            abort();
        return started;
    }();
    return *made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzApp::application();
    StatusServer &status = server();
    QTcpSocket client;
    client.connectToHost(QHostAddress(QHostAddress::LocalHost), status.statusPort());
    if (!client.waitForConnected(5000))
        abort();
    client.write(reinterpret_cast<const char *>(data), qint64(size));
    while (client.bytesToWrite() > 0 && client.waitForBytesWritten(5000)) {
    }
    // The request is over from the client's side; the answers may still come.
    ::shutdown(int(client.socketDescriptor()), SHUT_WR);
    const bool over = FuzzApp::settleUntil([&] {
        client.readAll();
        return client.state() == QAbstractSocket::UnconnectedState && status.openConnections() == 0;
    });
    if (!over)
        abort(); // the server held a connection whose client had finished
    return 0;
}
