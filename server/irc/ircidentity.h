#pragma once

#include <QList>
#include <QString>
#include <optional>

// An IRC identity as typed in the IRC window, "nick@ircserver" or
// "nick@ircserver:port", checked before anything is done with it: the nick
// must have IRC nick syntax and the server must be a host name or an IP
// literal with an allowed port. Nothing else (spaces, commas, CR, LF, NUL,
// letters outside ASCII) passes, so what reaches a socket is only ever
// what these rules allow.
struct IrcIdentity
{
    QString nick;
    QString host;               // lower case; an IPv6 literal without brackets
    std::optional<quint16> port; // when the identity named one

    static inline constexpr int maxNickLength = 30;

    // The identity, or nothing when the text is not a valid one.
    static std::optional<IrcIdentity> parse(const QString &text, const QList<quint16> &allowedPorts);

    static bool isValidNick(const QString &nick);
    static bool isValidHostName(const QString &host);
};
