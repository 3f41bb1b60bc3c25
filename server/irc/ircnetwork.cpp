#include "irc/ircnetwork.h"

#include "irc/ircclient.h"
#include "irc/irctransport.h"

#include <algorithm>

IrcNetwork::IrcNetwork(const QString &host, std::optional<quint16> port, const IrcSettings &settings,
                       const AddressPolicy &policy, TransportFactory transports, QObject *parent)
    : QObject(parent), m_host(host), m_port(port), m_settings(settings),
      m_dialer(host, port, settings, policy, std::move(transports), this),
      m_budget(settings.floodBurst, settings.floodIntervalMs), m_cache(settings.cacheMs),
      m_openedMs(steadyMs()), m_backoff(settings.backoffInitialMs, settings.backoffMaxMs)
{
    for (QTimer *timer : {&m_reconnectTimer, &m_idleTimer})
        timer->setSingleShot(true);
    connect(&m_dialer, &IrcDialer::connected, this, &IrcNetwork::onConnected);
    connect(&m_dialer, &IrcDialer::failed, this, &IrcNetwork::giveUp);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &IrcNetwork::connectNow);
    connect(&m_idleTimer, &QTimer::timeout, this, &IrcNetwork::onIdle);
}

QString IrcNetwork::name() const
{
    const QString host = m_host.contains(QLatin1Char(':')) ? QLatin1Char('[') + m_host + QLatin1Char(']') : m_host;
    return m_port ? host + QLatin1Char(':') + QString::number(*m_port) : host;
}

QString IrcNetwork::mechanism() const
{
    if (!m_monitor.available())
        return QStringLiteral("ISON");
    return QStringLiteral("MONITOR %1 of %2, ISON").arg(m_monitor.size()).arg(m_monitor.limit());
}

QString IrcNetwork::stateText() const
{
    const QString tls = m_dialer.tls() ? QStringLiteral(" (TLS)") : QString();
    switch (m_state) {
    case State::Disconnected: return QStringLiteral("not connected");
    case State::Connecting: return m_dialer.isResolving() ? QStringLiteral("resolving") : QStringLiteral("connecting") + tls;
    case State::Registering: return QStringLiteral("registering") + tls;
    case State::Ready: return QStringLiteral("connected") + tls;
    case State::Waiting:
        return QStringLiteral("reconnecting in %1 s").arg((m_reconnectTimer.remainingTime() + 999) / 1000);
    }
    return {};
}

void IrcNetwork::lookup(const QByteArray &nick, const PresenceRequest::Answer &answer)
{
    m_idleTimer.start(m_settings.idleMs);
    const QByteArray key = m_caseMapping.fold(nick);
    const qint64 now = steadyMs();
    m_lastLookupMs = now;
    m_monitor.asked(key, nick);
    if (m_monitor.hasChanges())
        pumpSoon();
    // What the network told of a monitored nick is always fresh.
    if (const auto status = m_monitor.state(key))
        return answer(Presence::known(*status, false, sinceOf(key, now)));
    if (const auto known = m_cache.find(key, now))
        return answer(Presence::known(known->status, true, wallOf(known->sinceMs)));
    if (m_state == State::Waiting && m_reconnectTimer.remainingTime() + m_settings.connectTimeoutMs > m_settings.lookupBoundMs)
        return answer(Presence::unknown(m_lastFailure));
    // A monitored nick the network said is online needs only its away state.
    if (m_monitor.awayUnknown(key) && m_client && m_client->isReady()) {
        wait(key, answer);
        return m_client->askAway(key, nick, now + m_settings.lookupBoundMs - m_settings.sendMarginMs);
    }
    if (!m_queue.contains(key) && m_queue.linesWith(nick) > roomLines())
        return answer(Presence::unknown(Reason::Busy));
    m_queue.add(key, nick, now);
    wait(key, answer);
    if (m_state == State::Disconnected)
        connectNow();
    else if (m_client)
        pumpSoon();
}

void IrcNetwork::wait(const QByteArray &key, const PresenceRequest::Answer &answer)
{
    QPointer<IrcNetwork> self(this);
    auto *request = new PresenceRequest(m_settings.lookupBoundMs, answer, [self] {
        return self ? self->timeoutReason() : Reason::NoAnswerInTime;
    }, this);
    connect(request, &PresenceRequest::timedOut, this, [this, key, request] { forget(key, request); });
    m_waiting.insert(key, request);
}

// A lookup answered unknown at its bound: when nobody else waits for its
// nick, the nick leaves the lines not yet sent, so that no line goes out
// without a living lookup in it.
void IrcNetwork::forget(const QByteArray &key, PresenceRequest *request)
{
    m_waiting.remove(key, request);
    for (const QPointer<PresenceRequest> &other : m_waiting.values(key))
        if (other)
            return;
    m_waiting.remove(key);
    m_queue.remove(key);
    if (m_client)
        m_client->forget(key);
}

QDateTime IrcNetwork::wallOf(qint64 steadyMs)
{
    return steadyMs < 0 ? QDateTime() : Clock::current().wallOf(steadyMs);
}

QDateTime IrcNetwork::sinceOf(const QByteArray &key, qint64 nowMs) const
{
    const auto known = m_cache.remembered(key, nowMs);
    return known ? wallOf(known->sinceMs) : QDateTime();
}

// The client asks once the event loop has taken in everything that arrived
// together with this lookup (all the requests that one wait for the sockets
// brought): lookups of one moment share a line.
void IrcNetwork::pumpSoon()
{
    if (!m_client || m_pumpPosted)
        return;
    m_pumpPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pumpPosted = false;
            if (m_client)
                m_client->pump();
        },
        Qt::QueuedConnection);
}

int IrcNetwork::roomLines(const FloodBudget &budget, qint64 nowMs, const IrcSettings &settings)
{
    const int sent = budget.linesWithin(nowMs, settings.lookupBoundMs - settings.sendMarginMs);
    return std::max(std::min(sent, budget.answersWithin(settings.lookupBoundMs)), 0);
}

void IrcNetwork::connectNow()
{
    m_state = State::Connecting;
    m_dialer.dial();
}

void IrcNetwork::onConnected(IrcTransport *transport)
{
    m_transport = transport;
    m_state = State::Registering;
    m_client = new IrcClient(m_transport, m_queue, m_monitor, m_budget, m_settings, this);
    connect(m_client, &IrcClient::ready, this, &IrcNetwork::onReady);
    connect(m_client, &IrcClient::heard, this, &IrcNetwork::onHeard);
    connect(m_client, &IrcClient::lost, this, &IrcNetwork::onLost);
    connect(m_client, &IrcClient::sent, this, &IrcNetwork::lineSent);
    m_client->begin();
}

void IrcNetwork::onReady()
{
    m_state = State::Ready;
    if (!std::exchange(m_everRegistered, true))
        emit firstWelcome();
    m_backoff.reset();
    m_caseMapping = m_client->caseMapping();
    emit event(QStringLiteral("IRC network %1 %2 as %3").arg(name(), stateText(), QString::fromLatin1(m_client->nick())));
}

void IrcNetwork::onHeard(const QList<IrcClient::Heard> &heard)
{
    const qint64 now = steadyMs();
    for (const IrcClient::Heard &said : heard) {
        const PresenceCache::Known known = m_cache.observe(said.key, said.status, now, said.awayKnown);
        answer(said.key, Presence::known(known.status, false, wallOf(known.sinceMs)));
    }
}

void IrcNetwork::onLost(Reason reason, const QString &detail)
{
    dropConnection();
    giveUp(reason, detail);
}

// Nothing more will come of this connection: every waiting lookup is told
// why, and a network that once answered is reconnected after a pause that
// doubles with each failure; one that never did is left to its owner.
void IrcNetwork::giveUp(Reason reason, const QString &detail)
{
    m_lastFailure = reason;
    const QString why = detail.isEmpty() ? Reasons::wording(reason)
                                         : Reasons::wording(reason) + QStringLiteral(": ") + detail;
    answerAll(reason);
    if (!m_everRegistered) {
        m_state = State::Disconnected;
        emit unreachable(reason, why);
        return;
    }
    m_state = State::Waiting;
    const int waitMs = m_backoff.next();
    emit event(QStringLiteral("IRC network %1 lost (%2), reconnecting in %3 s").arg(name(), why, QString::number(waitMs / 1000.0)));
    m_reconnectTimer.start(waitMs);
}

void IrcNetwork::answer(const QByteArray &key, const Presence &presence)
{
    for (const QPointer<PresenceRequest> &request : m_waiting.values(key))
        if (request)
            request->finish(presence);
    m_waiting.remove(key);
}

void IrcNetwork::answerAll(Reason reason)
{
    for (const IsonQueue::Entry &entry : m_queue.takeAll())
        answer(entry.key, Presence::unknown(reason));
    for (const QPointer<PresenceRequest> &request : std::exchange(m_waiting, {}))
        if (request)
            request->finish(Presence::unknown(reason));
}

void IrcNetwork::dropConnection()
{
    m_monitor.clear();
    if (m_client) {
        m_client->deleteLater();
        m_client = nullptr;
    }
    if (m_transport) {
        m_transport->disconnect(this);
        m_transport->close();
        m_transport->deleteLater();
        m_transport = nullptr;
    }
}

void IrcNetwork::leave(Reason why, const QByteArray &words)
{
    answerAll(why);
    if (m_client)
        m_client->quit(words);
    m_reconnectTimer.stop();
    dropConnection();
    m_state = State::Disconnected;
}

void IrcNetwork::onIdle()
{
    if (!m_waiting.isEmpty())
        return m_idleTimer.start(m_settings.idleMs);
    if (m_client)
        m_client->quit("idle");
    m_reconnectTimer.stop();
    dropConnection();
    m_state = State::Disconnected;
    emit idle();
}

Reason IrcNetwork::timeoutReason() const
{
    switch (m_state) {
    case State::Connecting:
        return m_dialer.isResolving() ? Reason::NameNotResolvedInTime : Reason::NoConnectionInTime;
    case State::Registering: return Reason::NoRegistrationInTime;
    case State::Ready: return Reason::NoAnswerInTime;
    case State::Waiting:
    case State::Disconnected: return m_lastFailure;
    }
    return {};
}
