#include "cluster/clusterirc.h"

#include "model/clock.h"
#include "cluster/clusterprotocol.h"
#include "irc/casemapping.h"
#include "irc/ircpresence.h"
#include "irc/ircsettings.h"
#include "store/sharedstore.h"

using namespace ClusterProtocol;

ClusterIrc::ClusterIrc(IrcPresence &local, SharedStore &store, const IrcSettings &settings, const QString &instance,
                       const ClusterSettings &cluster, QObject *parent)
    : QObject(parent), m_local(local), m_store(store), m_settings(settings), m_cluster(cluster), m_instance(instance),
      m_near(qMin<qint64>(cluster.nearMs, settings.cacheMs))
{
    m_store.subscribe({askChannel(), answerChannel()});
    connect(&m_store, &SharedStore::message, this, &ClusterIrc::onMessage);
    connect(&m_store, &SharedStore::upChanged, this, [this](bool up) {
        if (!up)
            askWaitingHere();
    });
    connect(&m_local, &IrcPresence::closed, this, &ClusterIrc::release);
    m_renewal.setInterval(m_cluster.renewMs);
    connect(&m_renewal, &QTimer::timeout, this, &ClusterIrc::renewLeases);
    m_renewal.start();
    // Waiting lookups are answered within a quarter of a second of their time,
    // and a lease they wait for is tried as often as asked.
    m_expiry.setInterval(qMin(250, m_cluster.reclaimMs));
    connect(&m_expiry, &QTimer::timeout, this, &ClusterIrc::expireWaiting);
}

void ClusterIrc::check(const QString &account, const QHostAddress &client, const Done &done)
{
    const auto identity = IrcIdentity::parse(account, m_settings.allowedPorts);
    if (!identity || !m_store.up())
        return m_local.check(account, client, done);
    const QByteArray key = sharedKey(*identity);
    if (const auto known = m_near.find(key, steadyMs()))
        return done(Presence::known(known->status, true,
                                    known->sinceMs < 0 ? QDateTime() : Clock::current().wallOf(known->sinceMs)));
    fromStore({*identity, account, client}, done);
}

void ClusterIrc::fromStore(const Asked &asked, const Done &done)
{
    const QByteArray key = sharedKey(asked.identity);
    m_store.command({QByteArrayLiteral("GET"), key}, [=](const StoreReply &reply) {
        if (!reply.ok)
            return askAlone(asked, done);
        if (reply.nil)
            return route(asked, done);
        std::optional<Presence> presence = decodePresence(reply.text);
        if (!presence)
            undecodable();
        if (!presence || presence->status == Presence::Unknown)
            return route(asked, done);
        keepNear(key, *presence);
        presence->cached = true;
        presence->shared = true;
        done(*presence);
    });
}

void ClusterIrc::route(const Asked &asked, const Done &done)
{
    const QString network = IrcPresence::keyOf(asked.identity);
    if (m_held.contains(network))
        return askHere(asked, done);
    // Without room here (or within the client's share of new networks), a
    // holder elsewhere may still serve it; the rest is refused at once.
    const Reason refusal = m_local.admit(asked.identity, asked.client);
    if (refusal == Reason::Busy || refusal == Reason::TooManyNewNetworks
        || (!m_local.isOpen(network) && !roomForLease(network)))
        return routeWhenFull(asked, done);
    if (refusal != Reason::None)
        return done(Presence::unknown(refusal));
    claim(network, [=](bool ok, bool mine) {
        if (!ok)
            return askAlone(asked, done);
        if (mine)
            return askHere(asked, done);
        handOver(asked, done);
    });
}

void ClusterIrc::routeWhenFull(const Asked &asked, const Done &done)
{
    const QString network = IrcPresence::keyOf(asked.identity);
    m_store.command({QByteArrayLiteral("GET"), leaseKey(network)}, [=](const StoreReply &reply) {
        if (!reply.ok || reply.nil || QString::fromUtf8(reply.text) == m_instance)
            return askAlone(asked, done); // refused as the admission said, or there is room again
        remember(network, QString::fromUtf8(reply.text));
        handOver(asked, done);
    });
}

// Leases held and being claimed stay within the networks this instance may
// open, however many lookups of new networks arrive before a claim is answered.
bool ClusterIrc::roomForLease(const QString &network) const
{
    return m_held.contains(network) || m_claiming.contains(network)
        || m_held.size() + m_claiming.size() < m_local.capacity();
}

void ClusterIrc::claim(const QString &network, const std::function<void(bool ok, bool mine)> &then)
{
    m_claiming.insert(network);
    m_store.command({QByteArrayLiteral("EVAL"), claimScript, "1", leaseKey(network), m_instance.toUtf8(),
                     QByteArray::number(m_cluster.leaseMs)},
                    [=](const StoreReply &reply) {
                        m_claiming.remove(network);
                        if (!reply.ok)
                            return then(false, false);
                        const QString holder = QString::fromUtf8(reply.text);
                        if (holder == m_instance) {
                            m_held.insert(network);
                            m_holders.remove(network);
                            return then(true, true);
                        }
                        remember(network, holder);
                        then(true, false);
                    });
}

void ClusterIrc::remember(const QString &network, const QString &holder)
{
    if (m_holders.size() >= m_cluster.maxKnownHolders)
        m_holders.clear();
    m_holders.insert(network, holder);
}

void ClusterIrc::askHere(const Asked &asked, const Done &done)
{
    const QByteArray key = sharedKey(asked.identity);
    const QString network = IrcPresence::keyOf(asked.identity);
    m_local.lookup(asked.identity, asked.client, [this, key, done](const Presence &presence) {
        if (!presence.cached)
            share(key, presence);
        if (done)
            done(presence);
    });
    // Room ran out between the admission and the lease (another network
    // took the last place meanwhile): the lease goes back at once.
    if (!m_local.isOpen(network))
        release(network);
}

void ClusterIrc::keepNear(const QByteArray &key, const Presence &presence)
{
    const qint64 since = presence.since.isValid() ? Clock::current().steadyOf(presence.since) : -1;
    m_near.store(key, {presence.status, since}, steadyMs());
}

void ClusterIrc::askAlone(const Asked &asked, const Done &done)
{
    m_local.lookup(asked.identity, asked.client, done);
}

void ClusterIrc::share(const QByteArray &key, const Presence &presence)
{
    const QByteArray value = encodePresence(presence);
    if (presence.status != Presence::Unknown) {
        keepNear(key, presence);
        m_store.command({QByteArrayLiteral("SET"), key, value, "PX", QByteArray::number(m_settings.cacheMs)});
    }
    m_store.command({QByteArrayLiteral("PUBLISH"), answerChannel(), encodeAnswer(key, presence)});
}

void ClusterIrc::handOver(const Asked &asked, const Done &done)
{
    if (m_handedOver.size() >= m_cluster.maxHandedOver)
        return done(Presence::unknown(Reason::Busy));
    const QString network = IrcPresence::keyOf(asked.identity);
    const qint64 until = steadyMs() + m_settings.lookupBoundMs - m_settings.sendMarginMs;
    m_handedOver.insert(sharedKey(asked.identity), {asked, done, until});
    if (!m_lastReclaim.contains(network))
        m_lastReclaim.insert(network, steadyMs());
    ++m_handedOverTotal;
    m_expiry.start();
    m_store.command({QByteArrayLiteral("PUBLISH"), askChannel(), encodeAsk({network, asked.account, asked.client.toString()})});
}

void ClusterIrc::onMessage(const QByteArray &channel, const QByteArray &payload)
{
    if (channel == askChannel())
        onAsk(payload);
    else if (channel == answerChannel())
        onAnswer(payload);
}

void ClusterIrc::onAsk(const QByteArray &payload)
{
    const std::optional<Ask> ask = decodeAsk(payload);
    if (!ask)
        return undecodable();
    if (!m_held.contains(ask->network))
        return;
    const auto identity = IrcIdentity::parse(ask->account, m_settings.allowedPorts);
    if (!identity || IrcPresence::keyOf(*identity) != ask->network)
        return undecodable();
    ++m_askedForOthers;
    // Answered from this instance's cache too: the asker found nothing shared.
    // The network counts against the client who asked there while it is new.
    m_local.lookup(*identity, QHostAddress(ask->client), [this, key = sharedKey(*identity)](const Presence &presence) { share(key, presence); });
}

void ClusterIrc::onAnswer(const QByteArray &payload)
{
    const std::optional<Answer> answer = decodeAnswer(payload);
    if (!answer)
        return undecodable(); // those waiting for it ask here once their holder's time is up
    if (answer->presence.status != Presence::Unknown)
        keepNear(answer->key, answer->presence);
    const QList<Waiting> waiting = m_handedOver.values(answer->key);
    m_handedOver.remove(answer->key);
    for (const Waiting &lookup : waiting)
        lookup.done(answer->presence);
}

void ClusterIrc::undecodable()
{
    ++m_undecodable;
}

void ClusterIrc::expireWaiting()
{
    const qint64 now = steadyMs();
    QList<Done> late;
    for (auto it = m_handedOver.begin(); it != m_handedOver.end();) {
        if (it->until <= now) {
            late.append(it->done);
            it = m_handedOver.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = m_lastReclaim.begin(); it != m_lastReclaim.end(); ++it)
        if (now - it.value() >= m_cluster.reclaimMs) {
            it.value() = now;
            reclaim(it.key());
        }
    if (m_handedOver.isEmpty()) {
        m_expiry.stop();
        m_lastReclaim.clear();
    }
    for (const Done &done : late)
        done(Presence::unknown(Reason::NoAnswerInTime));
}

// Lookups have waited a while for the network's holder: if its lease ran
// out (the holder died), this instance takes the network and asks for them.
void ClusterIrc::reclaim(const QString &network)
{
    if (!roomForLease(network))
        return;
    claim(network, [this, network](bool ok, bool mine) {
        if (ok && mine)
            askWaitingHere(network);
    });
}

void ClusterIrc::askWaitingHere(const QString &network)
{
    QList<Waiting> waiting;
    for (auto it = m_handedOver.begin(); it != m_handedOver.end();) {
        if (IrcPresence::keyOf(it->asked.identity) == network) {
            waiting.append(*it);
            it = m_handedOver.erase(it);
        } else {
            ++it;
        }
    }
    m_lastReclaim.remove(network);
    for (const Waiting &lookup : waiting)
        askHere(lookup.asked, lookup.done);
}

void ClusterIrc::askWaitingHere()
{
    // Their holder cannot hear them now: ask here, within what is left of the bound.
    const QList<Waiting> waiting = m_handedOver.values();
    m_handedOver.clear();
    m_lastReclaim.clear();
    m_expiry.stop();
    for (const Waiting &lookup : waiting)
        askAlone(lookup.asked, lookup.done);
}

void ClusterIrc::renewLeases()
{
    const QSet<QString> held = m_held;
    for (const QString &network : held) {
        if (!m_local.isOpen(network)) {
            release(network); // closed without a word: the lease goes with it
            continue;
        }
        m_store.command({QByteArrayLiteral("EVAL"), renewScript, "1", leaseKey(network), m_instance.toUtf8(),
                         QByteArray::number(m_cluster.leaseMs)},
                        [this, network](const StoreReply &reply) {
                            if (reply.ok && reply.number == 0 && m_held.remove(network))
                                m_local.leave(network); // another instance holds it now
                        });
    }
}

void ClusterIrc::release(const QString &network)
{
    if (!m_held.remove(network))
        return;
    m_store.command({QByteArrayLiteral("EVAL"), releaseScript, "1", leaseKey(network), m_instance.toUtf8()});
}

QList<PresenceChecker::Row> ClusterIrc::rows() const
{
    QList<Row> rows = m_local.rows();
    for (auto it = m_holders.cbegin(); it != m_holders.cend(); ++it) {
        Row row;
        row.name = it.key().endsWith(QLatin1Char(':')) ? it.key().chopped(1) : it.key();
        row.state = QStringLiteral("held by %1").arg(it.value());
        row.holder = it.value();
        rows.append(row);
    }
    return rows;
}

int ClusterIrc::capacity() const
{
    return m_local.capacity();
}

bool ClusterIrc::full() const
{
    return m_local.full();
}

QList<QPair<QByteArray, qint64>> ClusterIrc::counters() const
{
    QList<QPair<QByteArray, qint64>> counters = m_local.counters();
    counters.append({QByteArrayLiteral("quorvane_cluster_handed_over_total"), m_handedOverTotal});
    counters.append({QByteArrayLiteral("quorvane_cluster_asked_for_others_total"), m_askedForOthers});
    counters.append({QByteArrayLiteral("quorvane_cluster_undecodable_total"), m_undecodable});
    return counters;
}

QByteArray ClusterIrc::sharedKey(const IrcIdentity &identity)
{
    // Folded as most networks fold nicks; a network with another mapping at
    // worst keeps two entries for one nick.
    return presenceKey(IrcPresence::keyOf(identity), CaseMapping(CaseMapping::Rfc1459).fold(identity.nick.toUtf8()));
}
