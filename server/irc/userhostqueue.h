#pragma once

#include <QByteArray>
#include <QList>

// The nicks found online whose lookups wait to hear whether they are away,
// asked with USERHOST: every server has it, and its 302 reply marks each
// nick "+" (here) or "-" (away). Five nicks a line, which every server
// takes; one line in flight at a time. Each nick waits until the moment its
// line must leave for the answer to come within its lookup's bound; then
// it is answered online, as the network already said, without its away.
class UserhostQueue
{
public:
    static inline constexpr int nicksPerLine = 5;

    struct Entry
    {
        QByteArray key, nick;
        qint64 dueMs = 0; // the line must leave by then, on the steady clock
    };

    // A nick already waiting or in flight is not queued twice.
    void add(const QByteArray &key, const QByteArray &nick, qint64 dueMs);
    bool contains(const QByteArray &key) const;
    // Takes a waiting nick out: nobody waits for it any more.
    void remove(const QByteArray &key);

    bool hasWaiting() const { return !m_waiting.isEmpty(); }
    bool inFlight() const { return !m_inFlight.isEmpty(); }
    // When the first waiting nick is due.
    qint64 earliestDueMs() const;

    // The next line of up to five waiting nicks; empty when nothing waits
    // or a line is in flight.
    QByteArray takeLine();
    // The nicks of the line in flight, which is then done.
    QList<Entry> finishLine() { return std::exchange(m_inFlight, {}); }
    // The waiting nicks whose time to be asked has passed.
    QList<Entry> takeDue(qint64 nowMs);
    // Every nick waiting or in flight; the queue is then empty.
    QList<Entry> takeAll();

private:
    QList<Entry> m_waiting;
    QList<Entry> m_inFlight;
};
