#pragma once

#include "addresspolicy.h"
#include "ircnetwork.h"
#include "ircsettings.h"
#include "presencerequest.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

struct IrcIdentity;

// The IRC side of the server: finds or opens the network of each lookup,
// within the bound on networks connected at once. A network that could not
// be reached is remembered for a while, so that repeated lookups do not
// make this server knock on a stranger's door again and again.
class IrcPresence : public QObject
{
    Q_OBJECT

public:
    IrcPresence(const IrcSettings &settings, const AddressPolicy &policy,
                IrcNetwork::TransportFactory transports = {}, QObject *parent = nullptr);

    void lookup(const IrcIdentity &identity, const PresenceRequest::Answer &answer);

    struct NetworkState
    {
        QString name, state;
        int queueLength;
    };
    QList<NetworkState> networks() const;

signals:
    // One line for the log: a network connected, failed, went idle.
    void event(const QString &text);

private:
    struct Failure
    {
        QString reason;
        qint64 until;
    };
    IrcNetwork *network(const QString &key, const IrcIdentity &identity);
    void forget(const QString &key, IrcNetwork *network);

    IrcSettings m_settings;
    AddressPolicy m_policy;
    IrcNetwork::TransportFactory m_transports;
    QHash<QString, IrcNetwork *> m_networks;
    QHash<QString, Failure> m_failures;
    QElapsedTimer m_clock;
};
