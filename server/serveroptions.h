#pragma once

#include "http/connectionlimits.h"
#include "model/networklist.h"
#include "irc/addresspolicy.h"
#include "irc/ircsettings.h"
#include "store/storeaddress.h"
#include "xmpp/xmppsettings.h"

#include <QHostAddress>
#include <QList>
#include <QStringList>
#include <optional>

// What the command line asked for.
struct ServerOptions
{
    QList<QHostAddress> listen{QHostAddress(QHostAddress::LocalHost)};
    quint16 statusPort = 6969;
    quint16 webPort = 80;
    AddressPolicy policy;
    IrcSettings irc;
    XmppSettings xmpp;
    ConnectionLimits limits;
    NetworkList trustedProxies; // load balancers whose forwarded addresses are believed
    NetworkList metricsAllowed; // who may read /metrics besides this machine
    bool logLookups = false;
    std::optional<StoreAddress> store; // a cluster's shared store; none for one server alone
    QString instance;                  // this instance's name in the cluster

    // Reads a command line.
    static struct ParsedOptions parse(const QStringList &arguments);

    // A port list: "6667,6697,7000" or with ranges, "6665-6669,6697".
    static std::optional<QList<quint16>> portList(const QString &text);
};

// The outcome of reading a command line: options to run with, or what to
// print and the code to end with at once (after --help or --version 0 and the
// text on standard output; a bad option 2 and why, on standard error).
struct ParsedOptions
{
    std::optional<ServerOptions> options;
    int exitCode = 0;
    QString output;
    bool isError = false;
};
