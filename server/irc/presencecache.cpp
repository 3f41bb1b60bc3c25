#include "irc/presencecache.h"

std::optional<PresenceCache::Known> PresenceCache::find(const QByteArray &key, qint64 nowMs) const
{
    const auto found = m_entries.constFind(key);
    if (found == m_entries.cend() || nowMs - found->at >= m_lifetime)
        return std::nullopt;
    return found->known;
}

std::optional<PresenceCache::Known> PresenceCache::remembered(const QByteArray &key, qint64 nowMs) const
{
    const auto found = m_entries.constFind(key);
    if (found == m_entries.cend() || nowMs - found->at >= memoryMs())
        return std::nullopt;
    return found->known;
}

void PresenceCache::store(const QByteArray &key, const Known &known, qint64 nowMs)
{
    put(key, {known, nowMs}, nowMs);
}

PresenceCache::Known PresenceCache::observe(const QByteArray &key, Presence::Status status, qint64 nowMs, bool awayKnown)
{
    Known known{status, -1};
    const auto found = m_entries.constFind(key);
    if (found != m_entries.cend() && nowMs - found->at < memoryMs()) {
        const Known before = found->known;
        const bool here = status == Presence::Online || status == Presence::Away;
        const bool wasHere = before.status == Presence::Online || before.status == Presence::Away;
        if (!awayKnown && here && wasHere)
            known.sinceMs = before.status == Presence::Online ? before.sinceMs : -1;
        else
            known.sinceMs = before.status == status ? before.sinceMs : nowMs;
    }
    put(key, {known, nowMs}, nowMs);
    return known;
}

void PresenceCache::put(const QByteArray &key, const Entry &entry, qint64 nowMs)
{
    if (m_lifetime <= 0)
        return;
    if (m_entries.size() >= maxEntries && !m_entries.contains(key))
        dropForgotten(nowMs);
    if (m_entries.size() < maxEntries || m_entries.contains(key))
        m_entries.insert(key, entry);
}

// Past the bound, what no longer answers lookups goes first: remembering
// changes is worth less than answering.
void PresenceCache::dropForgotten(qint64 nowMs)
{
    for (auto it = m_entries.begin(); it != m_entries.end();)
        it = nowMs - it->at >= m_lifetime ? m_entries.erase(it) : std::next(it);
}
