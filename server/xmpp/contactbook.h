#pragma once

#include "model/presence.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The people on the server's roster and what their clients last said, in
// the main thread: the roster as the XMPP server gave it at login and
// pushed since, the presence of each contact's clients, how many contacts
// each domain holds, and when each was last seen online or asked for.
// Times are milliseconds of a steady clock, passed in.
class ContactBook
{
public:
    explicit ContactBook(int maxContacts) : m_maxContacts(maxContacts) {}

    // Forgets everyone (a new login brings the roster again), but remembers
    // until the next login when each was seen and asked for.
    void clear();
    // The login's roster is in: what was remembered of those who left goes.
    void loggedIn() { m_remembered.clear(); }

    // A roster item as given or pushed; a removed one, or one that shares
    // nothing either way and waits for nothing, is dropped. False when the
    // contact is new and the book is full, so it was not kept. A new
    // contact counts as seen and asked for now.
    bool setItem(const QString &jid, const QString &subscription, bool asking, qint64 now);
    // Someone just accepted: her place (and her domain's) is hers before the
    // XMPP server pushes her roster item.
    void reserve(const QString &jid, qint64 now);
    void remove(const QString &jid);

    // What one client of a contact said: its presence type (empty when
    // available) and <show/>. Ignored for people who do not share; anything
    // of a client counts as seen.
    void setPresence(const QString &jid, const QString &resource, const QString &type, const QString &show, qint64 now);
    void seen(const QString &jid, qint64 now);
    void asked(const QString &jid, qint64 now);

    bool contains(const QString &jid) const { return m_contacts.contains(jid); }
    bool full() const { return m_contacts.size() >= m_maxContacts; }
    int size() const { return int(m_contacts.size()); }
    int domainSize(const QString &domain) const { return m_domains.value(domain); }
    // Whether this item says nothing is shared either way any more.
    static bool sharesNothing(const QString &subscription, bool asking);
    // The domain of a bare address, as JabberId gives it (what follows the
    // last "@" for an address it refuses).
    static QString domainOf(const QString &jid);

    // Up to max contacts neither seen online nor asked for within the last
    // afterMs, none of whose clients is here now.
    QStringList unseenAndUnasked(qint64 now, qint64 afterMs, int max) const;

    // Online when a client is available (no show, or chat), away when the
    // best is away, xa or dnd, offline when she shares and none is; not
    // shared (naming the server's account) when she does not.
    Presence answer(const QString &jid, const QString &ownJid) const;

private:
    struct Times
    {
        qint64 seen = 0;  // last online (or first known)
        qint64 asked = 0; // last looked up (or first known)
    };
    struct Contact
    {
        bool shares = false; // subscription "to" or "both": her presence comes to the server
        QHash<QString, Presence::Status> clients; // by resource, at most XmppSettings::maxResources
        Times times;
    };
    // A new contact, with her times from before a loss when there are any.
    QHash<QString, Contact>::iterator insert(const QString &jid, qint64 now);

    int m_maxContacts;
    QHash<QString, Contact> m_contacts;
    QHash<QString, int> m_domains;       // contacts by domain, at most one entry per contact
    QHash<QString, Times> m_remembered; // the contacts of before a loss, until the next login
};
