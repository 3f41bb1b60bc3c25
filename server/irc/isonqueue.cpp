#include "irc/isonqueue.h"

#include "irc/ircidentity.h"

#include <algorithm>
#include <utility>

IsonQueue::Added IsonQueue::add(const QByteArray &key, const QByteArray &nick, qint64 nowMs)
{
    if (contains(key))
        return Added::Joined;
    m_waiting.append({key, nick, nowMs});
    pack(nick);
    return Added::Queued;
}

void IsonQueue::pack(const QByteArray &nick)
{
    m_waitingBytes += bytesOf(nick);
    if (m_lines > 0 && m_lastLineBytes + bytesOf(nick) <= lineBytes) {
        m_lastLineBytes += bytesOf(nick);
    } else {
        ++m_lines;
        m_lastLineBytes = bytesOf(nick);
    }
}

void IsonQueue::remove(const QByteArray &key)
{
    if (!m_waiting.removeIf([&](const Entry &entry) { return entry.key == key; }))
        return;
    m_waitingBytes = 0;
    m_lines = 0;
    m_lastLineBytes = 0;
    for (const Entry &entry : std::as_const(m_waiting))
        pack(entry.nick);
}

int IsonQueue::linesWith(const QByteArray &nick) const
{
    return m_lines > 0 && m_lastLineBytes + bytesOf(nick) <= lineBytes ? m_lines : m_lines + 1;
}

bool IsonQueue::contains(const QByteArray &key) const
{
    const auto same = [&](const Entry &entry) { return entry.key == key; };
    return std::any_of(m_waiting.cbegin(), m_waiting.cend(), same)
           || std::any_of(m_inFlight.cbegin(), m_inFlight.cend(), same);
}

bool IsonQueue::lineIsFull() const
{
    return m_waitingBytes + IrcIdentity::maxNickLength + 1 > lineBytes;
}

QByteArray IsonQueue::takeLine()
{
    if (inFlight() || !hasWaiting())
        return {};
    QByteArray line = "ISON";
    while (!m_waiting.isEmpty() && line.size() + bytesOf(m_waiting.front().nick) <= IrcLine::maxLength) {
        line += ' ' + m_waiting.front().nick;
        m_waitingBytes -= bytesOf(m_waiting.front().nick);
        m_inFlight.append(m_waiting.takeFirst());
    }
    // The first of the packed lines is gone; the others stay as they were.
    if (--m_lines == 0)
        m_lastLineBytes = 0;
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
    m_waitingBytes = 0;
    m_lines = 0;
    m_lastLineBytes = 0;
    return all;
}
