#pragma once

#include "model/presence.h"

#include <QObject>
#include <QTimer>
#include <functional>

// One lookup waiting for its network: answered exactly once, by the
// network or, when the bound passes first, as unknown with the reason the
// network gives at that moment. The request deletes itself once answered.
class PresenceRequest : public QObject
{
    Q_OBJECT

public:
    using Answer = std::function<void(const Presence &)>;
    using TimeoutReason = std::function<Reason()>;

    PresenceRequest(int boundMs, Answer answer, TimeoutReason timeoutReason, QObject *parent = nullptr);

    void finish(const Presence &presence);

signals:
    // The bound passed before any answer; the unknown answer follows.
    void timedOut();

private:
    Answer m_answer;
    TimeoutReason m_timeoutReason;
    QTimer m_deadline;
};
