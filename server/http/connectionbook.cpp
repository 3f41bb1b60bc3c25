#include "http/connectionbook.h"

bool ConnectionBook::admit(const QHostAddress &client)
{
    if (m_open >= m_limits.maxConnections || m_perAddress.value(client) >= m_limits.maxPerAddress)
        return false;
    ++m_open;
    ++m_perAddress[client];
    return true;
}

void ConnectionBook::release(const QHostAddress &client)
{
    --m_open;
    if (--m_perAddress[client] <= 0)
        m_perAddress.remove(client);
}
