#pragma once

#include "http/connectionbook.h"
#include "http/connectionwatch.h"
#include "http/pages.h"
#include "irc/ircpresence.h"
#include "model/serverstats.h"
#include "serveroptions.h"
#include "service/statuslookup.h"
#include "socketactivation.h"
#include "xmpp/jabberpresence.h"

#include <QObject>
#include <memory>

class ClusterCounters;
class ClusterIrc;
class HttpDoor;
class StatusHttpServer;
class Store;
class QTcpServer;

// The whole server, headless: the status and web ports with their HTTP
// servers, the checkers of the live media and the statistics, all in one
// event loop.
class StatusServer : public QObject
{
    Q_OBJECT

public:
    // The transports reach the IRC networks; by default sockets (tests record instead).
    explicit StatusServer(const ServerOptions &options, IrcNetwork::TransportFactory transports = {},
                          QObject *parent = nullptr);
    ~StatusServer() override;

    // Listens on the ports at every address asked for, or takes the sockets
    // systemd passed. A port that cannot be had is logged in one line;
    // false when none could.
    bool start(const QList<SocketActivation::Socket> &activated = {});

    // The ports really served (when asked for port 0), 0 for none.
    quint16 statusPort() const { return m_statusPort; }
    quint16 webPort() const { return m_webPort; }
    // Connections open now, on every port.
    int openConnections() const { return m_book.open(); }

private:
    // Listens on the port at every address; the port picked at the first
    // address when asked for port 0. The port served, or 0.
    quint16 listenEverywhere(StatusHttpServer &http, quint16 port, const QString &what);
    QTcpServer *adopt(const SocketActivation::Socket &socket);
    struct HttpContext httpContext();
    // The socket's door; false (and the socket let go) when none opens on it.
    bool serve(StatusHttpServer &http, QTcpServer *server, const QString &what);
    bool openPorts(const QList<SocketActivation::Socket> &activated);
    void joinCluster();

    ServerOptions m_options;
    ServerStats m_stats;
    ConnectionBook m_book;
    ConnectionWatch m_watch;
    IrcPresence m_irc;
    std::unique_ptr<Store> m_store;       // with --redis only
    std::unique_ptr<ClusterIrc> m_cluster; // asks IRC for the cluster, through the store
    std::unique_ptr<ClusterCounters> m_clusterCounters;
    std::unique_ptr<JabberPresence> m_jabber; // with --xmpp-jid only
    StatusLookup m_lookup;
    Pages m_pages;
    std::unique_ptr<StatusHttpServer> m_statusHttp;
    std::unique_ptr<StatusHttpServer> m_webHttp;
    // The listening sockets (the doors accept on them) and their doors.
    QList<QTcpServer *> m_listening;
    QList<HttpDoor *> m_doors;
    quint16 m_statusPort = 0;
    quint16 m_webPort = 0;
};
