#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QTimer>

class ServerStats;
class SharedStore;

// The cluster's counters: each instance adds what it counted since last time
// to totals in the store, says it is alive, and reads back the totals and
// how many instances are alive, for the status page.
class ClusterCounters : public QObject
{
    Q_OBJECT

public:
    ClusterCounters(ServerStats &stats, SharedStore &store, const QString &instance, QObject *parent = nullptr);

    // How often the counts are added up: the status page is this late at most.
    static constexpr int flushMs = 5'000;
    // An instance not heard of for this long is no longer counted as alive.
    static constexpr int aliveMs = 3 * flushMs;

    void flush();

private:
    QMap<QByteArray, qint64> counts() const;
    void readTotals();

    ServerStats &m_stats;
    SharedStore &m_store;
    QByteArray m_instance;
    QMap<QByteArray, qint64> m_added; // what the store's totals hold of this instance
    QTimer m_timer;
};
