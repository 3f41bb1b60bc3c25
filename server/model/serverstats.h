#pragma once

#include "model/clock.h"
#include <QHash>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

#include "model/reason.h"

// What this server counts of its own work, for the live status page and the
// operator's metrics. The doors' threads count the answers they give
// themselves: each count is a counter of its own, by the medium's place in
// the catalogue, the form's number and the reason, so that counting takes
// no lock that the threads would wait on for each other.
class ServerStats
{
public:
    // Where an answer came from when it was not asked of the network then.
    enum class Cache { None, Near, Shared };

    // The names of the forms a status request is answered in, by their numbers.
    explicit ServerStats(const QStringList &formNames = {});

    // A lookup answered; an unknown answer with its reason.
    void countLookup(const QString &medium, Cache cache, Reason reason);
    // A status request answered in a form (by its number among the names).
    void countRequest(const QString &medium, int form);

    // A status request answered 304 Not Modified: the client's copy still holds.
    void countNotModified() { ++m_notModified; }

    qint64 uptimeSeconds() const { return (steadyMs() - m_startedMs) / 1000; }
    qint64 lookups(const QString &medium) const;
    qint64 cacheHits() const { return m_nearHits + m_sharedHits; }
    qint64 nearHits() const { return m_nearHits; }
    qint64 sharedHits() const { return m_sharedHits; }
    qint64 busyAnswers() const { return unknownAnswers(Reason::Busy); }
    // Unknown answers with this reason.
    qint64 unknownAnswers(Reason reason) const;
    qint64 notModified() const { return m_notModified; }
    // Requests by "medium/form", those asked at least once.
    QMap<QString, qint64> requests() const;

    // What every instance of a cluster counted together, as last read from
    // the store; instances 0 for a server alone.
    struct Cluster
    {
        int instances = 0;
        QMap<QString, qint64> lookups; // by medium
        qint64 cacheHits = 0;
        qint64 busyAnswers = 0;
    };
    void setCluster(const Cluster &cluster);
    Cluster cluster() const;

private:
    using Counters = std::unique_ptr<std::atomic<qint64>[]>;
    static int mediumIndex(const QString &medium);

    qint64 m_startedMs;
    QStringList m_formNames;
    int m_media;
    Counters m_lookups;  // by medium
    Counters m_requests; // by medium, then form
    Counters m_unknown;  // by reason: the catalogue bounds it
    std::atomic<qint64> m_nearHits{0};
    std::atomic<qint64> m_sharedHits{0};
    std::atomic<qint64> m_notModified{0};
    mutable QMutex m_clusterLock;
    Cluster m_cluster;
};
