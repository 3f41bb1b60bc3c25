#pragma once

#include "model/presencechecker.h"
#include "xmpp/contactbook.h"
#include "xmpp/subscriptiongate.h"
#include "xmpp/xmppsession.h"
#include "xmpp/xmppsettings.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <array>
#include <optional>

// The Jabber side of the server: one account of its own, logged in by an
// XmppSession, and the people who added it. Whoever asks to add the
// account is accepted (within a rate and the roster's bound, and her
// domain's share of both: SubscriptionGate) and asked in return for her
// presence; nobody else is ever written to, and contacts neither seen online
// nor asked for in a long while are let go. A lookup is
// answered at once from what the account's roster and its contacts' pushes
// say, or as unreachable while the session is not logged in.
class JabberPresence : public QObject, public PresenceChecker
{
    Q_OBJECT

public:
    explicit JabberPresence(const XmppSettings &settings, QObject *parent = nullptr);

    void check(const QString &account, const QHostAddress &client, const Done &done) override;
    QList<Row> rows() const override;
    QList<QPair<QByteArray, qint64>> counters() const override;
    int capacity() const override { return 1; }
    // How the account stands, for /health: "logged in as ...", or why not.
    QString health() const;
    bool full() const override { return false; }

signals:
    // One line for the log: logged in, lost, a request refused.
    void event(const QString &text);

private:
    void loggedIn(const QList<XmppSession::RosterItem> &roster);
    void rosterPush(const XmppSession::RosterItem &item);
    void presence(const QString &jid, const QString &resource, const QString &type, const QString &show);
    void lost(const QString &why, int retryMs);
    void requested(const QString &jid);
    void drop(const QString &jid);
    void order(XmppSession::Order order, const QString &jid);
    void refused(SubscriptionGate::Refusal refusal);
    // Lets go of the contacts unseen and unasked for XmppSettings::forgetAfterMs.
    void sweep();

    enum class State { Connecting, LoggedIn, Waiting };

    XmppSettings m_settings;
    QString m_ownJid;
    ContactBook m_book;
    State m_state = State::Connecting;
    QString m_lostWhy;
    qint64 m_retryAt = 0;
    SubscriptionGate m_gate;
    QTimer m_sweep;
    qint64 m_logins = 0, m_losses = 0, m_acceptedTotal = 0, m_removedTotal = 0, m_forgottenTotal = 0;
    std::array<qint64, SubscriptionGate::refusals> m_refused{}; // by SubscriptionGate::Refusal
    // When each refusal was last logged: at most once in refusalLogMs.
    static constexpr qint64 refusalLogMs = 60'000;
    std::array<std::optional<qint64>, SubscriptionGate::refusals> m_refusalLogged{};
    XmppSession m_session; // last: its thread ends before the rest goes
};
