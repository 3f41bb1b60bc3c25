#include "model/networklist.h"

#include <QtEndian>

namespace {

const QPair<QHostAddress, int> nat64 = QHostAddress::parseSubnet(QStringLiteral("64:ff9b::/96"));

} // namespace

NetworkList::NetworkList(std::initializer_list<const char *> networks)
{
    for (const char *network : networks) {
        [[maybe_unused]] const bool named = add(QString::fromLatin1(network));
        Q_ASSERT(named);
    }
}

bool NetworkList::add(const QString &cidr)
{
    const QPair<QHostAddress, int> network = QHostAddress::parseSubnet(cidr.trimmed());
    if (network.first.isNull())
        return false;
    m_networks.append(network);
    return true;
}

QHostAddress NetworkList::carried(const QHostAddress &given)
{
    bool mapped = false;
    const quint32 v4 = given.toIPv4Address(&mapped);
    if (mapped)
        return QHostAddress(v4);
    QHostAddress address = given;
    address.setScopeId(QString());
    if (address.protocol() == QAbstractSocket::IPv6Protocol && address.isInSubnet(nat64)) {
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        return QHostAddress(qFromBigEndian<quint32>(&bytes.c[12]));
    }
    return address;
}

bool NetworkList::contains(const QHostAddress &given) const
{
    if (given.isNull())
        return false;
    const QHostAddress judged = carried(given);
    for (const auto &network : m_networks)
        if (judged.isInSubnet(network) || given.isInSubnet(network))
            return true;
    return false;
}
