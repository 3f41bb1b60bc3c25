#pragma once

#include "irc/addresspolicy.h"
#include "irc/ircnetwork.h"
#include "irc/ircsettings.h"
#include "irc/newnetworkshares.h"
#include "irc/presencerequest.h"
#include "model/presencechecker.h"

#include <QHash>
#include <QObject>

struct IrcIdentity;

// The IRC side of the server: checks an identity "nick@ircserver[:port]",
// then finds or opens its network, within the bound on networks connected
// at once. A network that could not be reached is remembered for a while,
// so that repeated lookups do not make this server knock on a stranger's
// door again and again.
//
// Fair to every client: a network not yet welcomed counts against the
// client who opened it, and each client may have only a few such at once;
// when every place is taken, a network that never welcomed, or one nobody
// asked for lately, gives way to a new one, never one being asked.
class IrcPresence : public QObject, public PresenceChecker
{
    Q_OBJECT

public:
    IrcPresence(const IrcSettings &settings, const AddressPolicy &policy,
                IrcNetwork::TransportFactory transports = {}, QObject *parent = nullptr);

    void check(const QString &account, const QHostAddress &client, const Done &done) override;
    QList<Row> rows() const override;
    int capacity() const override { return m_settings.maxNetworks; }
    bool full() const override { return m_networks.size() >= m_settings.maxNetworks; }
    QList<QPair<QByteArray, qint64>> counters() const override;

    void lookup(const IrcIdentity &identity, const PresenceRequest::Answer &answer) { lookup(identity, {}, answer); }
    void lookup(const IrcIdentity &identity, const QHostAddress &client, const PresenceRequest::Answer &answer);

    // Whether a lookup of the identity would be asked of its network, opened
    // or already open, now: None when it would, else the reason it would be
    // answered unknown at once (the address policy, a failure remembered,
    // the client's share of new networks, no room for another network).
    // Nothing is opened.
    Reason admit(const IrcIdentity &identity, const QHostAddress &client = {});
    // Whether this side has the network open (connecting, registering or connected).
    bool isOpen(const QString &key) const { return m_networks.contains(key); }

    // The network of an identity, as this side tells networks apart.
    static QString keyOf(const IrcIdentity &identity);
    // Closes the network's connection with QUIT (another instance takes it).
    void leave(const QString &key);

signals:
    // One line for the log: a network connected, failed, went idle.
    void event(const QString &text);
    // The network's connection is gone (idle, unreachable or left).
    void closed(const QString &key);

private:
    struct Failure
    {
        Reason reason;
        qint64 until;
    };
    // Whether a network not open yet may open for a lookup of this opener
    // (a client as NewNetworkShares counts them).
    Reason admitNew(const QString &key, const IrcIdentity &identity, const QString &opener);
    IrcNetwork *network(const QString &key, const IrcIdentity &identity, const QString &client);
    // The network that gives way to a new one when every place is taken, if any.
    IrcNetwork *givingWay() const;
    void forget(const QString &key, IrcNetwork *network);

    IrcSettings m_settings;
    AddressPolicy m_policy;
    IrcNetwork::TransportFactory m_transports;
    QHash<QString, IrcNetwork *> m_networks;
    NewNetworkShares m_shares;
    QHash<QString, Failure> m_failures;
    QHash<QByteArray, qint64> m_linesSent; // by command
};
