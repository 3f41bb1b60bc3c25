#pragma once

#include <QElapsedTimer>
#include <QMap>
#include <QString>

// What the live status page shows of this server's own work.
class ServerStats
{
public:
    ServerStats() { m_started.start(); }

    void countLookup(const QString &medium, bool cached);

    qint64 uptimeSeconds() const { return m_started.elapsed() / 1000; }
    qint64 lookups(const QString &medium) const { return m_lookups.value(medium); }
    qint64 cacheHits() const { return m_cacheHits; }

private:
    QElapsedTimer m_started;
    QMap<QString, qint64> m_lookups;
    qint64 m_cacheHits = 0;
};
