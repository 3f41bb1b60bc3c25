#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <functional>

// The numbers the IRC side works by. The defaults are the server's; tests
// shorten the times and point the default ports elsewhere.
struct IrcSettings
{
    // Ports an identity may name.
    QList<quint16> allowedPorts{6665, 6666, 6667, 6668, 6669, 6697, 7000};
    // Tried in this order for an identity that names no port.
    quint16 tlsPort = 6697;
    quint16 plainPort = 6667;
    // Trusted besides the system's store when verifying a network's certificate.
    QList<QSslCertificate> extraCertificates;

    // Resolves a host name and calls done once with its addresses (none when
    // it does not resolve), unless the context is gone by then. Empty: the
    // system's resolver (QHostInfo). Tests resolve names of their own here.
    using Resolved = std::function<void(const QList<QHostAddress> &addresses)>;
    using Resolver = std::function<void(const QString &host, QObject *context, const Resolved &done)>;
    Resolver resolver;

    // Networks open at once. A network costs one connection and a few
    // kilobytes (43 KiB measured, 256 plain connections at once): 256 of them stay well
    // inside the service's memory ceiling and the default file limit.
    int maxNetworks = 256;
    // Networks one client (an IPv4 /24, an IPv6 /56) may have opening at once:
    // connecting, or registered but never welcomed. A tarpit that accepts and
    // never speaks holds its place until the registration bound; past it the
    // client's lookups of new networks are refused, and nobody else's.
    int newNetworksPerClient = 4;
    // When every place is taken, a network that never welcomed gives way to a
    // new one, then one with no lookup for this long; one being asked never does.
    int givesWayAfterMs = 60'000;
    int lookupBoundMs = 10'000;     // every lookup is answered within this
    int sendMarginMs = 500;         // a line and its reply, before a lookup's bound
    int gatherMs = 20;              // a quiet network's line waits this long for lookups arriving together
    int cacheMs = 60'000;
    int idleMs = 10 * 60'000;       // a network without lookups this long is left
    int floodBurst = 4;
    int floodIntervalMs = 2'000;
    int connectTimeoutMs = 4'000;   // per attempt, so that plain can follow TLS within the bound
    int registerTimeoutMs = 8'000;  // from connected to the end of the welcome
    int welcomeEndMs = 3'000;       // after the welcome, for networks that never say it is over
    int silenceMs = 120'000;        // then the client asks with PING
    int pingTimeoutMs = 30'000;     // and gives up when nothing comes back
    int backoffInitialMs = 2'000;
    int backoffMaxMs = 5 * 60'000;
    int unreachableMemoryMs = 30'000; // a network never reached is answered from memory this long
};
