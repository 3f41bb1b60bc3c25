#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>

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

    // One domain's share (the domain of a bare address, as JabberId gives
    // it), so that people of other domains are still accepted while one
    // floods: by default half of a minute's acceptances and a tenth of the
    // contacts, each with a floor for small rosters.
    static constexpr int minDomainPerMinute = 2;
    static constexpr int minDomainContacts = 10;
    static constexpr int domainContactsDivisor = 10;
    // Requests of one domain accepted in a minute (--xmpp-domain-per-minute).
    int domainPerMinute = std::max(minDomainPerMinute, subscriptionsPerMinute / 2);
    // Contacts of one domain (--xmpp-domain-max-contacts); 0: a tenth of maxContacts.
    int domainMaxContacts = 0;
    int domainContactsBound() const
    {
        return domainMaxContacts ? domainMaxContacts : std::max(minDomainContacts, maxContacts / domainContactsDivisor);
    }

    // A contact neither seen online nor asked for this long is let go, so
    // that the places are not kept for the dead (--xmpp-forget-after-days;
    // 0: never). Counted from this process's login for contacts it has not
    // seen yet: a restart never lets anyone go sooner.
    static constexpr qint64 dayMs = 86'400'000;
    qint64 forgetAfterMs = 90 * dayMs;
    // The contacts are looked over every tenth of that time, at most an
    // hour apart, and at most this many let go at a time, so that one
    // sweep's orders stay well inside maxPendingOrders.
    static constexpr qint64 maxForgetSweepMs = 3'600'000;
    static constexpr int maxForgottenPerSweep = 100;
    int forgetSweepMs() const { return int(std::clamp<qint64>(forgetAfterMs / 10, 1, maxForgetSweepMs)); }
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
