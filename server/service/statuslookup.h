#pragma once

#include "model/medium.h"
#include "model/presencechecker.h"
#include "model/statusanswer.h"

#include <QHash>
#include <functional>

class ServerStats;

// Answers a status address for each medium of the catalogue: a closed
// network's accounts read unknown at once, with no connection anywhere; a
// live medium's are asked of its checker. Every answer is counted, and
// logged with its account only when the operator asked for that.
class StatusLookup
{
public:
    using Done = std::function<void(const StatusAnswer &)>;

    explicit StatusLookup(ServerStats &stats, bool logLookups = false);

    // The checker of a live medium; the lookup does not own it.
    void setChecker(const QString &medium, PresenceChecker *checker);
    const PresenceChecker *checker(const QString &medium) const { return m_checkers.value(medium); }

    // Calls done exactly once, at once or when the checker answers.
    void lookup(const Medium &medium, const QString &account, const QHostAddress &client, const Done &done);

private:
    ServerStats &m_stats;
    bool m_logLookups;
    QHash<QString, PresenceChecker *> m_checkers;
};
