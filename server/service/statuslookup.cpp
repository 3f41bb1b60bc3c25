#include "service/statuslookup.h"

#include "model/serverlog.h"
#include "model/serverstats.h"

StatusLookup::StatusLookup(ServerStats &stats, bool logLookups) : m_stats(stats), m_logLookups(logLookups)
{
}

void StatusLookup::setChecker(const QString &medium, PresenceChecker *checker)
{
    m_checkers.insert(medium, checker);
}

void StatusLookup::lookup(const Medium &medium, const QString &account, const QHostAddress &client, const Done &done)
{
    const auto finish = [this, done, name = medium.name, account](const Presence &presence) {
        const StatusAnswer answer{name, account, presence, QDateTime::currentDateTimeUtc()};
        m_stats.countLookup(answer.medium, presence.shared   ? ServerStats::Cache::Shared
                            : presence.cached ? ServerStats::Cache::Near
                                              : ServerStats::Cache::None,
                            presence.reason);
        if (m_logLookups)
            ServerLog::line(QStringLiteral("lookup %1/%2: %3%4")
                                .arg(answer.medium, answer.account.left(200), Presence::statusName(presence.status),
                                     presence.reason == Reason::None
                                         ? QString()
                                         : QStringLiteral(" (%1)").arg(presence.reasonText())));
        done(answer);
    };
    if (!medium.live)
        return finish(Presence::unknown(Reason::NetworkClosed));
    PresenceChecker *checker = m_checkers.value(medium.name);
    if (!checker)
        return finish(Presence::unknown(Reason::NotChecked));
    checker->check(account, client, finish);
}
