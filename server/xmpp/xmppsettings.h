#pragma once

#include <QByteArray>
#include <QString>

// How the server reaches its own Jabber account, and the bounds of what it
// keeps for it.
struct XmppSettings
{
    QString jid;         // the server's account, "quorvane@example.org"; empty: Jabber is not checked
    QByteArray password; // read from a file or a systemd credential, never from the command line
    QString caFile;      // trusted besides the system's store (PEM)
    QString host;        // the XMPP server to connect to; empty: the account's domain (its SRV records)
    quint16 port = 0;    // 0: the domain's own (SRV, else 5222)
    // The account's client name: each instance of a cluster logs in as a
    // client of its own, so that they do not push each other off.
    QString resource = QStringLiteral("quorvane-server");

    // Contacts kept, and so people who may add the server (--xmpp-max-contacts).
    int maxContacts = 5000;

    // Requests to add the server accepted in one minute; past it they are
    // refused, so that a flood of new accounts cannot fill the roster.
    static constexpr int subscriptionsPerMinute = 60;
    // Clients of one contact whose presence is kept; more are not counted.
    static constexpr int maxResources = 16;
    // Orders to the XMPP thread not yet sent (subscription answers); past it
    // they are dropped and logged.
    static constexpr int maxPendingOrders = 1024;
    // How long the XMPP thread waits on its socket before it looks at its
    // orders: the delay of an answer to a subscription request.
    static constexpr int loopWaitMs = 50;
    // Reconnecting after a loss: 1 s, doubling to a minute.
    static constexpr int backoffInitialMs = 1'000;
    static constexpr int backoffMaxMs = 60'000;
    // A login that has not finished (TLS, SASL, the roster) is given up.
    static constexpr int loginTimeoutMs = 15'000;
    // Leaving: the time given to close the stream before the thread ends.
    static constexpr int closeLingerMs = 1'000;
};
