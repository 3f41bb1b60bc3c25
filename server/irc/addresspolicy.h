#pragma once

#include "model/networklist.h"

#include <QHostAddress>
#include <QString>

// Which addresses the server may connect to for a stranger's lookup.
// Loopback, private, shared, link-local, multicast, unspecified, reserved
// and documentation ranges, IPv4 and IPv6, are refused, IPv4-mapped and
// NAT64 addresses judged as the IPv4 address they carry, unless a network
// the operator named (--allow-network) holds the address.
class AddressPolicy
{
public:
    // Adds an allowed network, e.g. "127.0.0.0/8"; false when the text is none.
    bool allow(const QString &cidr) { return m_allowed.add(cidr); }
    bool allows(const QHostAddress &address) const;

private:
    NetworkList m_allowed;
};
