#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

// Which addresses the server may connect to for a stranger's lookup.
// Loopback, private, shared, link-local, multicast, unspecified, reserved
// and documentation ranges, IPv4 and IPv6, are refused, IPv4-mapped and
// embedded IPv4 judged as the IPv4 address they carry, unless a network the
// operator named (--allow-network) holds the address.
class AddressPolicy
{
public:
    using Subnet = QPair<QHostAddress, int>;

    // Adds an allowed network, e.g. "127.0.0.0/8"; false when the text is none.
    bool allow(const QString &cidr);
    bool allows(const QHostAddress &address) const;

private:
    QList<Subnet> m_allowed;
};
