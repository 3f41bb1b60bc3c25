#pragma once

#include <QByteArray>
#include <QHash>
#include <optional>

// What one network last said about nicks, kept for a while so that a
// repeated lookup costs the network nothing. Keys are folded nicks; time is
// passed in (milliseconds of a steady clock).
class PresenceCache
{
public:
    // Entries live for the given time; 0 keeps nothing.
    explicit PresenceCache(qint64 lifetimeMs) : m_lifetime(lifetimeMs) {}

    // Whether the nick was online, when that is still known.
    std::optional<bool> find(const QByteArray &key, qint64 nowMs) const;
    void store(const QByteArray &key, bool online, qint64 nowMs);
    int size() const { return int(m_entries.size()); }

    // Entries beyond this many are not kept, so strangers cannot fill memory.
    static inline constexpr int maxEntries = 4096;

private:
    struct Entry
    {
        bool online;
        qint64 at;
    };
    void dropExpired(qint64 nowMs);

    qint64 m_lifetime;
    QHash<QByteArray, Entry> m_entries;
};
