#pragma once

#include "model/presence.h"

#include <QHash>
#include <QString>

// The people on the server's roster and what their clients last said, in
// the main thread: the roster as the XMPP server gave it at login and
// pushed since, the presence of each contact's clients.
class ContactBook
{
public:
    explicit ContactBook(int maxContacts) : m_maxContacts(maxContacts) {}

    // Forgets everyone (a new login brings the roster again).
    void clear() { m_contacts.clear(); }

    // A roster item as given or pushed; a removed one, or one that shares
    // nothing either way and waits for nothing, is dropped. False when the
    // contact is new and the book is full, so it was not kept.
    bool setItem(const QString &jid, const QString &subscription, bool asking);
    void remove(const QString &jid) { m_contacts.remove(jid); }

    // What one client of a contact said: its presence type (empty when
    // available) and <show/>. Ignored for people who do not share.
    void setPresence(const QString &jid, const QString &resource, const QString &type, const QString &show);

    bool contains(const QString &jid) const { return m_contacts.contains(jid); }
    bool full() const { return m_contacts.size() >= m_maxContacts; }
    int size() const { return int(m_contacts.size()); }
    // Whether this item says nothing is shared either way any more.
    static bool sharesNothing(const QString &subscription, bool asking);

    // Online when a client is available (no show, or chat), away when the
    // best is away, xa or dnd, offline when she shares and none is; not
    // shared (naming the server's account) when she does not.
    Presence answer(const QString &jid, const QString &ownJid) const;

private:
    struct Contact
    {
        bool shares = false; // subscription "to" or "both": her presence comes to the server
        QHash<QString, Presence::Status> clients; // by resource, at most XmppSettings::maxResources
    };
    int m_maxContacts;
    QHash<QString, Contact> m_contacts;
};
