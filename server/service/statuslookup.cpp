#include "service/statuslookup.h"

#include "model/clock.h"
#include "model/serverlog.h"
#include "model/serverstats.h"

StatusLookup::StatusLookup(ServerStats &stats, bool logLookups) : m_stats(stats), m_logLookups(logLookups)
{
}

void StatusLookup::setChecker(const QString &medium, PresenceChecker *checker)
{
    m_checkers.insert(medium, checker);
}

void StatusLookup::finish(const QString &medium, const QString &account, const Presence &presence,
                          const Done &done) const
{
    const StatusAnswer answer{medium, account, presence, Clock::current().wallOf(steadyMs())};
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
}

void StatusLookup::lookup(const Medium &medium, const QString &account, const QHostAddress &client, const Done &done)
{
    if (!medium.live)
        return finish(medium.name, account, Presence::unknown(Reason::NetworkClosed), done);
    PresenceChecker *checker = m_checkers.value(medium.name);
    if (!checker)
        return finish(medium.name, account, Presence::unknown(Reason::NotChecked), done);
    checker->check(account, client, [this, done, name = medium.name, account](const Presence &presence) {
        finish(name, account, presence, [this, &done](const StatusAnswer &answer) {
            m_recent.remember(answer);
            done(answer);
        });
    });
}

bool StatusLookup::lookupAtOnce(const Medium &medium, const QString &account, const Done &done) const
{
    if (!medium.live) {
        finish(medium.name, account, Presence::unknown(Reason::NetworkClosed), done);
        return true;
    }
    const std::optional<StatusAnswer> recent = m_recent.find(medium.name, account);
    if (!recent)
        return false;
    Presence presence = recent->presence;
    presence.cached = true;
    finish(medium.name, account, presence, done);
    return true;
}
