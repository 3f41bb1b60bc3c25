#pragma once

#include "irc/ircidentity.h"
#include "irc/presencecache.h"
#include "model/presencechecker.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>

class IrcPresence;
class Store;
struct IrcSettings;

// The IRC checker of an instance of a cluster: the instances share what
// they learn and one IRC connection per network through the store, so that
// a network sees one polite client, not one per instance.
//
// An answer found by any instance is kept in the store for the cache time
// (and near, in this instance, for a few seconds). One instance holds a
// lease on each network, renewed while it lives, and asks the network for
// all: the others hand their nicks over on a channel of the store and wait
// for the answer on another, within the same bound. When the holder dies,
// its lease runs out and the next lookup takes the network. While the store
// is away, this instance asks with its own connections, as a single server
// does, and shares again once it is back.
class ClusterIrc : public QObject, public PresenceChecker
{
    Q_OBJECT

public:
    ClusterIrc(IrcPresence &local, Store &store, const IrcSettings &settings, const QString &instance,
               QObject *parent = nullptr);

    void check(const QString &account, const Done &done) override;
    QList<Row> rows() const override;
    int capacity() const override;
    bool full() const override;
    QList<QPair<QByteArray, qint64>> counters() const override;

    // A lease lasts this long unless renewed, and is renewed this often: a
    // dead holder's networks are free again within the lease time, so the
    // next lookup after it takes them within lease time and one lookup.
    static constexpr int leaseMs = 10'000;
    static constexpr int renewMs = 3'000;
    // A shared answer is kept near, without a round trip, this long.
    static constexpr int nearMs = 5'000;
    // Lookups handed over and waiting for their holder's answer, at most;
    // beyond, they are answered busy.
    static constexpr int maxHandedOver = 10'000;
    // Networks whose holder elsewhere is remembered for the status page.
    static constexpr int maxKnownHolders = 256;
    // While lookups wait for a holder, its lease is tried this often: once a
    // dead holder's lease runs out, this instance takes the network and asks
    // for them within their bound.
    static constexpr int reclaimMs = 500;

    static const QByteArray askChannel;
    static const QByteArray answerChannel;

private:
    struct Waiting
    {
        IrcIdentity identity;
        Done done;
        qint64 until; // answered unknown then
    };
    void fromStore(const IrcIdentity &identity, const QString &account, const Done &done);
    void route(const IrcIdentity &identity, const QString &account, const Done &done);
    // Takes the network's lease when it is free: then(ok, mine); not ok when the store failed.
    void claim(const QString &network, const std::function<void(bool ok, bool mine)> &then);
    void askHere(const IrcIdentity &identity, const Done &done);
    void handOver(const IrcIdentity &identity, const QString &account, const Done &done);
    void onMessage(const QByteArray &channel, const QByteArray &payload);
    void onAsk(const QByteArray &payload);
    void onAnswer(const QByteArray &payload);
    void share(const QByteArray &key, const Presence &presence);
    void renewLeases();
    void release(const QString &network);
    void expireWaiting();
    void askWaitingHere();
    void reclaim(const QString &network);
    void askWaitingHere(const QString &network);

    QByteArray sharedKey(const IrcIdentity &identity) const;
    static QByteArray leaseKey(const QString &network);

    IrcPresence &m_local;
    Store &m_store;
    const IrcSettings &m_settings;
    QString m_instance;
    PresenceCache m_near;
    QSet<QString> m_held;                        // networks this instance holds
    QHash<QString, QString> m_holders;           // networks held elsewhere, by whom
    QMultiHash<QByteArray, Waiting> m_handedOver; // by shared key
    QHash<QString, qint64> m_lastReclaim;         // networks with lookups waiting: when last tried
    QTimer m_renewal;
    QTimer m_expiry;
    QElapsedTimer m_clock;
    qint64 m_handedOverTotal = 0;
    qint64 m_askedForOthers = 0;
};
