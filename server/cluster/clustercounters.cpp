#include "cluster/clustercounters.h"

#include "model/clock.h"
#include "model/medium.h"
#include "model/serverstats.h"
#include "cluster/clusterprotocol.h"
#include "store/sharedstore.h"

#include <QDateTime>

namespace {

const QByteArray lookupsPrefix = QByteArrayLiteral("lookups:");

} // namespace

ClusterCounters::ClusterCounters(ServerStats &stats, SharedStore &store, const QString &instance, QObject *parent)
    : QObject(parent), m_stats(stats), m_store(store), m_instance(instance.toUtf8())
{
    m_timer.setInterval(flushMs);
    connect(&m_timer, &QTimer::timeout, this, &ClusterCounters::flush);
    m_timer.start();
}

QMap<QByteArray, qint64> ClusterCounters::counts() const
{
    QMap<QByteArray, qint64> counts;
    for (const Medium &medium : Media::all())
        counts.insert(lookupsPrefix + medium.name.toUtf8(), m_stats.lookups(medium.name));
    counts.insert(QByteArrayLiteral("cachehits"), m_stats.cacheHits());
    counts.insert(QByteArrayLiteral("busy"), m_stats.busyAnswers());
    return counts;
}

void ClusterCounters::flush()
{
    if (!m_store.up())
        return;
    const QMap<QByteArray, qint64> now = counts();
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const qint64 delta = it.value() - m_added.value(it.key());
        if (delta == 0)
            continue;
        m_added[it.key()] += delta;
        // Counted again next time if the store did not take it.
        m_store.command({QByteArrayLiteral("HINCRBY"), ClusterProtocol::countersKey(), it.key(), QByteArray::number(delta)},
                        [this, key = it.key(), delta](const StoreReply &reply) {
                            if (!reply.ok)
                                m_added[key] -= delta;
                        });
    }
    const qint64 wall = Clock::current().wallMs();
    m_store.command({QByteArrayLiteral("ZADD"), ClusterProtocol::instancesKey(), QByteArray::number(wall), m_instance});
    m_store.command({QByteArrayLiteral("ZREMRANGEBYSCORE"), ClusterProtocol::instancesKey(), "-inf", QByteArray::number(wall - aliveMs)});
    readTotals();
}

void ClusterCounters::readTotals()
{
    m_store.command({QByteArrayLiteral("ZCARD"), ClusterProtocol::instancesKey()}, [this](const StoreReply &instances) {
        if (!instances.ok)
            return;
        m_store.command({QByteArrayLiteral("HGETALL"), ClusterProtocol::countersKey()}, [this, alive = instances.number](const StoreReply &totals) {
            if (!totals.ok)
                return;
            ServerStats::Cluster cluster;
            cluster.instances = int(alive);
            for (qsizetype i = 0; i + 1 < totals.items.size(); i += 2) {
                const QByteArray &name = totals.items.at(i);
                const qint64 value = totals.items.at(i + 1).toLongLong();
                if (name.startsWith(lookupsPrefix))
                    cluster.lookups.insert(QString::fromUtf8(name.mid(lookupsPrefix.size())), value);
                else if (name == "cachehits")
                    cluster.cacheHits = value;
                else if (name == "busy")
                    cluster.busyAnswers = value;
            }
            m_stats.setCluster(cluster);
        });
    });
}
