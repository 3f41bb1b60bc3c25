#include "irc/newnetworkshares.h"

#include "model/networklist.h"

QString NewNetworkShares::clientOf(const QHostAddress &given)
{
    if (given.isNull())
        return {};
    const QHostAddress address = NetworkList::carried(given);
    if (address.protocol() == QAbstractSocket::IPv4Protocol)
        return QHostAddress(address.toIPv4Address() & 0xffffff00u).toString() + QStringLiteral("/24");
    Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 7; i < 16; ++i)
        bytes[i] = 0;
    return QHostAddress(bytes).toString() + QStringLiteral("/56");
}

bool NewNetworkShares::full(const QString &client) const
{
    return !client.isEmpty() && m_counts.value(client) >= m_perClient;
}

void NewNetworkShares::opened(const QString &network, const QString &client)
{
    if (client.isEmpty())
        return;
    settled(network);
    m_openers.insert(network, client);
    ++m_counts[client];
}

void NewNetworkShares::settled(const QString &network)
{
    const QString client = m_openers.take(network);
    if (client.isEmpty())
        return;
    if (--m_counts[client] <= 0)
        m_counts.remove(client);
}
