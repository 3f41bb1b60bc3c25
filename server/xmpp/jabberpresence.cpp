#include "xmpp/jabberpresence.h"

#include "model/clock.h"
#include "xmpp/jabberid.h"

JabberPresence::JabberPresence(const XmppSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_ownJid(settings.jid.toLower()), m_book(settings.maxContacts),
      m_gate(settings), m_session(settings)
{
    if (settings.forgetAfterMs > 0) {
        connect(&m_sweep, &QTimer::timeout, this, &JabberPresence::sweep);
        m_sweep.start(settings.forgetSweepMs());
    }
    connect(&m_session, &XmppSession::connecting, this, [this] { m_state = State::Connecting; });
    connect(&m_session, &XmppSession::loggedIn, this, &JabberPresence::loggedIn);
    connect(&m_session, &XmppSession::rosterPush, this, &JabberPresence::rosterPush);
    connect(&m_session, &XmppSession::presence, this, &JabberPresence::presence);
    connect(&m_session, &XmppSession::lost, this, &JabberPresence::lost);
    m_session.start();
}

void JabberPresence::check(const QString &account, const QHostAddress &, const Done &done)
{
    const auto id = JabberId::parse(account);
    if (!id)
        return done(Presence::unknown(Reason::NotAJabberId));
    if (m_state != State::LoggedIn)
        return done(Presence::unknown(Reason::XmppUnreachable));
    m_book.asked(id->bare(), steadyMs());
    done(m_book.answer(id->bare(), m_ownJid));
}

QList<PresenceChecker::Row> JabberPresence::rows() const
{
    QString state;
    switch (m_state) {
    case State::Connecting: state = QStringLiteral("connecting"); break;
    case State::LoggedIn:
        state = QStringLiteral("connected, %1 %2")
                    .arg(m_book.size())
                    .arg(m_book.size() == 1 ? QStringLiteral("contact") : QStringLiteral("contacts"));
        break;
    case State::Waiting:
        state = QStringLiteral("reconnecting in %1 s").arg(std::max<qint64>(0, (m_retryAt - steadyMs() + 999) / 1000));
        break;
    }
    return {{m_ownJid, state, QStringLiteral("presence subscription"), 0, {}}};
}

QList<QPair<QByteArray, qint64>> JabberPresence::counters() const
{
    QList<QPair<QByteArray, qint64>> counters{{"quorvane_xmpp_logins_total", m_logins},
                                              {"quorvane_xmpp_losses_total", m_losses},
                                              {"quorvane_xmpp_subscriptions_total{answer=\"accepted\"}", m_acceptedTotal}};
    for (int why = 1; why < SubscriptionGate::refusals; ++why)
        counters.append({QByteArray("quorvane_xmpp_subscriptions_total{answer=\"refused\",why=\"")
                             + SubscriptionGate::words(SubscriptionGate::Refusal(why)) + "\"}",
                         m_refused[why]});
    counters.append({"quorvane_xmpp_contacts_removed_total", m_removedTotal});
    counters.append({"quorvane_xmpp_contacts_forgotten_total", m_forgottenTotal});
    return counters;
}

void JabberPresence::loggedIn(const QList<XmppSession::RosterItem> &roster)
{
    m_book.clear();
    int left = 0;
    for (const XmppSession::RosterItem &item : roster) {
        if (ContactBook::sharesNothing(item.subscription, item.asking))
            drop(item.jid); // a leftover: neither shares with the other
        else if (!m_book.setItem(item.jid, item.subscription, item.asking, steadyMs()))
            ++left;
    }
    m_book.loggedIn();
    m_state = State::LoggedIn;
    ++m_logins;
    emit event(QStringLiteral("jabber: logged in as %1, %2 contacts").arg(m_ownJid).arg(m_book.size()));
    if (left)
        emit event(QStringLiteral("jabber: %1 contacts past the bound of %2 left out").arg(left).arg(m_settings.maxContacts));
}

void JabberPresence::rosterPush(const XmppSession::RosterItem &item)
{
    if (item.jid == m_ownJid)
        return;
    const bool known = m_book.contains(item.jid);
    if (ContactBook::sharesNothing(item.subscription, item.asking)) {
        m_book.remove(item.jid);
        if (item.subscription != QLatin1String("remove"))
            drop(item.jid);
        return;
    }
    if (!m_book.setItem(item.jid, item.subscription, item.asking, steadyMs()) && !known)
        drop(item.jid); // added elsewhere past the bound
}

void JabberPresence::presence(const QString &jid, const QString &resource, const QString &type, const QString &show)
{
    if (type == QLatin1String("subscribe"))
        return requested(jid);
    if (type == QLatin1String("unsubscribe") || type == QLatin1String("unsubscribed")) {
        // She removed the server, or refused to share: she is no contact any more.
        if (m_book.contains(jid)) {
            m_book.remove(jid);
            drop(jid);
        }
        return;
    }
    m_book.setPresence(jid, resource, type, show, steadyMs());
}

void JabberPresence::requested(const QString &jid)
{
    const auto id = JabberId::parse(jid);
    if (!id)
        return;
    if (m_book.contains(jid)) { // asked again: the answer stands, and her client is alive
        m_book.seen(jid, steadyMs());
        order(XmppSession::Order::Subscribed, jid);
        return;
    }
    if (const auto refusal = m_gate.admit(id->domain, m_book, steadyMs());
        refusal != SubscriptionGate::Refusal::None) {
        refused(refusal);
        order(XmppSession::Order::Unsubscribed, jid);
        return;
    }
    ++m_acceptedTotal;
    m_book.reserve(jid, steadyMs());
    // Accepted, and asked in return: she asked first.
    order(XmppSession::Order::Subscribed, jid);
    order(XmppSession::Order::Subscribe, jid);
}

void JabberPresence::refused(SubscriptionGate::Refusal refusal)
{
    const int why = int(refusal);
    ++m_refused[why];
    // A flood is one line a minute for each reason, not one per request.
    const qint64 now = steadyMs();
    if (m_refusalLogged[why] && now - *m_refusalLogged[why] < refusalLogMs)
        return;
    emit event(QStringLiteral("jabber: requests to add the account refused (%1), %2 in all")
                   .arg(QLatin1String(SubscriptionGate::words(refusal)))
                   .arg(m_refused[why]));
    m_refusalLogged[why] = now;
}

void JabberPresence::sweep()
{
    if (m_state != State::LoggedIn)
        return;
    const QStringList gone = m_book.unseenAndUnasked(steadyMs(), m_settings.forgetAfterMs,
                                                     XmppSettings::maxForgottenPerSweep);
    // Removing her roster item is enough: her XMPP server is then told
    // "unsubscribe" and "unsubscribed" by the account's (RFC 6121, 2.5.2).
    for (const QString &jid : gone) {
        m_book.remove(jid);
        order(XmppSession::Order::Remove, jid);
    }
    m_forgottenTotal += gone.size();
    if (!gone.isEmpty())
        emit event(QStringLiteral("jabber: %1 contacts neither seen online nor asked for in %2 days let go")
                       .arg(gone.size())
                       .arg(double(m_settings.forgetAfterMs) / XmppSettings::dayMs));
}

void JabberPresence::drop(const QString &jid)
{
    ++m_removedTotal;
    order(XmppSession::Order::Remove, jid);
}

void JabberPresence::order(XmppSession::Order order, const QString &jid)
{
    if (!m_session.order(order, jid))
        emit event(QStringLiteral("jabber: too many orders waiting for the XMPP server, one dropped"));
}

QString JabberPresence::health() const
{
    switch (m_state) {
    case State::LoggedIn: return QStringLiteral("logged in as ") + m_ownJid;
    case State::Connecting: return QStringLiteral("logging in as ") + m_ownJid;
    case State::Waiting: break;
    }
    const qint64 inMs = qMax<qint64>(0, m_retryAt - steadyMs());
    return QStringLiteral("down: %1, logging in as %2 again in %3 s").arg(m_lostWhy, m_ownJid).arg((inMs + 999) / 1000);
}

void JabberPresence::lost(const QString &why, int retryMs)
{
    if (m_state == State::LoggedIn)
        ++m_losses;
    m_state = State::Waiting;
    m_retryAt = steadyMs() + retryMs;
    if (why != m_lostWhy || retryMs <= XmppSettings::backoffInitialMs)
        emit event(QStringLiteral("jabber: %1 lost (%2), again in %3 s").arg(m_ownJid, why, QString::number(retryMs / 1000)));
    m_lostWhy = why;
    m_book.clear();
}
