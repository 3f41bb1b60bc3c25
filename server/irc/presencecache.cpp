#include "irc/presencecache.h"

std::optional<bool> PresenceCache::find(const QByteArray &key, qint64 nowMs) const
{
    const auto found = m_entries.constFind(key);
    if (found == m_entries.cend() || nowMs - found->at >= m_lifetime)
        return std::nullopt;
    return found->online;
}

void PresenceCache::store(const QByteArray &key, bool online, qint64 nowMs)
{
    if (m_lifetime <= 0)
        return;
    if (m_entries.size() >= maxEntries)
        dropExpired(nowMs);
    if (m_entries.size() < maxEntries || m_entries.contains(key))
        m_entries.insert(key, {online, nowMs});
}

void PresenceCache::dropExpired(qint64 nowMs)
{
    for (auto it = m_entries.begin(); it != m_entries.end();)
        it = nowMs - it->at >= m_lifetime ? m_entries.erase(it) : std::next(it);
}
