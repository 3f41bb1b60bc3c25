#include "irc/ircpresence.h"

#include "irc/ircidentity.h"
#include "irc/sockettransport.h"
#include "model/clock.h"

#include <utility>

namespace {

// How many unreachable networks are remembered at most.
constexpr int maxFailures = 1024;

} // namespace

IrcPresence::IrcPresence(const IrcSettings &settings, const AddressPolicy &policy,
                         IrcNetwork::TransportFactory transports, QObject *parent)
    : QObject(parent), m_settings(settings), m_policy(policy), m_transports(std::move(transports)),
      m_shares(settings.newNetworksPerClient)
{
    if (!m_transports) {
        const QList<QSslCertificate> certificates = m_settings.extraCertificates;
        m_transports = [certificates](QObject *owner) { return new SocketTransport(certificates, owner); };
    }
}

void IrcPresence::check(const QString &account, const QHostAddress &client, const Done &done)
{
    const auto identity = IrcIdentity::parse(account, m_settings.allowedPorts);
    if (!identity)
        return done(Presence::unknown(Reason::NotAnIrcIdentity));
    lookup(*identity, client, done);
}

void IrcPresence::lookup(const IrcIdentity &identity, const QHostAddress &client, const PresenceRequest::Answer &answer)
{
    // Most lookups go to a network open already, which was admitted when it
    // opened and serves everyone.
    const QString key = keyOf(identity);
    if (IrcNetwork *open = m_networks.value(key))
        return open->lookup(identity.nick.toLatin1(), answer);
    const QString opener = NewNetworkShares::clientOf(client);
    if (const Reason refusal = admitNew(key, identity, opener); refusal != Reason::None)
        return answer(Presence::unknown(refusal));
    network(key, identity, opener)->lookup(identity.nick.toLatin1(), answer);
}

Reason IrcPresence::admit(const IrcIdentity &identity, const QHostAddress &client)
{
    // An open network passed every rule of a new one when it opened (the
    // address policy does not change while the server runs).
    const QString key = keyOf(identity);
    if (m_networks.contains(key))
        return Reason::None;
    return admitNew(key, identity, NewNetworkShares::clientOf(client));
}

Reason IrcPresence::admitNew(const QString &key, const IrcIdentity &identity, const QString &opener)
{
    const QHostAddress literal(identity.host);
    if (!literal.isNull() && !m_policy.allows(literal))
        return Reason::AddressNotAllowed;
    const auto failure = m_failures.constFind(key);
    if (failure != m_failures.cend()) {
        if (failure->until > steadyMs())
            return failure->reason;
        m_failures.erase(failure);
    }
    if (m_shares.full(opener))
        return Reason::TooManyNewNetworks;
    return m_networks.size() < m_settings.maxNetworks || givingWay() ? Reason::None : Reason::Busy;
}

IrcNetwork *IrcPresence::givingWay() const
{
    IrcNetwork *unwelcomed = nullptr; // of those never welcomed, the one opened first
    IrcNetwork *quiet = nullptr;  // of those nobody asked for lately, the least recently asked
    const qint64 lately = steadyMs() - m_settings.givesWayAfterMs;
    for (IrcNetwork *network : m_networks) {
        if (!network->welcomed()) {
            if (!unwelcomed || network->openedMs() < unwelcomed->openedMs())
                unwelcomed = network;
        } else if (!network->hasWaiting() && network->lastLookupMs() <= lately) {
            if (!quiet || network->lastLookupMs() < quiet->lastLookupMs())
                quiet = network;
        }
    }
    return unwelcomed ? unwelcomed : quiet;
}

// Finds or opens the network of an admitted lookup, making room if need be.
IrcNetwork *IrcPresence::network(const QString &key, const IrcIdentity &identity, const QString &client)
{
    if (IrcNetwork *known = m_networks.value(key))
        return known;
    if (m_networks.size() >= m_settings.maxNetworks) {
        IrcNetwork *leaving = givingWay();
        emit event(QStringLiteral("IRC network %1 gives way to %2").arg(leaving->name(), identity.host));
        leaving->leave(Reason::Busy, "making room");
        forget(m_networks.key(leaving), leaving);
    }
    auto *created = new IrcNetwork(identity.host, identity.port, m_settings, m_policy, m_transports, this);
    m_networks.insert(key, created);
    connect(created, &IrcNetwork::unreachable, this, [this, key, created](Reason reason, const QString &words) {
        if (m_failures.size() >= maxFailures)
            m_failures.clear();
        m_failures.insert(key, {reason, steadyMs() + m_settings.unreachableMemoryMs});
        emit event(QStringLiteral("IRC network %1 unreachable: %2").arg(created->name(), words));
        forget(key, created);
    });
    connect(created, &IrcNetwork::event, this, &IrcPresence::event);
    m_shares.opened(key, client);
    connect(created, &IrcNetwork::firstWelcome, this, [this, key] { m_shares.settled(key); });
    connect(created, &IrcNetwork::lineSent, this, [this](const QByteArray &command) {
        // Only the commands lookups cost; a stranger's server names none of them.
        if (command == "ISON" || command == "MONITOR")
            ++m_linesSent[command];
    });
    connect(created, &IrcNetwork::idle, this, [this, key, created] {
        emit event(QStringLiteral("IRC network %1 idle, closed").arg(created->name()));
        forget(key, created);
    });
    emit event(QStringLiteral("IRC network %1 opened").arg(created->name()));
    return created;
}

QString IrcPresence::keyOf(const IrcIdentity &identity)
{
    return identity.host + QLatin1Char(':') + (identity.port ? QString::number(*identity.port) : QString());
}

void IrcPresence::leave(const QString &key)
{
    if (IrcNetwork *network = m_networks.value(key)) {
        emit event(QStringLiteral("IRC network %1 left to another instance").arg(network->name()));
        network->leave();
        forget(key, network);
    }
}

void IrcPresence::forget(const QString &key, IrcNetwork *network)
{
    if (m_networks.value(key) == network) {
        m_networks.remove(key);
        m_shares.settled(key);
        emit closed(key);
    }
    network->deleteLater();
}

QList<QPair<QByteArray, qint64>> IrcPresence::counters() const
{
    return {{"quorvane_irc_lines_total{command=\"ISON\"}", m_linesSent.value("ISON")},
            {"quorvane_irc_lines_total{command=\"MONITOR\"}", m_linesSent.value("MONITOR")}};
}

QList<PresenceChecker::Row> IrcPresence::rows() const
{
    QList<Row> rows;
    for (const IrcNetwork *network : m_networks)
        rows.append({network->name(), network->stateText(), network->mechanism(), network->queueLength(), {}});
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.name < b.name; });
    return rows;
}
