#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QMutex>
#include <QString>

#include "model/reason.h"

// What this server counts of its own work, for the live status page and the
// operator's metrics. The doors' threads count the answers they give
// themselves: every count and reading is under one lock.
class ServerStats
{
public:
    // Where an answer came from when it was not asked of the network then.
    enum class Cache { None, Near, Shared };

    ServerStats() { m_started.start(); }

    // A lookup answered; an unknown answer with its reason.
    void countLookup(const QString &medium, Cache cache, Reason reason);
    // A status request answered in a form ("picture", "page", "text", "json").
    void countRequest(const QString &medium, const QString &form);

    // A status request answered 304 Not Modified: the client's copy still holds.
    void countNotModified();

    qint64 uptimeSeconds() const { return m_started.elapsed() / 1000; }
    qint64 lookups(const QString &medium) const;
    qint64 cacheHits() const;
    qint64 nearHits() const;
    qint64 sharedHits() const;
    qint64 busyAnswers() const { return unknownAnswers(Reason::Busy); }
    // Unknown answers with this reason.
    qint64 unknownAnswers(Reason reason) const;
    qint64 notModified() const;
    // Requests by "medium/form".
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
    QElapsedTimer m_started;
    mutable QMutex m_lock; // over the counts below
    QMap<QString, qint64> m_lookups;
    QMap<QString, qint64> m_requests;
    qint64 m_nearHits = 0;
    qint64 m_sharedHits = 0;
    QMap<Reason, qint64> m_unknown; // by reason: the catalogue bounds it
    qint64 m_notModified = 0;
    Cluster m_cluster;
};
