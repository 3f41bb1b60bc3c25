#include "model/serverstats.h"

void ServerStats::countLookup(const QString &medium, Cache cache, Reason reason)
{
    const QMutexLocker locked(&m_lock);
    ++m_lookups[medium];
    m_nearHits += cache == Cache::Near;
    m_sharedHits += cache == Cache::Shared;
    if (reason != Reason::None)
        ++m_unknown[reason];
}

void ServerStats::countRequest(const QString &medium, const QString &form)
{
    const QString key = medium + QLatin1Char('/') + form;
    const QMutexLocker locked(&m_lock);
    ++m_requests[key];
}

void ServerStats::countNotModified()
{
    const QMutexLocker locked(&m_lock);
    ++m_notModified;
}

qint64 ServerStats::lookups(const QString &medium) const
{
    const QMutexLocker locked(&m_lock);
    return m_lookups.value(medium);
}

qint64 ServerStats::cacheHits() const
{
    const QMutexLocker locked(&m_lock);
    return m_nearHits + m_sharedHits;
}

qint64 ServerStats::nearHits() const
{
    const QMutexLocker locked(&m_lock);
    return m_nearHits;
}

qint64 ServerStats::sharedHits() const
{
    const QMutexLocker locked(&m_lock);
    return m_sharedHits;
}

qint64 ServerStats::unknownAnswers(Reason reason) const
{
    const QMutexLocker locked(&m_lock);
    return m_unknown.value(reason);
}

qint64 ServerStats::notModified() const
{
    const QMutexLocker locked(&m_lock);
    return m_notModified;
}

QMap<QString, qint64> ServerStats::requests() const
{
    const QMutexLocker locked(&m_lock);
    return m_requests;
}

void ServerStats::setCluster(const Cluster &cluster)
{
    const QMutexLocker locked(&m_lock);
    m_cluster = cluster;
}

ServerStats::Cluster ServerStats::cluster() const
{
    const QMutexLocker locked(&m_lock);
    return m_cluster;
}
