#pragma once

#include "serveroptions.h"

// A status server for an in-process test: free ports on the loopback
// address, lookups allowed to reach the scripted IRC network on its port
// only, and a short bound so that tests of it end quickly.
inline ServerOptions loopbackOptions(quint16 ircPort)
{
    ServerOptions options;
    options.statusPort = 0;
    options.webPort = 0;
    options.policy.allow(QStringLiteral("127.0.0.0/8"));
    options.irc.allowedPorts = {ircPort};
    options.irc.lookupBoundMs = 2000;
    return options;
}
