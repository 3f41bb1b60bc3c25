#pragma once

#include <QByteArray>
#include <QHostAddress>

class NetworkList;

// The client a request comes from: the connection's peer; unless the peer
// is a trusted proxy (a load balancer in front of the server), then the
// address the proxies say they forward for, from X-Forwarded-For (else the
// standard Forwarded header), read from the nearest hop outwards and taken
// at the first hop that is not itself a trusted proxy. A client cannot make
// itself another by sending those headers: they are read only from a
// trusted peer, and only the hops the trusted proxies added count.
namespace ClientAddress {

QHostAddress of(const QHostAddress &peer, const QByteArray &forwardedFor, const QByteArray &forwarded,
                const NetworkList &trustedProxies);

} // namespace ClientAddress
