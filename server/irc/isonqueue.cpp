#include "irc/isonqueue.h"

#include "irc/ircmessage.h"

#include <algorithm>
#include <utility>

IsonQueue::Added IsonQueue::add(const QByteArray &key, const QByteArray &nick)
{
    const auto same = [&](const Entry &entry) { return entry.key == key; };
    if (std::any_of(m_waiting.cbegin(), m_waiting.cend(), same)
        || std::any_of(m_inFlight.cbegin(), m_inFlight.cend(), same))
        return Added::Joined;
    if (m_waiting.size() >= m_capacity)
        return Added::Full;
    m_waiting.append({key, nick});
    return Added::Queued;
}

QByteArray IsonQueue::takeLine()
{
    if (inFlight() || !hasWaiting())
        return {};
    QByteArray line = "ISON";
    while (!m_waiting.isEmpty() && line.size() + 1 + m_waiting.front().nick.size() <= IrcLine::maxLength) {
        line += ' ' + m_waiting.front().nick;
        m_inFlight.append(m_waiting.takeFirst());
    }
    return m_inFlight.isEmpty() ? QByteArray() : line;
}

QList<IsonQueue::Entry> IsonQueue::finishLine()
{
    return std::exchange(m_inFlight, {});
}

QList<IsonQueue::Entry> IsonQueue::takeAll()
{
    QList<Entry> all = std::exchange(m_inFlight, {});
    all += std::exchange(m_waiting, {});
    return all;
}
