#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// What the IRC side says about one nick.
struct Presence
{
    enum Status { Online, Offline, Unknown };
    Status status = Unknown;
    QString reason;      // why unknown; empty otherwise
    bool cached = false; // answered from what the network said a moment ago

    static Presence unknown(const QString &why) { return {Unknown, why, false}; }
};

// One lookup waiting for its network: answered exactly once, by the
// network or, when the bound passes first, as unknown with the reason the
// network gives at that moment. The request deletes itself once answered.
class PresenceRequest : public QObject
{
    Q_OBJECT

public:
    using Answer = std::function<void(const Presence &)>;
    using Reason = std::function<QString()>;

    PresenceRequest(int boundMs, Answer answer, Reason timeoutReason, QObject *parent = nullptr);

    void finish(const Presence &presence);

private:
    Answer m_answer;
    Reason m_timeoutReason;
    QTimer m_deadline;
};
