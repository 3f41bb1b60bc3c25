#include "irc/addresspolicy.h"

#include <QtEndian>

namespace {

AddressPolicy::Subnet subnet(const char *cidr)
{
    return QHostAddress::parseSubnet(QString::fromLatin1(cidr));
}

// Ranges that are not the public internet (IANA special-purpose registries).
const QList<AddressPolicy::Subnet> &refusedRanges()
{
    static const QList<AddressPolicy::Subnet> ranges{
        subnet("0.0.0.0/8"),       subnet("10.0.0.0/8"),      subnet("100.64.0.0/10"),
        subnet("127.0.0.0/8"),     subnet("169.254.0.0/16"),  subnet("172.16.0.0/12"),
        subnet("192.0.0.0/24"),    subnet("192.0.2.0/24"),    subnet("192.88.99.0/24"),
        subnet("192.168.0.0/16"),  subnet("198.18.0.0/15"),   subnet("198.51.100.0/24"),
        subnet("203.0.113.0/24"),  subnet("224.0.0.0/4"),     subnet("240.0.0.0/4"),
        subnet("::/128"),          subnet("::1/128"),         subnet("::/96"),
        subnet("100::/64"),        subnet("2001::/23"),       subnet("2001:db8::/32"),
        subnet("2002::/16"),       subnet("3fff::/20"),       subnet("5f00::/16"),
        subnet("fc00::/7"),        subnet("fe80::/10"),       subnet("fec0::/10"),
        subnet("ff00::/8"),
    };
    return ranges;
}

// The IPv4 address an IPv6 one carries (IPv4-mapped ::ffff:a.b.c.d or
// the NAT64 prefix 64:ff9b::/96), which is then the one judged.
QHostAddress carriedIpv4(const QHostAddress &address)
{
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    if (mapped)
        return QHostAddress(v4);
    if (address.protocol() == QAbstractSocket::IPv6Protocol && address.isInSubnet(subnet("64:ff9b::/96"))) {
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        return QHostAddress(qFromBigEndian<quint32>(&bytes.c[12]));
    }
    return address;
}

} // namespace

bool AddressPolicy::allow(const QString &cidr)
{
    const Subnet parsed = QHostAddress::parseSubnet(cidr);
    if (parsed.first.isNull())
        return false;
    m_allowed.append(parsed);
    return true;
}

bool AddressPolicy::allows(const QHostAddress &given) const
{
    if (given.isNull())
        return false;
    QHostAddress address = carriedIpv4(given);
    address.setScopeId(QString());
    for (const Subnet &allowed : m_allowed)
        if (address.isInSubnet(allowed) || given.isInSubnet(allowed))
            return true;
    for (const Subnet &refused : refusedRanges())
        if (address.isInSubnet(refused))
            return false;
    return true;
}
