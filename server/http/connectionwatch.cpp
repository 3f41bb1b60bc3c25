#include "http/connectionwatch.h"

#include "http/socketcalls.h"

#include <QDeadlineTimer>

#include <limits>


namespace {

qint64 now()
{
    return QDeadlineTimer::current().deadline();
}

} // namespace

ConnectionWatch::ConnectionWatch()
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { look(); });
    m_timer.start(tickMs);
}

ConnectionWatch::Visit *ConnectionWatch::open(int descriptor, const QHostAddress &peer, int forMs)
{
    auto *visit = new Visit{descriptor, peer};
    extend(visit, forMs);
    const QMutexLocker locked(&m_lock);
    m_visits.insert(visit);
    return visit;
}

// Called by the door before it closes the socket, so the socket the watch
// shuts down is never one that has been closed and opened again.
void ConnectionWatch::close(Visit *visit)
{
    {
        const QMutexLocker locked(&m_lock);
        m_visits.remove(visit);
    }
    delete visit;
}

void ConnectionWatch::extend(Visit *visit, int forMs)
{
    visit->until = now() + forMs;
}

void ConnectionWatch::endNow(Visit *visit)
{
    visit->until = std::numeric_limits<qint64>::max();
    SocketCalls::shutDown(visit->descriptor);
}

void ConnectionWatch::look()
{
    const qint64 at = now();
    const QMutexLocker locked(&m_lock);
    for (Visit *visit : std::as_const(m_visits))
        if (visit->until <= at)
            endNow(visit);
}
