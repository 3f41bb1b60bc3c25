#include "irc/floodbudget.h"

#include <algorithm>
#include <limits>

FloodBudget::FloodBudget(int burst, int intervalMs)
    : m_capacity(qint64(std::max(burst, 1)) * intervalMs), m_interval(intervalMs), m_credit(m_capacity)
{
}

qint64 FloodBudget::credit(qint64 nowMs) const
{
    if (m_at < 0)
        return m_credit;
    return std::min(m_capacity, m_credit + std::max<qint64>(0, nowMs - m_at));
}

bool FloodBudget::take(qint64 nowMs)
{
    const qint64 available = credit(nowMs);
    if (available < m_interval)
        return false;
    m_credit = available - m_interval;
    m_at = nowMs;
    return true;
}

int FloodBudget::linesWithin(qint64 nowMs, qint64 withinMs) const
{
    return int((credit(nowMs) + std::max<qint64>(0, withinMs)) / m_interval);
}

int FloodBudget::answersWithin(qint64 withinMs) const
{
    if (m_answerMs <= 1)
        return std::numeric_limits<int>::max();
    return int(std::clamp<qint64>(withinMs / m_answerMs, 0, std::numeric_limits<int>::max()));
}

void FloodBudget::answeredAfter(qint64 tookMs)
{
    const qint64 took = std::max<qint64>(0, tookMs);
    m_answerMs = took >= m_answerMs ? took : (3 * m_answerMs + took) / 4;
}

qint64 FloodBudget::wait(qint64 nowMs) const
{
    return std::max<qint64>(0, m_interval - credit(nowMs));
}
