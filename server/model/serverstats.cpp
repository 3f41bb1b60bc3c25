#include "model/serverstats.h"

#include "model/medium.h"

namespace {

std::unique_ptr<std::atomic<qint64>[]> counters(int count)
{
    auto made = std::make_unique<std::atomic<qint64>[]>(size_t(count));
    for (int i = 0; i < count; ++i)
        made[size_t(i)] = 0;
    return made;
}

} // namespace

ServerStats::ServerStats(const QStringList &formNames)
    : m_formNames(formNames), m_media(int(Media::all().size())), m_lookups(counters(m_media)),
      m_requests(counters(m_media * qMax(1, int(formNames.size())))), m_unknown(counters(int(Reasons::all().size()) + 1))
{
    m_startedMs = steadyMs();
}

int ServerStats::mediumIndex(const QString &medium)
{
    const Medium *found = Media::find(medium);
    return found ? int(found - Media::all().constData()) : -1;
}

void ServerStats::countLookup(const QString &medium, Cache cache, Reason reason)
{
    if (const int at = mediumIndex(medium); at >= 0)
        ++m_lookups[size_t(at)];
    if (cache == Cache::Near)
        ++m_nearHits;
    if (cache == Cache::Shared)
        ++m_sharedHits;
    if (reason != Reason::None)
        ++m_unknown[size_t(reason)];
}

void ServerStats::countRequest(const QString &medium, int form)
{
    const int at = mediumIndex(medium);
    if (at >= 0 && form >= 0 && form < m_formNames.size())
        ++m_requests[size_t(at * m_formNames.size() + form)];
}

qint64 ServerStats::lookups(const QString &medium) const
{
    const int at = mediumIndex(medium);
    return at < 0 ? 0 : m_lookups[size_t(at)].load();
}

qint64 ServerStats::unknownAnswers(Reason reason) const
{
    return m_unknown[size_t(reason)];
}

QMap<QString, qint64> ServerStats::requests() const
{
    QMap<QString, qint64> asked;
    for (int medium = 0; medium < m_media; ++medium)
        for (int form = 0; form < m_formNames.size(); ++form)
            if (const qint64 count = m_requests[size_t(medium * m_formNames.size() + form)])
                asked.insert(Media::all().at(medium).name + QLatin1Char('/') + m_formNames.at(form), count);
    return asked;
}

void ServerStats::setCluster(const Cluster &cluster)
{
    const QMutexLocker locked(&m_clusterLock);
    m_cluster = cluster;
}

ServerStats::Cluster ServerStats::cluster() const
{
    const QMutexLocker locked(&m_clusterLock);
    return m_cluster;
}
