// An IRC identity as typed in a status address, then the address policy on
// its host when that is an IP literal, as the dialer applies it before any
// connection; and the text itself as an address and as an allowed network.
#include "irc/addresspolicy.h"
#include "irc/ircidentity.h"

#include <cstdint>
#include <cstdlib>

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
        judge(identity->host);
    }
    judge(text);
    AddressPolicy policy;
    if (policy.allow(text))
        policy.allows(QHostAddress(QStringLiteral("192.0.2.1")));
    return 0;
}
