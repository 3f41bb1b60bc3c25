#include "xmpp/xmppsession.h"

#include "xmpp/xmpptrouble.h"

#include "model/backoff.h"

#include <QElapsedTimer>
#include <strophe.h>

#include <cstring>
#include <memory>

namespace {

const char rosterNs[] = "jabber:iq:roster";

QString text(const char *value)
{
    return value ? QString::fromUtf8(value) : QString();
}

// The bare address of a full one, in lower case.
QString bareOf(const QString &jid)
{
    return jid.section(QLatin1Char('/'), 0, 0).toLower();
}

XmppSession::RosterItem rosterItem(xmpp_stanza_t *item)
{
    const char *subscription = xmpp_stanza_get_attribute(item, "subscription");
    const char *ask = xmpp_stanza_get_attribute(item, "ask");
    return {bareOf(text(xmpp_stanza_get_attribute(item, "jid"))),
            subscription ? text(subscription) : QStringLiteral("none"), ask && std::strcmp(ask, "subscribe") == 0};
}

// The condition a stream error names: its one child besides its text.
QString condition(const xmpp_stream_error_t *error)
{
    for (xmpp_stanza_t *child = error->stanza ? xmpp_stanza_get_children(error->stanza) : nullptr; child;
         child = xmpp_stanza_get_next(child)) {
        const QString name = text(xmpp_stanza_get_name(child));
        if (!name.isEmpty() && name != QLatin1String("text"))
            return name;
    }
    return {};
}

} // namespace

// One connection's state, in the thread only.
struct XmppSession::Loop
{
    XmppSession *session = nullptr;
    xmpp_ctx_t *ctx = nullptr;
    xmpp_conn_t *conn = nullptr;
    QString ownBare;
    bool ended = false;
    bool loggedIn = false;
    QString why;       // of the end
    QString lastError; // libstrophe's last error line, the detail of a loss
    int removals = 0;  // ids of roster removals

    static void log(void *userdata, xmpp_log_level_t level, const char *, const char *message)
    {
        if (level == XMPP_LEVEL_ERROR)
            static_cast<Loop *>(userdata)->lastError = text(message).left(200);
    }

    static void onConnection(xmpp_conn_t *conn, xmpp_conn_event_t event, int error, xmpp_stream_error_t *streamError,
                             void *userdata)
    {
        auto *loop = static_cast<Loop *>(userdata);
        if (event == XMPP_CONN_CONNECT) {
            // The roster first: it is the truth of who shares presence.
            xmpp_stanza_t *iq = xmpp_iq_new(loop->ctx, "get", "roster");
            xmpp_stanza_t *query = xmpp_stanza_new(loop->ctx);
            xmpp_stanza_set_name(query, "query");
            xmpp_stanza_set_ns(query, rosterNs);
            xmpp_stanza_add_child_ex(iq, query, 0);
            xmpp_id_handler_add(conn, onRoster, "roster", loop);
            xmpp_send(conn, iq);
            xmpp_stanza_release(iq);
            return;
        }
        loop->ended = true;
        loop->why = streamError ? XmppTrouble::ofStreamError(condition(streamError), text(streamError->text))
                                : XmppTrouble::ofConnection(loop->lastError, error);
    }

    static int onRoster(xmpp_conn_t *conn, xmpp_stanza_t *stanza, void *userdata)
    {
        auto *loop = static_cast<Loop *>(userdata);
        if (text(xmpp_stanza_get_type(stanza)) != QLatin1String("result")) {
            loop->lastError = QStringLiteral("the roster was refused");
            xmpp_disconnect(conn);
            return 0;
        }
        QList<RosterItem> roster;
        if (xmpp_stanza_t *query = xmpp_stanza_get_child_by_ns(stanza, rosterNs))
            for (xmpp_stanza_t *item = xmpp_stanza_get_children(query); item; item = xmpp_stanza_get_next(item))
                if (text(xmpp_stanza_get_name(item)) == QLatin1String("item"))
                    roster.append(rosterItem(item));
        loop->loggedIn = true;
        emit loop->session->loggedIn(roster);
        // Available, at a negative priority: messages to the account are
        // not for this client.
        xmpp_stanza_t *presence = xmpp_presence_new(loop->ctx);
        xmpp_stanza_t *priority = xmpp_stanza_new(loop->ctx);
        xmpp_stanza_set_name(priority, "priority");
        xmpp_stanza_t *value = xmpp_stanza_new(loop->ctx);
        xmpp_stanza_set_text(value, "-1");
        xmpp_stanza_add_child_ex(priority, value, 0);
        xmpp_stanza_add_child_ex(presence, priority, 0);
        xmpp_send(conn, presence);
        xmpp_stanza_release(presence);
        return 0;
    }

    // A roster push: believed only from the account's own server.
    static int onRosterPush(xmpp_conn_t *conn, xmpp_stanza_t *stanza, void *userdata)
    {
        auto *loop = static_cast<Loop *>(userdata);
        const QString from = text(xmpp_stanza_get_from(stanza));
        if (!from.isEmpty() && bareOf(from) != loop->ownBare)
            return 1;
        xmpp_stanza_t *result = xmpp_iq_new(loop->ctx, "result", xmpp_stanza_get_id(stanza));
        xmpp_send(conn, result);
        xmpp_stanza_release(result);
        if (xmpp_stanza_t *query = xmpp_stanza_get_child_by_ns(stanza, rosterNs))
            if (xmpp_stanza_t *item = xmpp_stanza_get_child_by_name(query, "item"))
                emit loop->session->rosterPush(rosterItem(item));
        return 1;
    }

    static int onPresence(xmpp_conn_t *, xmpp_stanza_t *stanza, void *userdata)
    {
        auto *loop = static_cast<Loop *>(userdata);
        const QString from = text(xmpp_stanza_get_from(stanza));
        const QString bare = bareOf(from);
        if (from.isEmpty() || bare == loop->ownBare)
            return 1;
        QString show;
        if (xmpp_stanza_t *child = xmpp_stanza_get_child_by_name(stanza, "show")) {
            char *words = xmpp_stanza_get_text(child);
            show = text(words).trimmed();
            xmpp_free(loop->ctx, words);
        }
        emit loop->session->presence(bare, from.section(QLatin1Char('/'), 1), text(xmpp_stanza_get_type(stanza)), show);
        return 1;
    }

    void send(Order order, const QString &jid)
    {
        const QByteArray to = jid.toUtf8();
        if (order == Order::Remove) {
            const QByteArray id = "remove" + QByteArray::number(++removals);
            xmpp_stanza_t *iq = xmpp_iq_new(ctx, "set", id.constData());
            xmpp_stanza_t *query = xmpp_stanza_new(ctx);
            xmpp_stanza_set_name(query, "query");
            xmpp_stanza_set_ns(query, rosterNs);
            xmpp_stanza_t *item = xmpp_stanza_new(ctx);
            xmpp_stanza_set_name(item, "item");
            xmpp_stanza_set_attribute(item, "jid", to.constData());
            xmpp_stanza_set_attribute(item, "subscription", "remove");
            xmpp_stanza_add_child_ex(query, item, 0);
            xmpp_stanza_add_child_ex(iq, query, 0);
            xmpp_send(conn, iq);
            xmpp_stanza_release(iq);
            return;
        }
        const char *type = order == Order::Subscribed ? "subscribed"
                           : order == Order::Unsubscribed ? "unsubscribed"
                                                          : "subscribe";
        xmpp_stanza_t *presence = xmpp_presence_new(ctx);
        xmpp_stanza_set_type(presence, type);
        xmpp_stanza_set_to(presence, to.constData());
        xmpp_send(conn, presence);
        xmpp_stanza_release(presence);
    }
};

XmppSession::XmppSession(const XmppSettings &settings, QObject *parent) : QObject(parent), m_settings(settings)
{
    qRegisterMetaType<XmppSession::RosterItem>();
    qRegisterMetaType<QList<XmppSession::RosterItem>>();
}

XmppSession::~XmppSession()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
}

void XmppSession::start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

bool XmppSession::order(Order order, const QString &bareJid)
{
    std::lock_guard lock(m_mutex);
    if (int(m_orders.size()) >= XmppSettings::maxPendingOrders)
        return false;
    m_orders.emplace_back(order, bareJid);
    return true;
}

bool XmppSession::pause(int ms)
{
    std::unique_lock lock(m_mutex);
    return m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping.load(); });
}

void XmppSession::run()
{
    static std::once_flag initialized;
    std::call_once(initialized, xmpp_initialize);

    Loop loop;
    loop.session = this;
    loop.ownBare = bareOf(m_settings.jid);
    const xmpp_log_t logger{&Loop::log, &loop};
    loop.ctx = xmpp_ctx_new(nullptr, &logger);
    const QByteArray jid = (m_settings.jid + QLatin1Char('/') + m_settings.resource).toUtf8();
    const QByteArray host = m_settings.host.toUtf8();
    const QByteArray caFile = m_settings.caFile.toUtf8();

    Backoff backoff(XmppSettings::backoffInitialMs, XmppSettings::backoffMaxMs);
    while (!m_stopping) {
        emit connecting();
        loop.conn = xmpp_conn_new(loop.ctx);
        loop.ended = loop.loggedIn = false;
        loop.why.clear();
        loop.lastError.clear();
        // TLS or nothing; a session of its own each time, never resumed.
        xmpp_conn_set_flags(loop.conn, XMPP_CONN_FLAG_MANDATORY_TLS | XMPP_CONN_FLAG_DISABLE_SM);
        xmpp_conn_set_jid(loop.conn, jid.constData());
        xmpp_conn_set_pass(loop.conn, m_settings.password.constData());
        if (!caFile.isEmpty())
            xmpp_conn_set_cafile(loop.conn, caFile.constData());
        xmpp_conn_set_sockopt_callback(loop.conn, xmpp_sockopt_cb_keepalive);
        xmpp_handler_add(loop.conn, &Loop::onRosterPush, rosterNs, "iq", "set", &loop);
        xmpp_handler_add(loop.conn, &Loop::onPresence, nullptr, "presence", nullptr, &loop);

        QElapsedTimer since;
        since.start();
        if (xmpp_connect_client(loop.conn, host.isEmpty() ? nullptr : host.constData(), m_settings.port,
                                &Loop::onConnection, &loop) != XMPP_EOK) {
            loop.ended = true;
            loop.why = XmppTrouble::ofConnection(loop.lastError, 0);
        }
        bool closing = false;
        while (!loop.ended) {
            xmpp_run_once(loop.ctx, XmppSettings::loopWaitMs);
            if (m_stopping && !closing) {
                closing = true;
                since.restart();
                xmpp_disconnect(loop.conn);
            } else if (closing && since.hasExpired(XmppSettings::closeLingerMs)) {
                break;
            } else if (!loop.loggedIn && !closing && since.hasExpired(XmppSettings::loginTimeoutMs)) {
                loop.lastError = QStringLiteral("no login in time");
                xmpp_disconnect(loop.conn);
            }
            if (loop.loggedIn && !closing) {
                std::deque<std::pair<Order, QString>> orders;
                {
                    std::lock_guard lock(m_mutex);
                    orders.swap(m_orders);
                }
                for (const auto &[order, to] : orders)
                    loop.send(order, to);
            }
        }
        if (loop.loggedIn)
            backoff.reset();
        xmpp_conn_release(loop.conn);
        loop.conn = nullptr;
        if (m_stopping)
            break;
        const int waitMs = backoff.next();
        emit lost(loop.why, waitMs);
        if (pause(waitMs))
            break;
    }
    xmpp_ctx_free(loop.ctx);
}
