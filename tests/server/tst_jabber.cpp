// Jabber against a real Prosody (a CTest fixture, TLS of its own CA). The
// server runs as a program: two libstrophe logins at one moment in one
// process (its and a client's here) do not go well.
#include "support/httpfetch.h"
#include "support/xmppclient.h"
#include "support/xmppcomponent.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryFile>
#include <QTest>

namespace {

const quint16 xmppPort = QUORVANE_TEST_XMPP_PORT;
const QString fixtureDir = QStringLiteral(QUORVANE_XMPP_DIR);
const QString serverJid = QString::fromLatin1(XmppClient::serverJid);

// The server program with the Jabber account, its password as systemd
// passes a credential, trusting the test CA or not, with more options; its
// status port.
quint16 start(QProcess &server, bool trusting, const QStringList &more = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CREDENTIALS_DIRECTORY"), fixtureDir + QStringLiteral("/credentials"));
    server.setProcessEnvironment(environment);
    server.start(QStringLiteral(QUORVANE_SERVER_PROGRAM),
                 QStringLiteral("--status-port 0 --web-port 0 --xmpp-jid %1 --xmpp-host 127.0.0.1 --xmpp-port %2%3")
                     .arg(serverJid).arg(xmppPort).arg(trusting ? " --xmpp-ca " + fixtureDir + "/ca.crt" : "").split(' ')
                     + more);
    const QRegularExpression line(QStringLiteral("status and pages on 127\\.0\\.0\\.1:(\\d+)\n"));
    QString log;
    for (int i = 0; i < 50 && !line.match(log).hasMatch(); ++i) {
        server.waitForReadyRead(100);
        log += QString::fromUtf8(server.readAllStandardError());
    }
    return quint16(line.match(log).captured(1).toUInt());
}

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
    void aServerItCannotVerifyIsNeverLoggedInto();
    void aWrongPasswordIsSaidSo();
    void someoneWhoAddsTheServerReadsOnlineAwayOffline();
    void theStatusPageAndTheMetricsShowTheAccount();
    void removingTheServerMakesHerUnknownAgain();
    void aDomainThatFloodsLeavesRoomForOthers();
    void contactsNeitherSeenNorAskedForAreLetGo();
    void theServerComesBackAfterItsXmppServerRestarts();
    void cleanupTestCase();

private:
    // The answer to a lookup: "status" or "unknown: reason".
    QString ask(const QByteArray &path, quint16 port = 0);
    // The shields JSON's message and the badge's words: "status | status[, reason]".
    QString badge(const QByteArray &path);
    // Asks until the answer is the one expected, the clients kept going meanwhile.
    bool answers(const QByteArray &path, const QString &expected, int withinMs = 5000);

    // The status page's line of the account.
    QByteArray accountLine(quint16 port);

    QProcess m_server;
    quint16 m_port = 0;
    XmppClient m_alice{"alice", xmppPort, fixtureDir}, m_bob{"bob", xmppPort, fixtureDir};
    XmppClient m_carol{"carol", xmppPort, fixtureDir};
    // A stranger's server of its own, speaking for the people of crowd.test.
    XmppComponent m_crowd{QStringLiteral("crowd.test"), quint16(xmppPort + 1), "crowd-test-secret"};
};

void TestJabber::initTestCase()
{
    QVERIFY(fixture(QStringLiteral("start"))); // afresh: no roster left by an earlier test
    QVERIFY((m_port = start(m_server, true)) != 0);
    QVERIFY(m_alice.login());
    QVERIFY(m_bob.login());
    m_alice.send("<presence/>");
    m_bob.send("<presence/>");
    QVERIFY(answers("/jabber/bob@quorvane.test", "unknown: has not shared presence with quorvane@quorvane.test"));
}

QString TestJabber::ask(const QByteArray &path, quint16 port)
{
    const HttpFetch fetch = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(port ? port : m_port) + path
                                           + "?format=json", 5000);
    const QJsonObject answer = QJsonDocument::fromJson(fetch.body).object();
    const QString reason = answer.value(QStringLiteral("reason")).toString();
    return answer.value(QStringLiteral("status")).toString() + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
}

QString TestJabber::badge(const QByteArray &path)
{
    const QByteArray address = "http://127.0.0.1:" + QByteArray::number(m_port) + path;
    const QJsonObject shields = QJsonDocument::fromJson(HttpFetch::get(address + "?format=shields", 5000).body).object();
    static const QRegularExpression title(QStringLiteral("<title>[^<]*: ([^<]*)</title>"));
    const QString svg = QString::fromUtf8(HttpFetch::get(address + "?format=svg", 5000).body);
    return shields.value(QStringLiteral("message")).toString() + QStringLiteral(" | ") + title.match(svg).captured(1);
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
    // Never more than was shared, in the badges too.
    QCOMPARE(badge("/jabber/bob@quorvane.test"), "unknown | unknown, has not shared presence with " + serverJid);
    QCOMPARE(ask("/jabber/bob@quorvane.test/phone"), QStringLiteral("unknown: not a Jabber address"));
    m_bob.pump(500);
    QCOMPARE(m_bob.fromServer, QStringList());
}

void TestJabber::aServerItCannotVerifyIsNeverLoggedInto()
{
    QProcess untrusting;
    const quint16 port = start(untrusting, false);
    QTest::qWait(1500);
    QCOMPARE(ask("/jabber/bob@quorvane.test", port), QStringLiteral("unknown: XMPP server unreachable"));
    const QByteArray log = untrusting.readAllStandardError();
    QVERIFY2(log.contains("lost (the XMPP server's certificate is not trusted)") && !log.contains("logged in"),
             log.constData());
    const QByteArray health = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(port) + "/health", 5000).body;
    QVERIFY2(health.contains("\njabber down: the XMPP server's certificate is not trusted, logging in as "), health.constData());
}

void TestJabber::aWrongPasswordIsSaidSo()
{
    QTemporaryFile wrong;
    QVERIFY(wrong.open());
    wrong.write("not-the-password\n");
    wrong.close();
    QProcess refused;
    const quint16 port = start(refused, true, {QStringLiteral("--xmpp-password-file"), wrong.fileName()});
    QTest::qWait(1500);
    QCOMPARE(ask("/jabber/bob@quorvane.test", port), QStringLiteral("unknown: XMPP server unreachable"));
    const QByteArray log = refused.readAllStandardError();
    QVERIFY2(log.contains("lost (the password was refused)") && !log.contains("logged in"), log.constData());
}

void TestJabber::someoneWhoAddsTheServerReadsOnlineAwayOffline()
{
    m_alice.send("<presence to='quorvane@quorvane.test' type='subscribe'/>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "online"));
    // Accepted, and asked in return; presence only.
    QVERIFY(m_alice.fromServer.contains(QStringLiteral("presence subscribe")));
    for (const QString &stanza : std::as_const(m_alice.fromServer))
        QVERIFY2(stanza.startsWith(QLatin1String("presence")), qPrintable(stanza));

    m_alice.send("<presence><show>away</show></presence>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "away"));
    QCOMPARE(badge("/jabber/alice@quorvane.test"), QStringLiteral("away | away"));
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
    QVERIFY(HttpFetch::get(base + "/Msntv/statusexe2.html").body.contains("<td>quorvane@quorvane.test</td><td>connected, 1 contact</td>"));
    QVERIFY(HttpFetch::get(base + "/metrics").body.contains("quorvane_xmpp_subscriptions_total{answer=\"accepted\"} 1\n"));
}

void TestJabber::removingTheServerMakesHerUnknownAgain()
{
    m_alice.fromServer.clear();
    m_alice.send("<iq type='set' id='gone'><query xmlns='jabber:iq:roster'>"
                 "<item jid='quorvane@quorvane.test' subscription='remove'/></query></iq>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "unknown: has not shared presence with quorvane@quorvane.test"));
    QCOMPARE(badge("/jabber/alice@quorvane.test"), "unknown | unknown, has not shared presence with " + serverJid);
    m_alice.pump(500);
    QVERIFY2(!m_alice.fromServer.contains(QStringLiteral("presence subscribe")), qPrintable(m_alice.fromServer.join(',')));

    // Added again, she is answered again.
    m_alice.send("<presence to='quorvane@quorvane.test' type='subscribe'/>");
    QVERIFY(answers("/jabber/alice@quorvane.test", "online"));
    QCOMPARE(m_bob.fromServer, QStringList());
}

void TestJabber::aDomainThatFloodsLeavesRoomForOthers()
{
    // 70 people of one domain ask within a moment, as a stranger's server
    // of its own can: only that domain's share of the minute is accepted.
    QVERIFY(m_crowd.connect());
    const int flood = 70;
    for (int i = 0; i < flood; ++i)
        m_crowd.send("<presence from='u" + QByteArray::number(i) + "@crowd.test' to='quorvane@quorvane.test' type='subscribe'/>");
    const auto count = [this](const char *type) { return m_crowd.presenceTypes().count(QLatin1String(type)); };
    const QDeadlineTimer deadline(10'000);
    while (count("subscribed") + count("unsubscribed") < flood && !deadline.hasExpired())
        m_crowd.pump(100);
    qInfo("of %d requests of one domain at once: %lld accepted, %lld refused", flood, qlonglong(count("subscribed")),
          qlonglong(count("unsubscribed")));
    QCOMPARE(count("subscribed"), 30); // half of the minute's 60, the default
    QCOMPARE(count("unsubscribed"), flood - 30);

    // Someone of another domain, asking next, is accepted and answered.
    QVERIFY(m_carol.login());
    m_carol.send("<presence/>");
    m_carol.send("<presence to='quorvane@quorvane.test' type='subscribe'/>");
    const QDeadlineTimer online(5000);
    while (ask("/jabber/carol@quorvane.test") != QLatin1String("online") && !online.hasExpired())
        m_carol.pump(100);
    QCOMPARE(ask("/jabber/carol@quorvane.test"), QStringLiteral("online"));

    const QByteArray metrics = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(m_port) + "/metrics").body;
    QVERIFY2(metrics.contains("quorvane_xmpp_subscriptions_total{answer=\"refused\",why=\"domain's share of the minute\"} 40\n"),
             metrics.constData());
    QCOMPARE(accountLine(m_port), QByteArray("connected, 32 contacts"));
}

QByteArray TestJabber::accountLine(quint16 port)
{
    const QByteArray page = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(port) + "/Msntv/statusexe2.html").body;
    const QRegularExpression line(QStringLiteral("<td>quorvane@quorvane.test</td><td>([^<]*)</td>"));
    return line.match(QString::fromUtf8(page)).captured(1).toUtf8();
}

void TestJabber::contactsNeitherSeenNorAskedForAreLetGo()
{
    // Another instance, a client of the account of its own, that lets go
    // after 2.6 s: the crowd's people never shared nor came online; alice
    // and carol are online. Everyone counts from its login.
    QProcess forgetting;
    const auto ended = qScopeGuard([&forgetting] {
        forgetting.terminate();
        forgetting.waitForFinished(5000);
    });
    const quint16 port = start(forgetting, true, {"--instance", "forgetting", "--xmpp-forget-after-days", "0.00003"});
    QVERIFY(port != 0);
    const auto waitFor = [&](const QByteArray &line, int withinMs) {
        const QDeadlineTimer deadline(withinMs);
        while (accountLine(port) != line && !deadline.hasExpired()) {
            m_crowd.pump(50);
            m_alice.pump(20);
            m_carol.pump(20);
        }
        return accountLine(port) == line;
    };
    // A new process lets nobody go before its own forget time has passed.
    QVERIFY(waitFor("connected, 32 contacts", 10'000));
    QElapsedTimer sinceLogin;
    sinceLogin.start();
    QVERIFY(waitFor("connected, 2 contacts", 10'000));
    qInfo("let go %lld ms after its login was seen", sinceLogin.elapsed());
    QVERIFY(sinceLogin.elapsed() > 2000);
    QVERIFY(HttpFetch::get("http://127.0.0.1:" + QByteArray::number(port) + "/metrics")
                .body.contains("quorvane_xmpp_contacts_forgotten_total 30\n"));
    // Gone from the roster, so for the first instance too; their server told.
    QVERIFY(answers("/jabber/carol@quorvane.test", "online"));
    const auto unsubscribed = [this] { return m_crowd.presenceTypes().count(QStringLiteral("unsubscribed")); };
    const QDeadlineTimer told(5000);
    while ((accountLine(m_port) != "connected, 2 contacts" || unsubscribed() < 40 + 30) && !told.hasExpired())
        m_crowd.pump(100);
    QCOMPARE(accountLine(m_port), QByteArray("connected, 2 contacts"));
    QCOMPARE(unsubscribed(), 40 + 30); // the refused of before, and now those let go
    QCOMPARE(ask("/jabber/alice@quorvane.test"), QStringLiteral("online"));
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
