// An IRC identity as typed in a status address, then the address policy on
// its host when that is an IP literal, as the dialer applies it before any
// connection; and the text itself as an address and as an allowed network.
#include "irc/addresspolicy.h"
#include "irc/ircidentity.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const QList<quint16> allowedPorts{6665, 6666, 6667, 6668, 6669, 6697, 7000};

void judge(const QString &host)
{
    const QHostAddress address(host);
    if (address.isNull())
        return;
    static const AddressPolicy strict;
    static const AddressPolicy loopback = [] {
        AddressPolicy policy;
        policy.allow(QStringLiteral("127.0.0.0/8"));
        policy.allow(QStringLiteral("::1/128"));
        return policy;
    }();
    const bool allowed = strict.allows(address);
    if (allowed && (address.isLoopback() || address.isMulticast() || address.isLinkLocal()))
        abort(); // nothing an operator did not allow reaches this machine or its links
    if (allowed && !loopback.allows(address))
        abort(); // allowing more never allows less
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const std::optional<IrcIdentity> identity = IrcIdentity::parse(text, allowedPorts)) {
        if (!IrcIdentity::isValidNick(identity->nick) || identity->nick.size() > IrcIdentity::maxNickLength)
            abort();
        if (identity->port && !allowedPorts.contains(*identity->port))
            abort();
        // Only what the rules name reaches a socket: nothing of the text's
        // other characters (line ends above all), whatever the parser's way.
        const auto only = [](const QString &part, const char *extra) {
            for (const QChar c : part) {
                const char16_t u = c.unicode();
                const bool plain = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
                if (!plain && (u == 0 || u >= 0x80 || !std::strchr(extra, char(u))))
                    abort();
            }
        };
        only(identity->nick, "[]\\`_^{|}-");
        only(identity->host, ".-:");
        // And the identity reads back as itself.
        const QString host = identity->host.contains(u':') ? u'[' + identity->host + u']' : identity->host;
        const QString again = identity->nick + u'@' + host
                              + (identity->port ? u':' + QString::number(*identity->port) : QString());
        const std::optional<IrcIdentity> reread = IrcIdentity::parse(again, allowedPorts);
        if (!reread || reread->nick != identity->nick || reread->host != identity->host || reread->port != identity->port)
            abort();
        judge(identity->host);
    }
    judge(text);
    AddressPolicy policy;
    if (policy.allow(text))
        policy.allows(QHostAddress(QStringLiteral("192.0.2.1")));
    return 0;
}
