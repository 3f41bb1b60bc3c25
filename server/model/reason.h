#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Why an answer is unknown. The wording is an interface: it is the "reason"
// of a JSON answer, it follows the status in the logs, and people read it on
// the status page; this catalogue is the one place of it.
enum class Reason {
    None,                  // the answer is known
    NetworkClosed,         // the medium's network has closed
    NotChecked,            // a live medium this server has no checker for
    NotAnIrcIdentity,
    AddressNotAllowed,     // the host is one this server does not connect to for strangers
    Busy,                  // every connection or waiting place is taken
    IrcServerNotFound,
    NameNotResolvedInTime,
    NoConnectionInTime,
    ConnectionRefused,
    ConnectionClosed,
    ConnectionFailed,      // any other socket error
    TlsHandshakeFailed,
    TlsNotTrusted,
    NoRegistrationInTime,
    NoNickAccepted,
    IsonNotAnswered,       // the network does not know ISON
    NoAnswerInTime,
    ClosedByServer,
    ServerWentSilent,
    LineTooLong,
    ServerReadsNothing,
    NotAJabberId,
    NotShared,             // not a contact of the server's Jabber account; names that account
    XmppUnreachable,       // the server's own XMPP server, while it is reconnecting
    TooManyNewNetworks,    // the client's share of networks not yet welcomed is taken
};

namespace Reasons {

// The words of a reason; empty for None.
QString wording(Reason reason);

// A reason's name ("NoAnswerInTime"), which never changes: the instances of
// a cluster, of this version and others, pass reasons by it. Empty for None.
QByteArray name(Reason reason);
// The reason of a name; none for a name this version does not know.
std::optional<Reason> named(const QByteArray &name);

// Every reason but None, in the order of the enumeration (for the README's
// list and the tests).
QList<Reason> all();

} // namespace Reasons
