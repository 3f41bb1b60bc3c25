#include "irc/presencerequest.h"

#include <utility>

PresenceRequest::PresenceRequest(int boundMs, Answer answer, TimeoutReason timeoutReason, QObject *parent)
    : QObject(parent), m_answer(std::move(answer)), m_timeoutReason(std::move(timeoutReason))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        emit timedOut();
        finish(Presence::unknown(m_timeoutReason()));
    });
    m_deadline.start(boundMs);
}

void PresenceRequest::finish(const Presence &presence)
{
    if (!m_answer)
        return;
    m_deadline.stop();
    std::exchange(m_answer, {})(presence);
    deleteLater();
}
