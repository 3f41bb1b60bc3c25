#pragma once

#include "irc/addresspolicy.h"
#include "irc/ircsettings.h"

// IRC settings for tests against scripted servers on loopback ports: every
// wait short, but in the real proportions.
inline IrcSettings fastIrcSettings(const QList<quint16> &ports)
{
    IrcSettings settings;
    settings.allowedPorts = ports;
    settings.lookupBoundMs = 1500;
    settings.connectTimeoutMs = 600;
    settings.registerTimeoutMs = 1000;
    settings.floodIntervalMs = 100;
    settings.backoffInitialMs = 200;
    settings.unreachableMemoryMs = 0;
    return settings;
}

// Connections to the loopback addresses allowed, where the scripted servers are.
inline AddressPolicy loopbackAllowed()
{
    AddressPolicy policy;
    policy.allow(QStringLiteral("127.0.0.0/8"));
    return policy;
}
