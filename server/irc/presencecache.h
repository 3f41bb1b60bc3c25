#pragma once

#include "model/presence.h"

#include <QByteArray>
#include <QHash>
#include <algorithm>
#include <optional>

// What one network last said about nicks, kept for a while so that a
// repeated lookup costs the network nothing, and since when each status has
// held where this server saw it change. Keys are folded nicks; time is
// milliseconds of the steady clock, passed in.
class PresenceCache
{
public:
    // What is known of a nick: its status and, where a change was seen, since when.
    struct Known
    {
        Presence::Status status = Presence::Unknown;
        qint64 sinceMs = -1; // on the steady clock; -1 when no change was seen
    };

    // Entries answer lookups for the given time (0 keeps nothing) and are
    // remembered for changeMemoryMs, so that a change between two checks
    // that far apart is still seen.
    explicit PresenceCache(qint64 lifetimeMs) : m_lifetime(lifetimeMs) {}

    // What is known of the nick, while it still answers lookups.
    std::optional<Known> find(const QByteArray &key, qint64 nowMs) const;
    // What is remembered of the nick, also past the time it answers lookups.
    std::optional<Known> remembered(const QByteArray &key, qint64 nowMs) const;
    // Keeps what another instance learnt, as it was learnt.
    void store(const QByteArray &key, const Known &known, qint64 nowMs);
    // What the network just said of the nick: a status other than the one
    // remembered is a change, which holds since now. A nick found online
    // whose away state could not be asked (awayKnown false) reads online,
    // with the time it had when it was online before: no change was seen.
    Known observe(const QByteArray &key, Presence::Status status, qint64 nowMs, bool awayKnown = true);
    int size() const { return int(m_entries.size()); }

    // Entries beyond this many are not kept, so strangers cannot fill memory.
    static inline constexpr int maxEntries = 4096;
    // How long a status is remembered for seeing it change.
    static inline constexpr qint64 changeMemoryMs = 60 * 60'000;

private:
    struct Entry
    {
        Known known;
        qint64 at; // when the network said it
    };
    void put(const QByteArray &key, const Entry &entry, qint64 nowMs);
    void dropForgotten(qint64 nowMs);
    qint64 memoryMs() const { return std::max(m_lifetime, changeMemoryMs); }

    qint64 m_lifetime;
    QHash<QByteArray, Entry> m_entries;
};
