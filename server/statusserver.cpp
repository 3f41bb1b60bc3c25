#include "statusserver.h"

#include "cluster/clustercounters.h"
#include "cluster/clusterirc.h"
#include "http/httpdoor.h"
#include "http/statusreply.h"
#include "http/statushttpserver.h"
#include "model/serverlog.h"
#include "store/store.h"

#include <QHostInfo>
#include <QTcpServer>

#include <utility>

namespace {

// An address as it stands before ":port": IPv6 in brackets.
QString shownAddress(const QHostAddress &address)
{
    return address.protocol() == QAbstractSocket::IPv6Protocol ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                                                               : address.toString();
}

// Instances are named by their host and status port unless told otherwise:
// the name is in the store's leases and on the status page.
QString instanceName(const QString &asked, quint16 statusPort)
{
    return asked.isEmpty() ? QHostInfo::localHostName() + QLatin1Char(':') + QString::number(statusPort) : asked;
}

} // namespace

StatusServer::StatusServer(const ServerOptions &options, IrcNetwork::TransportFactory transports, QObject *parent)
    : QObject(parent), m_options(options), m_stats(StatusReply::formNames()), m_book(options.limits, options.irc.lookupBoundMs, options.trustedProxies),
      m_irc(options.irc, options.policy, std::move(transports)), m_lookup(m_stats, options.logLookups),
      m_pages(m_stats, m_lookup),
      m_statusHttp(std::make_unique<StatusHttpServer>(true, httpContext())),
      m_webHttp(std::make_unique<StatusHttpServer>(false, httpContext()))
{
    m_lookup.setChecker(QStringLiteral("irc"), &m_irc);
    connect(&m_irc, &IrcPresence::event, this, &ServerLog::line);
    if (!options.xmpp.jid.isEmpty()) {
        m_jabber = std::make_unique<JabberPresence>(options.xmpp);
        m_lookup.setChecker(QStringLiteral("jabber"), m_jabber.get());
        connect(m_jabber.get(), &JabberPresence::event, this, &ServerLog::line);
    }
}

void StatusServer::joinCluster()
{
    m_store = std::make_unique<Store>(*m_options.store);
    const QString instance = instanceName(m_options.instance, m_statusPort);
    m_cluster = std::make_unique<ClusterIrc>(m_irc, *m_store, m_options.irc, instance);
    m_lookup.setChecker(QStringLiteral("irc"), m_cluster.get());
    m_clusterCounters = std::make_unique<ClusterCounters>(m_stats, *m_store, instance);
    connect(m_store.get(), &SharedStore::upChanged, m_clusterCounters.get(), [this](bool up) {
        if (up)
            m_clusterCounters->flush();
    });
    ServerLog::line(QStringLiteral("instance %1 of a cluster, sharing through %2").arg(instance, m_store->address()));
    m_store->start();
}

HttpContext StatusServer::httpContext()
{
    std::function<StoreStatus()> store;
    if (m_options.store)
        store = [this] { return m_store ? m_store->status() : StoreStatus{false, QStringLiteral("not started"), {}}; };
    std::function<QString()> jabber;
    if (!m_options.xmpp.jid.isEmpty())
        jabber = [this] { return m_jabber ? m_jabber->health() : QStringLiteral("not started"); };
    return {m_lookup, m_pages, m_stats, m_book, m_options.metricsAllowed, store, m_options.irc.cacheMs / 1000,
            [this] { return m_statusPort; }, jabber};
}

StatusServer::~StatusServer()
{
    // The doors go first: their threads answer with the handlers, count
    // connections out of the book and the watch, members that die after them.
    qDeleteAll(m_doors);
    qDeleteAll(m_listening);
}

bool StatusServer::start(const QList<SocketActivation::Socket> &activated)
{
    const bool serving = openPorts(activated);
    if (serving && m_options.store)
        joinCluster();
    return serving;
}

bool StatusServer::openPorts(const QList<SocketActivation::Socket> &activated)
{
    if (activated.isEmpty()) {
        m_statusPort = listenEverywhere(*m_statusHttp, m_options.statusPort, QStringLiteral("status"));
        if (m_options.webPort != m_options.statusPort || m_options.webPort == 0)
            m_webPort = listenEverywhere(*m_webHttp, m_options.webPort, QStringLiteral("web"));
        return m_statusPort || m_webPort;
    }
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
    // systemd owns the ports: unnamed sockets fill the gaps in order.
    if (!status && !unnamed.isEmpty())
        status = unnamed.takeFirst();
    if (!web && !unnamed.isEmpty())
        web = unnamed.takeFirst();
    qDeleteAll(unnamed);
    if (status && !serve(*m_statusHttp, status, QStringLiteral("status and pages")))
        status = nullptr;
    if (web && !serve(*m_webHttp, web, QStringLiteral("pages")))
        web = nullptr;
    m_statusPort = status ? status->serverPort() : 0;
    m_webPort = web ? web->serverPort() : 0;
    return status || web;
}

quint16 StatusServer::listenEverywhere(StatusHttpServer &http, quint16 port, const QString &what)
{
    quint16 served = 0;
    for (const QHostAddress &address : std::as_const(m_options.listen)) {
        auto *server = new QTcpServer;
        const quint16 wanted = served ? served : port;
        if (!server->listen(address, wanted)) {
            ServerLog::line(QStringLiteral("cannot listen on %1:%2 for the %3 port: %4")
                                .arg(shownAddress(address), QString::number(wanted), what, server->errorString()));
            delete server;
            continue;
        }
        const quint16 listening = server->serverPort();
        if (serve(http, server, what == QLatin1String("status") ? QStringLiteral("status and pages") : QStringLiteral("pages")))
            served = listening;
    }
    return served;
}

bool StatusServer::serve(StatusHttpServer &http, QTcpServer *server, const QString &what)
{
    // The door's threads accept on the socket; the server only holds it.
    server->pauseAccepting();
    auto *door = new HttpDoor(server->socketDescriptor(), {m_book, m_watch, http});
    QString error;
    if (!door->start(&error)) {
        ServerLog::line(QStringLiteral("cannot serve %1:%2: %3")
                            .arg(shownAddress(server->serverAddress())).arg(server->serverPort()).arg(error));
        delete door;
        delete server;
        return false;
    }
    m_listening.append(server);
    m_doors.append(door);
    ServerLog::line(QStringLiteral("%1 on %2:%3").arg(what, shownAddress(server->serverAddress())).arg(server->serverPort()));
    return true;
}

QTcpServer *StatusServer::adopt(const SocketActivation::Socket &socket)
{
    auto *server = new QTcpServer;
    if (server->setSocketDescriptor(socket.descriptor))
        return server;
    ServerLog::line(QStringLiteral("cannot use the listening socket %1 from systemd: %2")
                        .arg(socket.descriptor).arg(server->errorString()));
    delete server;
    return nullptr;
}
