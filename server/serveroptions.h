#pragma once

#include "http/connectionguard.h"
#include "irc/addresspolicy.h"
#include "irc/ircsettings.h"

#include <QHostAddress>
#include <QStringList>
#include <optional>

// What the command line asked for.
struct ServerOptions
{
    QHostAddress listen = QHostAddress(QHostAddress::LocalHost);
    quint16 statusPort = 6969;
    quint16 webPort = 80;
    AddressPolicy policy;
    IrcSettings irc;
    ConnectionLimits limits;
    bool logLookups = false;

    // The options, or nothing when the program should end with the given
    // code at once (after --help or --version: 0; a bad option: 2), having
    // printed why.
    static std::optional<ServerOptions> parse(const QStringList &arguments, int &exitCode);

    // A port list: "6667,6697,7000" or with ranges, "6665-6669,6697".
    static std::optional<QList<quint16>> portList(const QString &text);
};
