#include "irc/userhostqueue.h"

#include <algorithm>
#include <utility>

namespace {

bool holds(const QList<UserhostQueue::Entry> &entries, const QByteArray &key)
{
    return std::any_of(entries.cbegin(), entries.cend(), [&](const UserhostQueue::Entry &entry) { return entry.key == key; });
}

} // namespace

void UserhostQueue::add(const QByteArray &key, const QByteArray &nick, qint64 dueMs)
{
    if (!contains(key))
        m_waiting.append({key, nick, dueMs});
}

bool UserhostQueue::contains(const QByteArray &key) const
{
    return holds(m_waiting, key) || holds(m_inFlight, key);
}

void UserhostQueue::remove(const QByteArray &key)
{
    m_waiting.removeIf([&](const Entry &entry) { return entry.key == key; });
}

qint64 UserhostQueue::earliestDueMs() const
{
    qint64 due = std::numeric_limits<qint64>::max();
    for (const Entry &entry : m_waiting)
        due = std::min(due, entry.dueMs);
    return due;
}

QByteArray UserhostQueue::takeLine()
{
    if (m_waiting.isEmpty() || !m_inFlight.isEmpty())
        return {};
    QByteArray line = "USERHOST";
    while (!m_waiting.isEmpty() && m_inFlight.size() < nicksPerLine) {
        line += ' ' + m_waiting.front().nick;
        m_inFlight.append(m_waiting.takeFirst());
    }
    return line;
}

QList<UserhostQueue::Entry> UserhostQueue::takeDue(qint64 nowMs)
{
    QList<Entry> due;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (it->dueMs <= nowMs) {
            due.append(*it);
            it = m_waiting.erase(it);
        } else {
            ++it;
        }
    }
    return due;
}

QList<UserhostQueue::Entry> UserhostQueue::takeAll()
{
    QList<Entry> all = std::exchange(m_inFlight, {});
    all += std::exchange(m_waiting, {});
    return all;
}
