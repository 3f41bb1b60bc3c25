#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QStringList>
#include <strophe.h>

// A person's client on the test server: logs in over verified TLS, keeps
// what the status server's account sends it and approves its requests.
class XmppClient
{
public:
    static constexpr const char *serverJid = "quorvane@quorvane.test";

    XmppClient(const QByteArray &name, quint16 port, const QString &fixtureDir)
        : m_name(name), m_port(port), m_fixtureDir(fixtureDir)
    {
        xmpp_initialize();
        m_ctx = xmpp_ctx_new(nullptr, nullptr);
    }
    ~XmppClient()
    {
        release();
        xmpp_ctx_free(m_ctx);
    }

    bool login()
    {
        release();
        m_conn = xmpp_conn_new(m_ctx);
        m_online = false;
        xmpp_conn_set_flags(m_conn, XMPP_CONN_FLAG_MANDATORY_TLS | XMPP_CONN_FLAG_DISABLE_SM);
        xmpp_conn_set_jid(m_conn, (m_name + "@quorvane.test/test").constData());
        xmpp_conn_set_pass(m_conn, (m_name + "-test-password").constData());
        xmpp_conn_set_cafile(m_conn, QFile::encodeName(m_fixtureDir + QStringLiteral("/ca.crt")).constData());
        xmpp_handler_add(m_conn, &XmppClient::received, nullptr, nullptr, nullptr, this);
        if (xmpp_connect_client(m_conn, "127.0.0.1", m_port, &XmppClient::changed, this) != XMPP_EOK)
            return false;
        const QDeadlineTimer deadline(5000);
        while (!m_online && !deadline.hasExpired())
            pump(50);
        return m_online;
    }

    void send(const char *xml) { xmpp_send_raw_string(m_conn, "%s", xml); }
    void pump(int ms)
    {
        const QDeadlineTimer deadline(ms);
        do {
            xmpp_run_once(m_ctx, 10);
            QCoreApplication::processEvents();
        } while (!deadline.hasExpired());
    }

    QStringList fromServer; // "presence subscribe", ...

private:
    static void changed(xmpp_conn_t *, xmpp_conn_event_t event, int, xmpp_stream_error_t *, void *self)
    {
        static_cast<XmppClient *>(self)->m_online = event == XMPP_CONN_CONNECT;
    }
    static int received(xmpp_conn_t *conn, xmpp_stanza_t *stanza, void *userdata)
    {
        auto *self = static_cast<XmppClient *>(userdata);
        const QByteArray from = xmpp_stanza_get_from(stanza) ? xmpp_stanza_get_from(stanza) : "";
        if (from.split('/').value(0).toLower() != QByteArray(serverJid))
            return 1;
        const char *type = xmpp_stanza_get_type(stanza);
        self->fromServer.append(QString::fromUtf8(xmpp_stanza_get_name(stanza)) + QLatin1Char(' ')
                                + QString::fromUtf8(type ? type : ""));
        if (type && qstrcmp(type, "subscribe") == 0)
            xmpp_send_raw_string(conn, "<presence to='%s' type='subscribed'/>", serverJid);
        return 1;
    }
    void release()
    {
        if (!m_conn)
            return;
        if (m_online) {
            xmpp_disconnect(m_conn);
            pump(200);
        }
        xmpp_conn_release(m_conn);
        m_conn = nullptr;
    }

    QByteArray m_name;
    quint16 m_port;
    QString m_fixtureDir;
    xmpp_ctx_t *m_ctx = nullptr;
    xmpp_conn_t *m_conn = nullptr;
    bool m_online = false;
};
