#include "statusserver.h"

#include "http/guardedtcpserver.h"
#include "http/statushttpserver.h"
#include "serverlog.h"

#include <utility>

StatusServer::StatusServer(const ServerOptions &options, IrcNetwork::TransportFactory transports, QObject *parent)
    : QObject(parent), m_options(options), m_book(options.limits), m_irc(options.irc, options.policy, std::move(transports)),
      m_lookup(m_irc, options.irc.allowedPorts, m_stats, options.logLookups),
      m_pages(m_stats, m_irc, options.irc.maxNetworks),
      m_statusHttp(new StatusHttpServer(true, m_lookup, m_pages, this)),
      m_webHttp(new StatusHttpServer(false, m_lookup, m_pages, this))
{
    connect(&m_irc, &IrcPresence::event, this, &ServerLog::line);
}

StatusServer::~StatusServer()
{
    // The HTTP servers, their sockets and the sockets' guards go first: the
    // guards count themselves out of the book, a member that dies after them.
    delete m_statusHttp;
    delete m_webHttp;
}

bool StatusServer::start(const QList<SocketActivation::Socket> &activated)
{
    QTcpServer *status = nullptr, *web = nullptr;
    QList<QTcpServer *> unnamed;
    for (const SocketActivation::Socket &socket : activated) {
        QTcpServer *server = adopt(socket);
        if (!server)
            continue;
        // Sockets named "status" or "web" in the unit are that; others go by their port.
        const bool named = socket.name == QLatin1String("status") || socket.name == QLatin1String("web");
        if (!status && (socket.name == QLatin1String("status") || (!named && server->serverPort() == m_options.statusPort)))
            status = server;
        else if (!web && (socket.name == QLatin1String("web") || (!named && server->serverPort() == m_options.webPort)))
            web = server;
        else
            unnamed.append(server);
    }
    if (!activated.isEmpty()) { // systemd owns the ports: unnamed sockets fill the gaps in order
        if (!status && !unnamed.isEmpty())
            status = unnamed.takeFirst();
        if (!web && !unnamed.isEmpty())
            web = unnamed.takeFirst();
        qDeleteAll(unnamed);
    } else {
        status = listen(m_options.statusPort, QStringLiteral("status"));
        if (m_options.webPort != m_options.statusPort || m_options.webPort == 0)
            web = listen(m_options.webPort, QStringLiteral("web"));
    }
    if (status) {
        m_statusHttp->bind(status);
        m_statusPort = status->serverPort();
        ServerLog::line(QStringLiteral("status and pages on %1:%2").arg(status->serverAddress().toString()).arg(m_statusPort));
    }
    if (web) {
        m_webHttp->bind(web);
        m_webPort = web->serverPort();
        ServerLog::line(QStringLiteral("pages on %1:%2").arg(web->serverAddress().toString()).arg(m_webPort));
    }
    return status || web;
}

QTcpServer *StatusServer::listen(quint16 port, const QString &what)
{
    auto *server = new GuardedTcpServer(m_book, this);
    if (server->listen(m_options.listen, port))
        return server;
    ServerLog::line(QStringLiteral("cannot listen on %1:%2 for the %3 port: %4")
                        .arg(m_options.listen.toString()).arg(port).arg(what, server->errorString()));
    delete server;
    return nullptr;
}

QTcpServer *StatusServer::adopt(const SocketActivation::Socket &socket)
{
    auto *server = new GuardedTcpServer(m_book, this);
    if (server->setSocketDescriptor(socket.descriptor))
        return server;
    ServerLog::line(QStringLiteral("cannot use the listening socket %1 from systemd: %2")
                        .arg(socket.descriptor).arg(server->errorString()));
    delete server;
    return nullptr;
}
