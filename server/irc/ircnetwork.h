#pragma once

#include "model/backoff.h"
#include "irc/casemapping.h"
#include "irc/ircclient.h"
#include "irc/floodbudget.h"
#include "irc/ircdialer.h"
#include "irc/ircsettings.h"
#include "irc/isonqueue.h"
#include "irc/monitorlist.h"
#include "irc/presencecache.h"
#include "irc/presencerequest.h"
#include "model/clock.h"

#include <QHostAddress>
#include <QMultiHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

class AddressPolicy;
class IrcTransport;

// Everything this server holds for one IRC network (a host, and the port
// when the identity named one): the persistent client connection, opened by
// the dialer on the first lookup, the lookups waiting, the queue of nicks to
// ask about, the flood budget and the cache. A network that once answered
// and is lost is reconnected after a pause that doubles with each failure.
class IrcNetwork : public QObject
{
    Q_OBJECT

public:
    using TransportFactory = IrcDialer::TransportFactory;

    IrcNetwork(const QString &host, std::optional<quint16> port, const IrcSettings &settings,
               const AddressPolicy &policy, TransportFactory transports, QObject *parent = nullptr);

    void lookup(const QByteArray &nick, const PresenceRequest::Answer &answer);

    QString name() const;
    QString stateText() const;
    // How the network is asked: "ISON", or "MONITOR 12 of 90, ISON".
    QString mechanism() const;
    // Says goodbye with QUIT and closes; waiting lookups are told why.
    void leave(Reason why = Reason::NoAnswerInTime, const QByteArray &words = "handed over");
    // Whether the network ever welcomed this server.
    bool welcomed() const { return m_everRegistered; }
    // When the network was opened and last asked for, on the steady clock.
    qint64 openedMs() const { return m_openedMs; }
    qint64 lastLookupMs() const { return m_lastLookupMs; }
    bool hasWaiting() const { return !m_waiting.isEmpty(); }
    int queueLength() const { return m_queue.waitingCount() + (m_queue.inFlight() ? 1 : 0); }

    // How many lines of nicks may wait for a network (its waiting room):
    // what the flood budget can still send before a newcomer's bound, less
    // the time a line and its answer take (the line in flight only delays
    // the next by its answer's round trip, which that margin holds), and
    // no more than the network answers within the bound at the pace it has
    // kept. The lines are packed full, so short nicks find many more places
    // than long ones.
    static int roomLines(const FloodBudget &budget, qint64 nowMs, const IrcSettings &settings);

signals:
    // Never reached: nothing waits any more and the network may be dropped.
    // The words say why, for the log.
    void unreachable(Reason reason, const QString &words);
    // No lookups for the idle time: the connection was closed with QUIT.
    void idle();
    // The network welcomed this server for the first time.
    void firstWelcome();
    // One line for the log: connected, lost.
    void event(const QString &text);
    // A line went to the network, with its command.
    void lineSent(const QByteArray &command);

private:
    enum class State { Disconnected, Connecting, Registering, Ready, Waiting };

    void connectNow();
    void pumpSoon();
    void onConnected(IrcTransport *transport);
    void onReady();
    void onHeard(const QList<IrcClient::Heard> &heard);
    void wait(const QByteArray &key, const PresenceRequest::Answer &answer);
    void forget(const QByteArray &key, PresenceRequest *request);
    // Since when, on the wall clock; invalid for -1 (no change seen).
    static QDateTime wallOf(qint64 steadyMs);
    QDateTime sinceOf(const QByteArray &key, qint64 nowMs) const;
    void onLost(Reason reason, const QString &detail);
    void giveUp(Reason reason, const QString &detail);
    void answer(const QByteArray &key, const Presence &presence);
    void answerAll(Reason reason);
    void dropConnection();
    void onIdle();
    Reason timeoutReason() const;
    int roomLines() const { return roomLines(m_budget, steadyMs(), m_settings); }

    QString m_host;
    std::optional<quint16> m_port;
    const IrcSettings &m_settings;
    IrcDialer m_dialer;

    IsonQueue m_queue;
    MonitorList m_monitor;
    FloodBudget m_budget;
    PresenceCache m_cache;
    CaseMapping m_caseMapping;
    QMultiHash<QByteArray, QPointer<PresenceRequest>> m_waiting;

    State m_state = State::Disconnected;
    bool m_everRegistered = false;
    qint64 m_openedMs = 0;
    qint64 m_lastLookupMs = 0;
    IrcTransport *m_transport = nullptr;
    IrcClient *m_client = nullptr;
    bool m_pumpPosted = false;
    Reason m_lastFailure = Reason::None;
    Backoff m_backoff;

    QTimer m_reconnectTimer;
    QTimer m_idleTimer;
};
