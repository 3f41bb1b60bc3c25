#include "xmpp/contactbook.h"

#include "xmpp/jabberid.h"
#include "xmpp/xmppsettings.h"

void ContactBook::clear()
{
    for (auto contact = m_contacts.cbegin(); contact != m_contacts.cend(); ++contact)
        m_remembered.insert(contact.key(), contact->times);
    m_contacts.clear();
    m_domains.clear();
}

bool ContactBook::sharesNothing(const QString &subscription, bool asking)
{
    return subscription == QLatin1String("remove") || (subscription == QLatin1String("none") && !asking);
}

QString ContactBook::domainOf(const QString &jid)
{
    const auto id = JabberId::parse(jid);
    return id ? id->domain : jid.section(QLatin1Char('@'), -1);
}

QHash<QString, ContactBook::Contact>::iterator ContactBook::insert(const QString &jid, qint64 now)
{
    Contact contact;
    contact.times = m_remembered.value(jid, Times{now, now});
    ++m_domains[domainOf(jid)];
    return m_contacts.insert(jid, contact);
}

void ContactBook::remove(const QString &jid)
{
    if (!m_contacts.remove(jid))
        return;
    const auto domain = m_domains.find(domainOf(jid));
    if (domain != m_domains.end() && --*domain <= 0)
        m_domains.erase(domain);
}

bool ContactBook::setItem(const QString &jid, const QString &subscription, bool asking, qint64 now)
{
    if (sharesNothing(subscription, asking)) {
        remove(jid);
        return true;
    }
    auto found = m_contacts.find(jid);
    if (found == m_contacts.end()) {
        if (full())
            return false;
        found = insert(jid, now);
    }
    found->shares = subscription == QLatin1String("to") || subscription == QLatin1String("both");
    if (!found->shares)
        found->clients.clear();
    return true;
}

void ContactBook::reserve(const QString &jid, qint64 now)
{
    if (!m_contacts.contains(jid) && !full())
        insert(jid, now);
}

void ContactBook::setPresence(const QString &jid, const QString &resource, const QString &type, const QString &show,
                              qint64 now)
{
    const auto found = m_contacts.find(jid);
    if (found == m_contacts.end() || !found->shares)
        return;
    if (type == QLatin1String("unavailable")) {
        found->clients.remove(resource); // online until now
        found->times.seen = now;
        return;
    }
    if (!type.isEmpty()) // errors, probes and subscriptions say nothing of her clients
        return;
    found->times.seen = now;
    if (!found->clients.contains(resource) && found->clients.size() >= XmppSettings::maxResources)
        return;
    const bool here = show.isEmpty() || show == QLatin1String("chat");
    found->clients.insert(resource, here ? Presence::Online : Presence::Away);
}

void ContactBook::seen(const QString &jid, qint64 now)
{
    if (const auto found = m_contacts.find(jid); found != m_contacts.end())
        found->times.seen = now;
}

void ContactBook::asked(const QString &jid, qint64 now)
{
    if (const auto found = m_contacts.find(jid); found != m_contacts.end())
        found->times.asked = now;
}

QStringList ContactBook::unseenAndUnasked(qint64 now, qint64 afterMs, int max) const
{
    QStringList found;
    for (auto contact = m_contacts.cbegin(); contact != m_contacts.cend() && found.size() < max; ++contact)
        if (contact->clients.isEmpty() && now - contact->times.seen >= afterMs && now - contact->times.asked >= afterMs)
            found.append(contact.key());
    return found;
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
