// Jabber against a real Prosody (a CTest fixture, TLS of its own CA): alice
// adds the server's account and her presence is answered, bob never does and
// is never written to, and the server comes back after Prosody restarts. The
// server runs as a program of its own: two libstrophe logins at one moment in
// one process (its and a client's here) do not go well.
#include "support/httpfetch.h"
#include "support/xmppclient.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

const quint16 xmppPort = QUORVANE_TEST_XMPP_PORT;
const QString fixtureDir = QStringLiteral(QUORVANE_XMPP_DIR);
const QString serverJid = QString::fromLatin1(XmppClient::serverJid);

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
    void theStatusPageAndTheMetricsShowTheAccount();
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
    XmppClient m_alice{"alice", xmppPort, fixtureDir}, m_bob{"bob", xmppPort, fixtureDir};
};

void TestJabber::initTestCase()
{
    // The password as systemd passes a credential.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CREDENTIALS_DIRECTORY"), fixtureDir + QStringLiteral("/credentials"));
    m_server.setProcessEnvironment(environment);
    m_server.start(QStringLiteral(QUORVANE_SERVER_PROGRAM),
                   QStringLiteral("--status-port 0 --web-port 0 --xmpp-jid %1 --xmpp-ca %2/ca.crt --xmpp-host 127.0.0.1 "
                                  "--xmpp-port %3").arg(serverJid, fixtureDir).arg(xmppPort).split(' '));
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

void TestJabber::theStatusPageAndTheMetricsShowTheAccount()
{
    const QByteArray base = "http://127.0.0.1:" + QByteArray::number(m_port);
    const QByteArray page = HttpFetch::get(base + "/Msntv/statusexe2.html").body;
    QVERIFY2(page.contains("<td>quorvane@quorvane.test</td><td>connected, 1 contact</td>"), page.constData());
    const QByteArray metrics = HttpFetch::get(base + "/metrics").body;
    QVERIFY2(metrics.contains("quorvane_xmpp_subscriptions_total{answer=\"accepted\"} 1\n"), metrics.constData());
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
    m_server.terminate();
    QVERIFY(m_server.waitForFinished(5000));
    QCOMPARE(m_server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestJabber)
#include "tst_jabber.moc"
