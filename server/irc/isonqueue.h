#pragma once

#include "irc/ircmessage.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>

// The nicks waiting to be asked about on one network, and the ISON line in
// flight. Waiting nicks go out together in as few lines as fit the
// protocol's 510 bytes; only one line is in flight at a time, and its 303
// reply answers every nick it carried. A nick already waiting or in flight
// is not queued twice. Keys are the nicks as the network compares them
// (folded by its case mapping), kept with the nick as first asked. How many
// may wait is the network's to say (its waiting room): the queue counts the
// lines they take, each packed as full as the nicks allow.
class IsonQueue
{
public:
    // What the nicks of one line may take: " nick" each after "ISON".
    static inline constexpr int lineBytes = IrcLine::maxLength - 4;

    struct Entry
    {
        QByteArray key, nick;
        qint64 since = 0; // when it was first asked, on the steady clock
    };

    enum class Added { Queued, Joined };
    Added add(const QByteArray &key, const QByteArray &nick, qint64 nowMs);
    // Whether the nick is waiting or in flight already.
    bool contains(const QByteArray &key) const;
    // Takes a waiting nick out (not one in flight): nobody waits for it any more.
    void remove(const QByteArray &key);

    bool hasWaiting() const { return !m_waiting.isEmpty(); }
    bool inFlight() const { return !m_inFlight.isEmpty(); }
    int waitingCount() const { return int(m_waiting.size()); }
    // The bytes the waiting nicks take in lines, a space each.
    qint64 waitingBytes() const { return m_waitingBytes; }
    // The lines the waiting nicks take, and would take with one more.
    int waitingLines() const { return m_lines; }
    int linesWith(const QByteArray &nick) const;
    // Whether the next line would be full: no nick of the longest size would fit beside them.
    bool lineIsFull() const;
    // When the nick that has waited longest was asked.
    qint64 oldestSince() const { return m_waiting.isEmpty() ? 0 : m_waiting.front().since; }

    // Moves as many waiting nicks as fit into one ISON line and returns it;
    // empty when nothing waits or a line is already in flight.
    QByteArray takeLine();
    // The nicks of the line in flight, which is then done.
    QList<Entry> finishLine();
    // Every nick waiting or in flight; the queue is then empty.
    QList<Entry> takeAll();

    // The bytes one nick takes in a line.
    static qint64 bytesOf(const QByteArray &nick) { return nick.size() + 1; }

private:
    // Counts one more waiting nick into the packed lines.
    void pack(const QByteArray &nick);

    QList<Entry> m_waiting;
    QList<Entry> m_inFlight;
    qint64 m_waitingBytes = 0;
    // The waiting nicks packed into lines in their order, as takeLine()
    // takes them: how many lines, and the bytes of the last.
    int m_lines = 0;
    qint64 m_lastLineBytes = 0;
};
