#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

// Networks named by an operator ("127.0.0.0/8", "::1/128"), and whether an
// address is in one of them. An IPv4 address carried in IPv6 (as a socket
// that listens on both gives it) is judged as the IPv4 address.
class NetworkList
{
public:
    // False when the text names no network.
    bool add(const QString &cidr);
    bool contains(const QHostAddress &address) const;
    bool isEmpty() const { return m_networks.isEmpty(); }

    // The address as it is judged: an IPv4-mapped one as its IPv4 address.
    static QHostAddress plain(const QHostAddress &address);

private:
    QList<QPair<QHostAddress, int>> m_networks;
};
