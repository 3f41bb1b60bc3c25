#pragma once

#include "casemapping.h"
#include "floodbudget.h"
#include "ircsettings.h"
#include "isonqueue.h"
#include "presencecache.h"
#include "presencerequest.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QMultiHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

class AddressPolicy;
class IrcClient;
class IrcTransport;
class QHostInfo;

// Everything this server holds for one IRC network (a host, and the port
// when the identity named one): the persistent client connection, opened on
// the first lookup, the queue of nicks to ask about, the flood budget and
// the cache. The host is resolved once per connection and the connection
// goes to the address resolved, when the address policy allows it; without
// a named port TLS on the TLS port comes first, plain text after it.
class IrcNetwork : public QObject
{
    Q_OBJECT

public:
    using TransportFactory = std::function<IrcTransport *(QObject *parent)>;

    IrcNetwork(const QString &host, std::optional<quint16> port, const IrcSettings &settings,
               const AddressPolicy &policy, TransportFactory transports, QObject *parent = nullptr);
    ~IrcNetwork() override;

    void lookup(const QByteArray &nick, const PresenceRequest::Answer &answer);

    QString name() const;
    QString stateText() const;
    int queueLength() const { return m_queue.waitingCount() + (m_queue.inFlight() ? 1 : 0); }

signals:
    // Never reached: nothing waits any more and the network may be dropped.
    void unreachable(const QString &reason);
    // No lookups for the idle time: the connection was closed with QUIT.
    void idle();
    // One line for the log: connected, lost.
    void event(const QString &text);

private:
    enum class State { Disconnected, Resolving, Connecting, Registering, Ready, Waiting };
    struct Attempt
    {
        quint16 port;
        bool tls;
    };

    void connectNow();
    void onResolved(const QHostInfo &info);
    void tryNextAttempt();
    void onOpened();
    void onAttemptFailed(const QString &reason);
    void onReady();
    void onAnswered(const QList<IsonQueue::Entry> &online, const QList<IsonQueue::Entry> &offline);
    void onLost(const QString &reason);
    void giveUp(const QString &reason);
    void answer(const QByteArray &key, const Presence &presence);
    void answerAll(const QString &reason);
    void dropConnection();
    void onIdle();
    QString timeoutReason() const;
    qint64 now() const { return m_clock.elapsed(); }

    QString m_host;
    std::optional<quint16> m_port;
    const IrcSettings &m_settings;
    const AddressPolicy &m_policy;
    TransportFactory m_transports;

    IsonQueue m_queue;
    FloodBudget m_budget;
    PresenceCache m_cache;
    CaseMapping m_caseMapping;
    QMultiHash<QByteArray, QPointer<PresenceRequest>> m_waiting;

    State m_state = State::Disconnected;
    QHostAddress m_address;
    QList<Attempt> m_attempts;
    bool m_tls = false;
    bool m_tlsUnavailable = false; // learnt once, so reconnections skip straight to plain
    bool m_everRegistered = false;
    int m_resolveId = -1;
    IrcTransport *m_transport = nullptr;
    IrcClient *m_client = nullptr;
    QString m_lastFailure;
    int m_backoffMs;

    QElapsedTimer m_clock;
    QTimer m_connectTimer;
    QTimer m_reconnectTimer;
    QTimer m_idleTimer;
};
