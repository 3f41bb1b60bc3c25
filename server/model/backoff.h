#pragma once

#include <algorithm>

// The wait before the next attempt to reach something that went away: the
// first wait, doubling at each failed attempt up to the most, and the
// first again once it was reached. A lost peer is tried again soon, but a
// long absence is not hammered.
class Backoff
{
public:
    constexpr Backoff(int firstMs, int maxMs) : m_firstMs(firstMs), m_maxMs(maxMs), m_nextMs(firstMs) {}

    // The wait before this attempt; the one after it is twice as long.
    int next()
    {
        const int wait = m_nextMs;
        m_nextMs = std::min(m_nextMs * 2, m_maxMs);
        return wait;
    }
    // Reached again: the next loss starts from the first wait.
    void reset() { m_nextMs = m_firstMs; }

private:
    int m_firstMs;
    int m_maxMs;
    int m_nextMs;
};
