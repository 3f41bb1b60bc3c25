#pragma once

#include "cluster/clustersettings.h"
#include "irc/ircidentity.h"
#include "irc/presencecache.h"
#include "model/presencechecker.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>

class IrcPresence;
class SharedStore;
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
//
// A lease is taken only for a network this instance would really open or
// use (its own checker admits the lookup first: the address policy, what
// failed lately, its room for networks), and given back as soon as the
// network closes or fails: the leases it holds are never more than its
// networks. An entry or message of the store it cannot decode (another
// version's, say) is counted and ignored; the lookup is then asked here.
class ClusterIrc : public QObject, public PresenceChecker
{
    Q_OBJECT

public:
    ClusterIrc(IrcPresence &local, SharedStore &store, const IrcSettings &settings, const QString &instance,
               const ClusterSettings &cluster = {}, QObject *parent = nullptr);

    void check(const QString &account, const QHostAddress &client, const Done &done) override;
    QList<Row> rows() const override;
    int capacity() const override;
    bool full() const override;
    QList<QPair<QByteArray, qint64>> counters() const override;

private:
    // A lookup as it was asked: the identity, the account as written, and
    // the client who asked, which a holder elsewhere is told.
    struct Asked
    {
        IrcIdentity identity;
        QString account;
        QHostAddress client;
    };
    struct Waiting
    {
        Asked asked;
        Done done;
        qint64 until; // answered unknown then
    };
    void fromStore(const Asked &asked, const Done &done);
    void route(const Asked &asked, const Done &done);
    // This instance cannot open the network now: the holder elsewhere, if any, is asked.
    void routeWhenFull(const Asked &asked, const Done &done);
    // Takes the network's lease when it is free: then(ok, mine); not ok when the store failed.
    void claim(const QString &network, const std::function<void(bool ok, bool mine)> &then);
    bool roomForLease(const QString &network) const;
    void askHere(const Asked &asked, const Done &done);
    // Asked with this instance's own connections, the store left aside.
    void askAlone(const Asked &asked, const Done &done);
    // Keeps a shared answer near, with since when it held.
    void keepNear(const QByteArray &key, const Presence &presence);
    void handOver(const Asked &asked, const Done &done);
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

    void undecodable();
    void remember(const QString &network, const QString &holder);

    static QByteArray sharedKey(const IrcIdentity &identity);

    IrcPresence &m_local;
    SharedStore &m_store;
    const IrcSettings &m_settings;
    ClusterSettings m_cluster;
    QString m_instance;
    PresenceCache m_near;
    QSet<QString> m_held;                        // networks this instance holds
    QSet<QString> m_claiming;                    // networks whose lease is being claimed
    QHash<QString, QString> m_holders;           // networks held elsewhere, by whom
    QMultiHash<QByteArray, Waiting> m_handedOver; // by shared key
    QHash<QString, qint64> m_lastReclaim;         // networks with lookups waiting: when last tried
    QTimer m_renewal;
    QTimer m_expiry;
    qint64 m_handedOverTotal = 0;
    qint64 m_askedForOthers = 0;
    qint64 m_undecodable = 0;
};
