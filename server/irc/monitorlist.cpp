#include "irc/monitorlist.h"

#include <algorithm>

void MonitorList::setNetworkLimit(int limit)
{
    // A margin below the network's limit: its own count may differ from
    // ours for a moment (a removal not yet read), and a refusal costs lines.
    const int margin = std::max(1, limit / 10);
    m_limit = limit > 0 ? std::clamp(limit - margin, 0, maxMonitored) : 0;
    makeRoom();
}

void MonitorList::asked(const QByteArray &key, const QByteArray &nick)
{
    const quint64 ask = ++m_asks;
    if (auto watched = m_monitored.find(key); watched != m_monitored.end()) {
        watched->lastAsked = ask;
        return;
    }
    if (m_toAdd.contains(key))
        return;
    if (!m_askedOnce.contains(key)) {
        if (m_askedOnce.size() >= maxRemembered)
            m_askedOnce.clear(); // the demand of the last while is what counts
        m_askedOnce.insert(key, nick);
        return;
    }
    // Remembered also before the network has said whether it offers MONITOR.
    if (!available())
        return;
    m_askedOnce.remove(key);
    m_monitored.insert(key, {nick, ask, std::nullopt, std::nullopt});
    m_toAdd.insert(key, nick);
    m_toRemove.remove(key);
    makeRoom();
}

// The monitored nicks asked least recently go, until the list is within its limit.
void MonitorList::makeRoom()
{
    while (m_monitored.size() > m_limit) {
        const auto oldest = std::min_element(m_monitored.begin(), m_monitored.end(),
                                             [](const Watched &a, const Watched &b) { return a.lastAsked < b.lastAsked; });
        const QByteArray key = oldest.key();
        if (!m_toAdd.remove(key)) // never sent: nothing to take back
            m_toRemove.insert(key, oldest->nick);
        m_monitored.erase(oldest);
    }
}

std::optional<Presence::Status> MonitorList::state(const QByteArray &key) const
{
    const auto watched = m_monitored.constFind(key);
    if (watched == m_monitored.cend() || !watched->online)
        return std::nullopt;
    if (!*watched->online)
        return Presence::Offline;
    // Without away pushed, the network's word is only half the answer.
    if (!m_awayPushed || !watched->away)
        return std::nullopt;
    return *watched->away ? Presence::Away : Presence::Online;
}

bool MonitorList::awayUnknown(const QByteArray &key) const
{
    const auto watched = m_monitored.constFind(key);
    return watched != m_monitored.cend() && watched->online.value_or(false) && !(m_awayPushed && watched->away);
}

bool MonitorList::told(const QByteArray &key, bool online)
{
    const auto watched = m_monitored.find(key);
    if (watched == m_monitored.end())
        return false;
    // Coming online (again) says nothing of being away.
    if (watched->online != online)
        watched->away.reset();
    watched->online = online;
    return true;
}

bool MonitorList::toldAway(const QByteArray &key, bool away)
{
    const auto watched = m_monitored.find(key);
    if (!m_awayPushed || watched == m_monitored.end() || !watched->online.value_or(false))
        return false;
    watched->away = away;
    return true;
}

void MonitorList::refused(const QList<QByteArray> &keys)
{
    for (const QByteArray &key : keys)
        m_monitored.remove(key);
    m_limit = std::min(m_limit, int(m_monitored.size()));
}

QByteArray MonitorList::takeLine()
{
    const bool removing = !m_toRemove.isEmpty();
    QHash<QByteArray, QByteArray> &targets = removing ? m_toRemove : m_toAdd;
    if (targets.isEmpty())
        return {};
    QByteArray line = removing ? "MONITOR - " : "MONITOR + ";
    const qsizetype start = line.size();
    for (auto target = targets.begin(); target != targets.end();) {
        if (line.size() + (line.size() > start ? 1 : 0) + target->size() > IrcLine::maxLength)
            break;
        if (line.size() > start)
            line += ',';
        line += *target;
        target = targets.erase(target);
    }
    return line;
}

void MonitorList::clear()
{
    m_awayPushed = false;
    m_monitored.clear();
    m_toAdd.clear();
    m_toRemove.clear();
}
