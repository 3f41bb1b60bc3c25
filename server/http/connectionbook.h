#pragma once

#include "http/connectionlimits.h"

#include <QHash>
#include <QHostAddress>

// Counts the open connections of every port the server listens on, in all
// and per client address, against the limits.
class ConnectionBook
{
public:
    // The lookup bound sets how long a request may be in the handler's hands.
    ConnectionBook(const ConnectionLimits &limits, int lookupBoundMs)
        : m_limits(limits), m_handlerAbortMs(ConnectionLimits::handlerAbortMs(lookupBoundMs))
    {
    }

    bool admit(const QHostAddress &client);
    void release(const QHostAddress &client);

    const ConnectionLimits &limits() const { return m_limits; }
    int handlerAbortMs() const { return m_handlerAbortMs; }

private:
    ConnectionLimits m_limits;
    int m_handlerAbortMs;
    int m_open = 0;
    QHash<QHostAddress, int> m_perAddress;
};
