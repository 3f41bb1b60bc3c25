#include "irc/ircidentity.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace {

// The port text, when it is digits only and names an allowed port.
std::optional<quint16> allowedPort(const QString &text, const QList<quint16> &allowedPorts)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const uint port = text.toUInt();
    if (port > 65535 || !allowedPorts.contains(quint16(port)))
        return std::nullopt;
    return quint16(port);
}

// Dotted-quad decimal only: "127.1", "0x7f.0.0.1" and "0177.0.0.1" are
// spellings some resolvers take for loopback and are refused here.
bool isIpv4Literal(const QString &text)
{
    static const QRegularExpression quad(QStringLiteral(
        "^((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])\\.){3}(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])$"));
    return quad.match(text).hasMatch();
}

bool isIpv6Literal(const QString &text)
{
    static const QRegularExpression chars(QStringLiteral("^[0-9A-Fa-f:.]+$")); // no scope ids
    QHostAddress address;
    return chars.match(text).hasMatch() && address.setAddress(text)
           && address.protocol() == QAbstractSocket::IPv6Protocol;
}

} // namespace

bool IrcIdentity::isValidNick(const QString &nick)
{
    static const QRegularExpression syntax(
        QStringLiteral("^[A-Za-z\\[\\]\\\\`_^{|}][A-Za-z0-9\\[\\]\\\\`_^{|}-]{0,29}$"));
    return syntax.match(nick).hasMatch();
}

bool IrcIdentity::isValidHostName(const QString &host)
{
    static const QRegularExpression label(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?$"));
    if (host.isEmpty() || host.size() > 253)
        return false;
    const QStringList labels = host.split(QLatin1Char('.'));
    for (const QString &part : labels)
        if (!label.match(part).hasMatch())
            return false;
    // A last label of digits only would make "127.1" a name; such text is
    // meant as an address and is judged as one.
    static const QRegularExpression digitsOnly(QStringLiteral("^[0-9]+$"));
    return !digitsOnly.match(labels.last()).hasMatch();
}

std::optional<IrcIdentity> IrcIdentity::parse(const QString &text, const QList<quint16> &allowedPorts)
{
    const qsizetype at = text.indexOf(QLatin1Char('@'));
    if (at < 0)
        return std::nullopt;
    IrcIdentity identity;
    identity.nick = text.left(at);
    QString server = text.mid(at + 1);
    if (!isValidNick(identity.nick))
        return std::nullopt;

    QString portText;
    if (server.startsWith(QLatin1Char('['))) { // [IPv6] or [IPv6]:port
        const qsizetype close = server.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        const QString rest = server.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return std::nullopt;
        portText = rest.isEmpty() ? QString() : rest.mid(1);
        server = server.mid(1, close - 1);
        if (!isIpv6Literal(server) || (!rest.isEmpty() && portText.isEmpty()))
            return std::nullopt;
    } else if (server.count(QLatin1Char(':')) > 1) { // a bare IPv6 literal, no port
        if (!isIpv6Literal(server))
            return std::nullopt;
    } else {
        const qsizetype colon = server.indexOf(QLatin1Char(':'));
        if (colon >= 0) {
            portText = server.mid(colon + 1);
            server = server.left(colon);
            if (portText.isEmpty())
                return std::nullopt;
        }
        if (!isValidHostName(server) && !isIpv4Literal(server))
            return std::nullopt;
    }
    if (!portText.isEmpty()) {
        identity.port = allowedPort(portText, allowedPorts);
        if (!identity.port)
            return std::nullopt;
    }
    identity.host = server.toLower();
    return identity;
}
