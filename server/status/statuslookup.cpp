#include "statuslookup.h"

#include "irc/ircidentity.h"
#include "irc/ircpresence.h"
#include "serverlog.h"
#include "serverstats.h"

StatusLookup::StatusLookup(IrcPresence &irc, const QList<quint16> &ircPorts, ServerStats &stats, bool logLookups)
    : m_irc(irc), m_ircPorts(ircPorts), m_stats(stats), m_logLookups(logLookups)
{
}

const QStringList &StatusLookup::media()
{
    static const QStringList all{QStringLiteral("msn"), QStringLiteral("aim"), QStringLiteral("yahoo"),
                                 QStringLiteral("icq"), QStringLiteral("irc")};
    return all;
}

void StatusLookup::lookup(const QString &medium, const QString &account, const Done &done)
{
    StatusAnswer answer{medium, account, StatusAnswer::Unknown, {}, {}, false};
    const auto finish = [this, done](StatusAnswer finished) {
        finished.checked = QDateTime::currentDateTimeUtc();
        m_stats.countLookup(finished.medium, finished.cached);
        if (m_logLookups)
            ServerLog::line(QStringLiteral("lookup %1/%2: %3%4").arg(finished.medium, finished.account.left(200),
                            StatusAnswer::statusName(finished.status),
                            finished.reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(finished.reason)));
        done(finished);
    };
    if (medium != QLatin1String("irc")) {
        answer.reason = QStringLiteral("network closed");
        return finish(answer);
    }
    const auto identity = IrcIdentity::parse(account, m_ircPorts);
    if (!identity) {
        answer.reason = QStringLiteral("not a valid IRC identity");
        return finish(answer);
    }
    m_irc.lookup(*identity, [answer, finish](const Presence &presence) mutable {
        answer.status = presence.status == Presence::Online    ? StatusAnswer::Online
                        : presence.status == Presence::Offline ? StatusAnswer::Offline
                                                               : StatusAnswer::Unknown;
        answer.reason = presence.reason;
        answer.cached = presence.cached;
        finish(answer);
    });
}
