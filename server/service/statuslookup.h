#pragma once

#include "model/medium.h"
#include "model/presencechecker.h"
#include "model/statusanswer.h"
#include "service/recentanswers.h"

#include <QHash>
#include <functional>

class ServerStats;

// Answers a status address for each medium of the catalogue: a closed
// network's accounts read unknown at once, with no connection anywhere; a
// live medium's are asked of its checker. Every answer is counted, and
// logged with its account only when the operator asked for that. The doors'
// threads answer at once what needs no checker: a closed network's
// accounts, and what a checker answered a moment ago (RecentAnswers).
class StatusLookup
{
public:
    using Done = std::function<void(const StatusAnswer &)>;

    explicit StatusLookup(ServerStats &stats, bool logLookups = false);

    // The checker of a live medium; the lookup does not own it.
    void setChecker(const QString &medium, PresenceChecker *checker);
    const PresenceChecker *checker(const QString &medium) const { return m_checkers.value(medium); }

    // In the event loop: calls done exactly once, at once or when the checker answers.
    void lookup(const Medium &medium, const QString &account, const QHostAddress &client, const Done &done);
    // On any thread: calls done at once and says so, or does nothing (the
    // lookup needs the event loop).
    bool lookupAtOnce(const Medium &medium, const QString &account, const Done &done) const;

private:
    void finish(const QString &medium, const QString &account, const Presence &presence, const Done &done) const;

    ServerStats &m_stats;
    RecentAnswers m_recent;
    bool m_logLookups;
    QHash<QString, PresenceChecker *> m_checkers;
};
