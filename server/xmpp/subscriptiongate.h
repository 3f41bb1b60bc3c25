#pragma once

#include "xmpp/xmppsettings.h"

#include <QList>
#include <QString>

class ContactBook;

// Who may add the server's account now: within the roster's bound and the
// minute's rate, and within one domain's share of both, so that a domain
// that floods (a stranger's server of its own) leaves room for everyone else.
class SubscriptionGate
{
public:
    enum class Refusal { None, RosterFull, MinuteFull, DomainMinuteShare, DomainContactShare };
    static constexpr int refusals = 5; // the values of Refusal

    explicit SubscriptionGate(const XmppSettings &settings) : m_settings(settings) {}

    // The verdict on a newcomer of this domain at this moment (milliseconds
    // of a steady clock); an acceptance is counted in the minute.
    Refusal admit(const QString &domain, const ContactBook &book, qint64 now);

    // A refusal in words, for the log and the metrics' label: written here only.
    static const char *words(Refusal refusal);

private:
    struct Accepted
    {
        qint64 at;
        QString domain;
    };

    XmppSettings m_settings;
    // The last minute's acceptances, oldest first: at most
    // XmppSettings::subscriptionsPerMinute, and so its domains too.
    QList<Accepted> m_minute;
};
