#include "http/connectionbook.h"

bool ConnectionBook::admit(const QHostAddress &peer)
{
    const QMutexLocker locked(&m_lock);
    if (m_open >= m_limits.maxConnections) {
        ++m_refusedInAll;
        return false;
    }
    if (!m_trustedProxies.contains(peer) && !take(m_perAddress, peer))
        return false;
    ++m_open;
    return true;
}

void ConnectionBook::release(const QHostAddress &peer)
{
    const QMutexLocker locked(&m_lock);
    --m_open;
    if (!m_trustedProxies.contains(peer))
        give(m_perAddress, peer);
}

bool ConnectionBook::admitRequest(const QHostAddress &client)
{
    const QMutexLocker locked(&m_lock);
    return take(m_requestsPerClient, client);
}

void ConnectionBook::releaseRequest(const QHostAddress &client)
{
    const QMutexLocker locked(&m_lock);
    give(m_requestsPerClient, client);
}

bool ConnectionBook::take(QHash<QHostAddress, int> &counts, const QHostAddress &client)
{
    int &count = counts[client];
    if (count >= m_limits.maxPerClient) {
        ++m_refusedPerClient;
        return false;
    }
    ++count;
    return true;
}

void ConnectionBook::give(QHash<QHostAddress, int> &counts, const QHostAddress &client)
{
    if (--counts[client] <= 0)
        counts.remove(client);
}
