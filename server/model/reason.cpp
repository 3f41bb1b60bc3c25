#include "model/reason.h"

#include <QList>

namespace Reasons {

QString wording(Reason reason)
{
    switch (reason) {
    case Reason::None: return {};
    case Reason::NetworkClosed: return QStringLiteral("network closed");
    case Reason::NotChecked: return QStringLiteral("not checked by this server");
    case Reason::NotAnIrcIdentity: return QStringLiteral("not a valid IRC identity");
    case Reason::AddressNotAllowed: return QStringLiteral("address not allowed");
    case Reason::Busy: return QStringLiteral("busy");
    case Reason::IrcServerNotFound: return QStringLiteral("IRC server not found");
    case Reason::NameNotResolvedInTime: return QStringLiteral("IRC server name not resolved in time");
    case Reason::NoConnectionInTime: return QStringLiteral("no connection to the IRC server in time");
    case Reason::ConnectionRefused: return QStringLiteral("connection refused");
    case Reason::ConnectionClosed: return QStringLiteral("connection closed");
    case Reason::ConnectionFailed: return QStringLiteral("connection failed");
    case Reason::TlsHandshakeFailed: return QStringLiteral("TLS handshake failed");
    case Reason::TlsNotTrusted: return QStringLiteral("TLS certificate not trusted");
    case Reason::NoRegistrationInTime: return QStringLiteral("no registration in time");
    case Reason::NoNickAccepted: return QStringLiteral("no nick accepted");
    case Reason::IsonNotAnswered: return QStringLiteral("the IRC server does not answer ISON");
    case Reason::NoAnswerInTime: return QStringLiteral("no answer from the IRC server in time");
    case Reason::ClosedByServer: return QStringLiteral("closed by the IRC server");
    case Reason::ServerWentSilent: return QStringLiteral("the IRC server went silent");
    case Reason::LineTooLong: return QStringLiteral("line too long from the IRC server");
    case Reason::ServerReadsNothing: return QStringLiteral("the IRC server reads nothing of what is sent to it");
    case Reason::NotAJabberId: return QStringLiteral("not a Jabber address");
    case Reason::NotShared: return QStringLiteral("has not shared presence with %1");
    case Reason::XmppUnreachable: return QStringLiteral("XMPP server unreachable");
    }
    return {};
}

QList<Reason> all()
{
    QList<Reason> reasons;
    for (int value = int(Reason::None) + 1; value <= int(Reason::XmppUnreachable); ++value)
        reasons.append(Reason(value));
    return reasons;
}

} // namespace Reasons
