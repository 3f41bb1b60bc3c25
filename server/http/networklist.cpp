#include "http/networklist.h"

bool NetworkList::add(const QString &cidr)
{
    const QPair<QHostAddress, int> network = QHostAddress::parseSubnet(cidr.trimmed());
    if (network.first.isNull())
        return false;
    m_networks.append(network);
    return true;
}

QHostAddress NetworkList::plain(const QHostAddress &address)
{
    bool mapped = false;
    const quint32 v4 = address.toIPv4Address(&mapped);
    return mapped ? QHostAddress(v4) : address;
}

bool NetworkList::contains(const QHostAddress &address) const
{
    const QHostAddress judged = plain(address);
    for (const auto &network : m_networks)
        if (judged.isInSubnet(network))
            return true;
    return false;
}
