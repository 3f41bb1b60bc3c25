#pragma once

#include "xmpp/xmppsettings.h"

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// The server's login to its own Jabber account, in a thread of its own:
// libstrophe's loop waits on its socket there, never in Qt's event loop.
// The thread logs in (TLS required and verified, SCRAM where offered),
// fetches the roster, makes the account available and reconnects after a
// loss; what it learns it reports by signals, which reach the session's
// own thread queued. Orders go the other way through a short locked queue.
class XmppSession : public QObject
{
    Q_OBJECT

public:
    // One contact of the account's roster.
    struct RosterItem
    {
        QString jid;          // bare, in lower case
        QString subscription; // "none", "to", "from", "both" or "remove"
        bool asking = false;  // the account's own request waits for her answer
    };

    // What the thread sends to a person, or does to the roster.
    enum class Order { Subscribed, Unsubscribed, Subscribe, Remove };

    explicit XmppSession(const XmppSettings &settings, QObject *parent = nullptr);
    // Closes the stream (within XmppSettings::closeLingerMs) and ends the thread.
    ~XmppSession() override;

    void start();

    // Thread-safe. Queues an order for the thread, sent once logged in;
    // false when XmppSettings::maxPendingOrders already wait.
    bool order(Order order, const QString &bareJid);

signals:
    void connecting();
    // Logged in, with the whole roster; pushes and presence follow.
    void loggedIn(const QList<XmppSession::RosterItem> &roster);
    void rosterPush(const XmppSession::RosterItem &item);
    // A presence stanza from a client: its type ("" when available,
    // "unavailable", "subscribe", ...) and its <show/>.
    void presence(const QString &bareJid, const QString &resource, const QString &type, const QString &show);
    // The connection ended or could not be made; the next attempt follows in retryMs.
    void lost(const QString &why, int retryMs);

private:
    struct Loop;
    void run();
    // Waits for the backoff or a stop; true when stopping.
    bool pause(int ms);

    const XmppSettings m_settings;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::pair<Order, QString>> m_orders; // guarded by m_mutex
    std::atomic<bool> m_stopping{false};
};

Q_DECLARE_METATYPE(XmppSession::RosterItem)
