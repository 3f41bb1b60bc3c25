#include "xmpp/subscriptiongate.h"

#include "xmpp/contactbook.h"

#include <algorithm>

namespace {

const qint64 minuteMs = 60'000;

} // namespace

SubscriptionGate::Refusal SubscriptionGate::admit(const QString &domain, const ContactBook &book, qint64 now)
{
    while (!m_minute.isEmpty() && now - m_minute.first().at >= minuteMs)
        m_minute.removeFirst();
    if (book.full())
        return Refusal::RosterFull;
    if (m_minute.size() >= XmppSettings::subscriptionsPerMinute)
        return Refusal::MinuteFull;
    const auto ofDomain = std::count_if(m_minute.cbegin(), m_minute.cend(),
                                        [&domain](const Accepted &accepted) { return accepted.domain == domain; });
    if (ofDomain >= m_settings.domainPerMinute)
        return Refusal::DomainMinuteShare;
    if (book.domainSize(domain) >= m_settings.domainContactsBound())
        return Refusal::DomainContactShare;
    m_minute.append({now, domain});
    return Refusal::None;
}

const char *SubscriptionGate::words(Refusal refusal)
{
    switch (refusal) {
    case Refusal::None: break;
    case Refusal::RosterFull: return "roster full";
    case Refusal::MinuteFull: return "minute full";
    case Refusal::DomainMinuteShare: return "domain's share of the minute";
    case Refusal::DomainContactShare: return "domain's share of the contacts";
    }
    return "";
}
