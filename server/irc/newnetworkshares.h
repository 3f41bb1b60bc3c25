#pragma once

#include <QHash>
#include <QHostAddress>
#include <QString>

// The networks each client has opened that have not welcomed yet, so that
// one client cannot hold every place with hosts that never answer. A client
// is its address's network, an IPv4 /24 or an IPv6 /56: one host with many
// addresses is one client. A lookup for no one in particular (null address)
// has no share.
class NewNetworkShares
{
public:
    explicit NewNetworkShares(int perClient) : m_perClient(perClient) {}

    // "203.0.113.0/24", "2001:db8:0:100::/56"; empty for a null address.
    static QString clientOf(const QHostAddress &address);

    // Whether the client has all the new networks it may have.
    bool full(const QString &client) const;
    void opened(const QString &network, const QString &client);
    // Welcomed, or closed: no longer the opener's.
    void settled(const QString &network);

private:
    int m_perClient;
    QHash<QString, QString> m_openers; // network → client, as many as the networks open
    QHash<QString, int> m_counts;      // client → its networks not yet welcomed
};
