#include "irc/ircidentity.h"

#include <QHostAddress>

#include <algorithm>

namespace {

// Each status address of IRC is judged here, character by character: the
// rules are simple enough, and so no trailing line break slips past an end
// anchor.
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigitsOnly(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isDigit);
}

// The port text, when it is digits only and names an allowed port.
std::optional<quint16> allowedPort(QStringView text, const QList<quint16> &allowedPorts)
{
    if (text.size() > 5 || !isDigitsOnly(text))
        return std::nullopt;
    const uint port = text.toUInt();
    if (port > 65535 || !allowedPorts.contains(quint16(port)))
        return std::nullopt;
    return quint16(port);
}

// Dotted-quad decimal only: "127.1", "0x7f.0.0.1" and "0177.0.0.1" are
// spellings some resolvers take for loopback and are refused here.
bool isIpv4Literal(QStringView text)
{
    int parts = 0;
    for (const QStringView part : text.split(u'.')) {
        const bool leadingZero = part.size() > 1 && part.front() == u'0';
        if (++parts > 4 || part.size() > 3 || leadingZero || !isDigitsOnly(part) || part.toUInt() > 255)
            return false;
    }
    return parts == 4;
}

bool isIpv6Literal(const QString &text)
{
    // Hex digits, colons and dots (an IPv4 tail) only: no scope ids.
    const auto allowed = [](QChar c) {
        return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F') || c == u':' || c == u'.';
    };
    QHostAddress address;
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), allowed) && address.setAddress(text)
           && address.protocol() == QAbstractSocket::IPv6Protocol;
}

bool isNickSpecial(QChar c)
{
    return c == u'[' || c == u']' || c == u'\\' || c == u'`' || c == u'_' || c == u'^' || c == u'{' || c == u'|'
           || c == u'}';
}

// Letters, digits and hyphens, neither starting nor ending with a hyphen.
bool isValidLabel(QStringView label)
{
    const auto allowed = [](QChar c) { return isLetter(c) || isDigit(c) || c == u'-'; };
    return !label.isEmpty() && label.size() <= 63 && label.front() != u'-' && label.back() != u'-'
           && std::all_of(label.begin(), label.end(), allowed);
}

} // namespace

bool IrcIdentity::isValidNick(const QString &nick)
{
    if (nick.isEmpty() || nick.size() > maxNickLength || !(isLetter(nick.front()) || isNickSpecial(nick.front())))
        return false;
    const auto allowed = [](QChar c) { return isLetter(c) || isDigit(c) || isNickSpecial(c) || c == u'-'; };
    return std::all_of(nick.begin(), nick.end(), allowed);
}

bool IrcIdentity::isValidHostName(const QString &host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    const QList<QStringView> labels = QStringView(host).split(u'.');
    if (!std::all_of(labels.begin(), labels.end(), isValidLabel))
        return false;
    // A last label of digits only would make "127.1" a name; such text is
    // meant as an address and is judged as one.
    return !isDigitsOnly(labels.last());
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
