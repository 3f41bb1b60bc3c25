#pragma once

#include "http/connectionlimits.h"
#include "model/networklist.h"

#include <QHash>
#include <QHostAddress>
#include <QMutex>

#include <atomic>

// Counts the open connections of every port the server listens on, in all
// and per client address, against the limits. A trusted proxy's connections
// carry the requests of many clients: they count in all only, and the
// requests each forwarded client has in hand at once count for it instead.
// One book counts for the whole process: every worker thread of every port
// takes and gives places in it.
class ConnectionBook
{
public:
    // The lookup bound sets how long a request may be in the handler's hands.
    ConnectionBook(const ConnectionLimits &limits, int lookupBoundMs, const NetworkList &trustedProxies = {})
        : m_limits(limits), m_handlerAbortMs(ConnectionLimits::handlerAbortMs(lookupBoundMs)),
          m_trustedProxies(trustedProxies)
    {
    }

    bool admit(const QHostAddress &peer);
    void release(const QHostAddress &peer);
    // A request of a client behind a trusted proxy, while it is in hand.
    bool admitRequest(const QHostAddress &client);
    void releaseRequest(const QHostAddress &client);

    const ConnectionLimits &limits() const { return m_limits; }
    const NetworkList &trustedProxies() const { return m_trustedProxies; }
    int handlerAbortMs() const { return m_handlerAbortMs; }

    // Turned away since the start: past the limit in all, past one client's.
    qint64 refusedInAll() const { return m_refusedInAll; }
    qint64 refusedPerClient() const { return m_refusedPerClient; }
    // Connections open now, on every port.
    int open() const { return m_open; }

private:
    bool take(QHash<QHostAddress, int> &counts, const QHostAddress &client);
    static void give(QHash<QHostAddress, int> &counts, const QHostAddress &client);

    ConnectionLimits m_limits;
    int m_handlerAbortMs;
    NetworkList m_trustedProxies;
    QMutex m_lock; // over the counts below
    std::atomic<int> m_open{0};
    QHash<QHostAddress, int> m_perAddress;
    QHash<QHostAddress, int> m_requestsPerClient;
    std::atomic<qint64> m_refusedInAll{0};
    std::atomic<qint64> m_refusedPerClient{0};
};
