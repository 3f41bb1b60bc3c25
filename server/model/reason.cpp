#include "model/reason.h"

#include <QList>

namespace {

struct Entry
{
    Reason reason;
    const char *name;  // stable: the instances of a cluster pass reasons by it
    const char *words; // what people read
};

// Every reason but None, in the order of the enumeration.
constexpr Entry catalogue[] = {
    {Reason::NetworkClosed, "NetworkClosed", "network closed"},
    {Reason::NotChecked, "NotChecked", "not checked by this server"},
    {Reason::NotAnIrcIdentity, "NotAnIrcIdentity", "not a valid IRC identity"},
    {Reason::AddressNotAllowed, "AddressNotAllowed", "address not allowed"},
    {Reason::Busy, "Busy", "busy"},
    {Reason::IrcServerNotFound, "IrcServerNotFound", "IRC server not found"},
    {Reason::NameNotResolvedInTime, "NameNotResolvedInTime", "IRC server name not resolved in time"},
    {Reason::NoConnectionInTime, "NoConnectionInTime", "no connection to the IRC server in time"},
    {Reason::ConnectionRefused, "ConnectionRefused", "connection refused"},
    {Reason::ConnectionClosed, "ConnectionClosed", "connection closed"},
    {Reason::ConnectionFailed, "ConnectionFailed", "connection failed"},
    {Reason::TlsHandshakeFailed, "TlsHandshakeFailed", "TLS handshake failed"},
    {Reason::TlsNotTrusted, "TlsNotTrusted", "TLS certificate not trusted"},
    {Reason::NoRegistrationInTime, "NoRegistrationInTime", "no registration in time"},
    {Reason::NoNickAccepted, "NoNickAccepted", "no nick accepted"},
    {Reason::IsonNotAnswered, "IsonNotAnswered", "the IRC server does not answer ISON"},
    {Reason::NoAnswerInTime, "NoAnswerInTime", "no answer from the IRC server in time"},
    {Reason::ClosedByServer, "ClosedByServer", "closed by the IRC server"},
    {Reason::ServerWentSilent, "ServerWentSilent", "the IRC server went silent"},
    {Reason::LineTooLong, "LineTooLong", "line too long from the IRC server"},
    {Reason::ServerReadsNothing, "ServerReadsNothing", "the IRC server reads nothing of what is sent to it"},
    {Reason::NotAJabberId, "NotAJabberId", "not a Jabber address"},
    {Reason::NotShared, "NotShared", "has not shared presence with %1"},
    {Reason::XmppUnreachable, "XmppUnreachable", "XMPP server unreachable"},
    {Reason::TooManyNewNetworks, "TooManyNewNetworks", "too many new networks from your address"},
};

const Entry *entryOf(Reason reason)
{
    for (const Entry &entry : catalogue)
        if (entry.reason == reason)
            return &entry;
    return nullptr;
}

} // namespace

namespace Reasons {

QString wording(Reason reason)
{
    const Entry *entry = entryOf(reason);
    return entry ? QString::fromUtf8(entry->words) : QString();
}

QByteArray name(Reason reason)
{
    const Entry *entry = entryOf(reason);
    return entry ? QByteArray(entry->name) : QByteArray();
}

std::optional<Reason> named(const QByteArray &name)
{
    for (const Entry &entry : catalogue)
        if (name == entry.name)
            return entry.reason;
    return std::nullopt;
}

QList<Reason> all()
{
    QList<Reason> reasons;
    for (const Entry &entry : catalogue)
        reasons.append(entry.reason);
    return reasons;
}

} // namespace Reasons
