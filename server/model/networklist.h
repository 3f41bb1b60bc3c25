#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

// Networks ("127.0.0.0/8", "::1/128"), and whether an address is in one of
// them: the networks an operator names (allowed IRC networks, trusted
// proxies, who may read the metrics) and the ranges the server refuses to
// connect to. An address is judged as given and as the IPv4 address it
// carries, if any: IPv4-mapped (a socket listening on both families gives
// those) or behind the NAT64 prefix 64:ff9b::/96.
class NetworkList
{
public:
    NetworkList() = default;
    // Networks written in the code; each must be one.
    NetworkList(std::initializer_list<const char *> networks);

    // False when the text (spaces around it ignored) names no network.
    bool add(const QString &cidr);
    bool contains(const QHostAddress &address) const;
    bool isEmpty() const { return m_networks.isEmpty(); }

    // The IPv4 address an IPv6 one carries, else the address itself; with
    // no scope, which no network names.
    static QHostAddress carried(const QHostAddress &address);

private:
    QList<QPair<QHostAddress, int>> m_networks;
};
