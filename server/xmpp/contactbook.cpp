#include "xmpp/contactbook.h"

#include "xmpp/xmppsettings.h"

bool ContactBook::sharesNothing(const QString &subscription, bool asking)
{
    return subscription == QLatin1String("remove") || (subscription == QLatin1String("none") && !asking);
}

bool ContactBook::setItem(const QString &jid, const QString &subscription, bool asking)
{
    if (sharesNothing(subscription, asking)) {
        m_contacts.remove(jid);
        return true;
    }
    auto found = m_contacts.find(jid);
    if (found == m_contacts.end()) {
        if (full())
            return false;
        found = m_contacts.insert(jid, {});
    }
    found->shares = subscription == QLatin1String("to") || subscription == QLatin1String("both");
    if (!found->shares)
        found->clients.clear();
    return true;
}

void ContactBook::setPresence(const QString &jid, const QString &resource, const QString &type, const QString &show)
{
    const auto found = m_contacts.find(jid);
    if (found == m_contacts.end() || !found->shares)
        return;
    if (type == QLatin1String("unavailable")) {
        found->clients.remove(resource);
        return;
    }
    if (!type.isEmpty()) // errors, probes and subscriptions say nothing of her clients
        return;
    if (!found->clients.contains(resource) && found->clients.size() >= XmppSettings::maxResources)
        return;
    const bool here = show.isEmpty() || show == QLatin1String("chat");
    found->clients.insert(resource, here ? Presence::Online : Presence::Away);
}

Presence ContactBook::answer(const QString &jid, const QString &ownJid) const
{
    const auto found = m_contacts.constFind(jid);
    if (found == m_contacts.constEnd() || !found->shares)
        return Presence::unknown(Reason::NotShared, ownJid);
    Presence::Status best = Presence::Offline;
    for (const Presence::Status status : found->clients) {
        if (status == Presence::Online)
            return Presence::known(Presence::Online);
        best = Presence::Away;
    }
    return Presence::known(best);
}
