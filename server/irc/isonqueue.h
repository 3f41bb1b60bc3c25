#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QStringList>

// The nicks waiting to be asked about on one network, and the ISON line in
// flight. Waiting nicks go out together in as few lines as fit the
// protocol's 510 bytes; only one line is in flight at a time, and its 303
// reply answers every nick it carried. A nick already waiting or in flight
// is not queued twice. Keys are the nicks as the network compares them
// (folded by its case mapping), kept with the nick as first asked.
class IsonQueue
{
public:
    // At most this many distinct nicks wait at once.
    explicit IsonQueue(int capacity) : m_capacity(capacity) {}

    enum class Added { Queued, Joined, Full };
    Added add(const QByteArray &key, const QByteArray &nick);

    bool hasWaiting() const { return !m_waiting.isEmpty(); }
    bool inFlight() const { return !m_inFlight.isEmpty(); }
    int waitingCount() const { return int(m_waiting.size()); }
    int capacity() const { return m_capacity; }

    // Moves as many waiting nicks as fit into one ISON line and returns it;
    // empty when nothing waits or a line is already in flight.
    QByteArray takeLine();

    struct Entry
    {
        QByteArray key, nick;
    };
    // The nicks of the line in flight, which is then done.
    QList<Entry> finishLine();
    // Every nick waiting or in flight; the queue is then empty.
    QList<Entry> takeAll();

private:
    int m_capacity;
    QList<Entry> m_waiting;
    QList<Entry> m_inFlight;
};
