#include "http/clientaddress.h"

#include "model/networklist.h"

#include <QList>

namespace {

// One hop as a header names it: "192.0.2.1", "192.0.2.1:4711",
// "2001:db8::1", "[2001:db8::1]:4711", quoted in Forwarded. Null when it is
// no address ("unknown", an obfuscated name).
QHostAddress hop(QByteArray text)
{
    text = text.trimmed();
    if (text.startsWith('"') && text.endsWith('"') && text.size() >= 2)
        text = text.mid(1, text.size() - 2);
    if (text.startsWith('[')) {
        text = text.mid(1, text.indexOf(']') - 1);
    } else if (text.count(':') == 1) {
        text = text.left(text.indexOf(':'));
    }
    QHostAddress address;
    return address.setAddress(QString::fromLatin1(text)) ? NetworkList::carried(address) : QHostAddress();
}

// The hops of X-Forwarded-For, nearest last.
QList<QHostAddress> forwardedForHops(const QByteArray &header)
{
    QList<QHostAddress> hops;
    for (const QByteArray &item : header.split(','))
        hops.append(hop(item));
    return hops;
}

// The "for=" hops of Forwarded, nearest last.
QList<QHostAddress> forwardedHops(const QByteArray &header)
{
    QList<QHostAddress> hops;
    for (const QByteArray &element : header.split(','))
        for (const QByteArray &pair : element.split(';'))
            if (pair.trimmed().toLower().startsWith("for="))
                hops.append(hop(pair.trimmed().mid(4)));
    return hops;
}

} // namespace

namespace ClientAddress {

QHostAddress of(const QHostAddress &peer, const QByteArray &forwardedFor, const QByteArray &forwarded,
                const NetworkList &trustedProxies)
{
    QHostAddress client = NetworkList::carried(peer);
    if (!trustedProxies.contains(client))
        return client;
    const QList<QHostAddress> hops = !forwardedFor.trimmed().isEmpty() ? forwardedForHops(forwardedFor)
                                                                      : forwardedHops(forwarded);
    for (auto it = hops.crbegin(); it != hops.crend(); ++it) {
        if (it->isNull()) // a hop that names no address: nothing beyond it can be trusted
            return client;
        client = *it;
        if (!trustedProxies.contains(client))
            return client;
    }
    return client;
}

} // namespace ClientAddress
