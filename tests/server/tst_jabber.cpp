// Jabber against a real XMPP server (Prosody, started by CTest on a loopback
// port with TLS of its own test CA): the status server logs in with its own
// account, alice adds it and her presence is answered, bob never does and is
// never written to, and the server comes back after Prosody restarts. The
// server runs as its own program: the people's clients here use libstrophe
// too, and two logins at one moment in one process do not go well with it.
#include "support/httpfetch.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <strophe.h>

namespace {

const quint16 xmppPort = QUORVANE_TEST_XMPP_PORT;
const QString fixtureDir = QStringLiteral(QUORVANE_XMPP_DIR);
const QByteArray serverJid = "quorvane@quorvane.test";

// A person's client on the test server: logs in over verified TLS, keeps
// what reaches it, and approves the status server's request to see her
// presence when told to.
class Client
{
public:
    explicit Client(const QByteArray &name) : m_name(name)
    {
        xmpp_initialize();
        m_ctx = xmpp_ctx_new(nullptr, nullptr);
    }
    ~Client()
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
        xmpp_conn_set_cafile(m_conn, QFile::encodeName(fixtureDir + QStringLiteral("/ca.crt")).constData());
        xmpp_handler_add(m_conn, &Client::received, nullptr, nullptr, nullptr, this);
        if (xmpp_connect_client(m_conn, "127.0.0.1", xmppPort, &Client::changed, this) != XMPP_EOK)
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

    bool approve = false;
    QStringList fromServer; // stanzas the status server's account sent: "presence subscribe"

private:
    static void changed(xmpp_conn_t *, xmpp_conn_event_t event, int, xmpp_stream_error_t *, void *self)
    {
        static_cast<Client *>(self)->m_online = event == XMPP_CONN_CONNECT;
    }
    static int received(xmpp_conn_t *conn, xmpp_stanza_t *stanza, void *userdata)
    {
        auto *self = static_cast<Client *>(userdata);
        const QByteArray from = xmpp_stanza_get_from(stanza) ? xmpp_stanza_get_from(stanza) : "";
        if (from.split('/').value(0).toLower() != serverJid)
            return 1;
        const char *type = xmpp_stanza_get_type(stanza);
        self->fromServer.append(QString::fromUtf8(xmpp_stanza_get_name(stanza)) + QLatin1Char(' ')
                                + QString::fromUtf8(type ? type : ""));
        if (self->approve && type && qstrcmp(type, "subscribe") == 0)
            xmpp_send_raw_string(conn, "<presence to='%s' type='subscribed'/>", serverJid.constData());
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
    xmpp_ctx_t *m_ctx = nullptr;
    xmpp_conn_t *m_conn = nullptr;
    bool m_online = false;
};

bool fixture(const QString &action)
{
    QProcess script;
    script.start(QStringLiteral(QUORVANE_XMPP_FIXTURE), {action, fixtureDir, QString::number(xmppPort)});
    return script.waitForFinished(20'000) && script.exitCode() == 0;
}

} // namespace

class TestJabber : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aStrangerIsAnsweredNotSharedAndNeverWrittenTo();
    void someoneWhoAddsTheServerReadsOnlineAwayOffline();
    void removingTheServerMakesHerUnknownAgain();
    void theServerComesBackAfterItsXmppServerRestarts();
    void cleanupTestCase();

private:
    // The answer to a lookup: "status" or "unknown: reason".
    QString ask(const QByteArray &path);
    // Asks until the answer is the one expected, the clients kept going meanwhile.
    bool answers(const QByteArray &path, const QString &expected, int withinMs = 5000);

    QProcess m_server;
    quint16 m_port = 0;
    Client m_alice{"alice"}, m_bob{"bob"};
};

void TestJabber::initTestCase()
{
    // The password as systemd passes a credential.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CREDENTIALS_DIRECTORY"), fixtureDir + QStringLiteral("/credentials"));
    m_server.setProcessEnvironment(environment);
    m_server.start(QStringLiteral(QUORVANE_SERVER_PROGRAM),
                   {QStringLiteral("--status-port"), QStringLiteral("0"), QStringLiteral("--web-port"), QStringLiteral("0"),
                    QStringLiteral("--xmpp-jid"), QString::fromLatin1(serverJid),
                    QStringLiteral("--xmpp-ca"), fixtureDir + QStringLiteral("/ca.crt"),
                    QStringLiteral("--xmpp-host"), QStringLiteral("127.0.0.1"),
                    QStringLiteral("--xmpp-port"), QString::number(xmppPort)});
    const QRegularExpression line(QStringLiteral("status and pages on 127\\.0\\.0\\.1:(\\d+)\n"));
    QString log;
    for (int i = 0; i < 50 && !m_port; ++i) {
        m_server.waitForReadyRead(100);
        log += QString::fromUtf8(m_server.readAllStandardError());
        m_port = quint16(line.match(log).captured(1).toUInt());
    }
    QVERIFY2(m_port, qPrintable(log));
    QVERIFY(m_alice.login());
    QVERIFY(m_bob.login());
    m_alice.send("<presence/>");
    m_bob.send("<presence/>");
    m_alice.approve = true;
    QVERIFY(answers("/jabber/bob@quorvane.test", "unknown: has not shared presence with quorvane@quorvane.test"));
}

QString TestJabber::ask(const QByteArray &path)
{
    const HttpFetch fetch = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(m_port) + path
                                           + "?format=json", 5000);
    const QJsonObject answer = QJsonDocument::fromJson(fetch.body).object();
    const QString reason = answer.value(QStringLiteral("reason")).toString();
    return answer.value(QStringLiteral("status")).toString() + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
}

bool TestJabber::answers(const QByteArray &path, const QString &expected, int withinMs)
{
    const QDeadlineTimer deadline(withinMs);
    QString last;
    while (!deadline.hasExpired()) {
        if ((last = ask(path)) == expected)
            return true;
        m_alice.pump(100);
        m_bob.pump(100);
    }
    qWarning("%s: %s, not %s", path.constData(), qPrintable(last), qPrintable(expected));
    return false;
}

void TestJabber::aStrangerIsAnsweredNotSharedAndNeverWrittenTo()
{
    const QString notShared = QStringLiteral("unknown: has not shared presence with quorvane@quorvane.test");
    QCOMPARE(ask("/jabber/bob@quorvane.test"), notShared);
    QCOMPARE(ask("/xmpp/BOB@quorvane.test"), notShared);
    QCOMPARE(ask("/jabber/bob@quorvane.test/phone"), QStringLiteral("unknown: not a Jabber address"));
    QCOMPARE(ask("/jabber/quorvane.test"), QStringLiteral("unknown: not a Jabber address"));
    m_bob.pump(500);
    QCOMPARE(m_bob.fromServer, QStringList());
}

void TestJabber::someoneWhoAddsTheServerReadsOnlineAwayOffline()
{
    m_alice.send("<presence to='quorvane@quorvane.test' type='subscribe'/>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "online"));
    // Accepted (her server turns that into the account's presence), then
    // asked in return; presence only.
    QVERIFY(m_alice.fromServer.contains(QStringLiteral("presence subscribe")));
    for (const QString &stanza : std::as_const(m_alice.fromServer))
        QVERIFY2(stanza.startsWith(QLatin1String("presence")), qPrintable(stanza));
    QCOMPARE(ask("/xmpp/alice@quorvane.test"), QStringLiteral("online"));

    m_alice.send("<presence><show>away</show></presence>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "away"));
    m_alice.send("<presence><show>dnd</show></presence>");
    m_alice.pump(300);
    QCOMPARE(ask("/jabber/alice@quorvane.test"), QStringLiteral("away"));
    m_alice.send("<presence><show>chat</show></presence>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "online"));
    m_alice.send("<presence type='unavailable'/>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "offline"));
    m_alice.send("<presence/>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "online"));
    QCOMPARE(m_bob.fromServer, QStringList());
}

void TestJabber::removingTheServerMakesHerUnknownAgain()
{
    m_alice.fromServer.clear();
    m_alice.send("<iq type='set' id='gone'><query xmlns='jabber:iq:roster'>"
                 "<item jid='quorvane@quorvane.test' subscription='remove'/></query></iq>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "unknown: has not shared presence with quorvane@quorvane.test"));
    m_alice.pump(500);
    QVERIFY2(!m_alice.fromServer.contains(QStringLiteral("presence subscribe")), qPrintable(m_alice.fromServer.join(',')));

    // Added again, she is answered again.
    m_alice.send("<presence to='quorvane@quorvane.test' type='subscribe'/>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "online"));
    QCOMPARE(m_bob.fromServer, QStringList());
}

void TestJabber::theServerComesBackAfterItsXmppServerRestarts()
{
    QVERIFY(fixture(QStringLiteral("stop")));
    QVERIFY(answers("/jabber/alice@quorvane.test", "unknown: XMPP server unreachable", 3000));
    const HttpFetch atOnce = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(m_port)
                                            + "/jabber/alice@quorvane.test?format=text");
    QVERIFY(atOnce.elapsedMs < 1000);
    QVERIFY(fixture(QStringLiteral("restart")));
    QVERIFY(answers("/jabber/alice@quorvane.test", "offline", 15'000));
    QVERIFY(m_alice.login());
    m_alice.send("<presence/>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "online"));
}

void TestJabber::cleanupTestCase()
{
    // It ends on SIGTERM at once, its XMPP thread with it.
    m_server.terminate();
    QVERIFY(m_server.waitForFinished(5000));
    QCOMPARE(m_server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestJabber)
#include "tst_jabber.moc"
