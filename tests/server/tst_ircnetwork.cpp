// The IRC side as the HTTP side uses it, against scripted IRC servers on
// the loopback address: answers, coalescing and the cache counted at the
// server, the address policy, and every bound answering unknown in time.
#include "support/fastirc.h"
#include "support/scriptedircserver.h"

#include "irc/ircidentity.h"
#include "irc/ircpresence.h"

#include <QHostInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QSslKey>
#include <QSignalSpy>
#include <QTest>

namespace {

IrcSettings fastSettings(quint16 port)
{
    return fastIrcSettings({port});
}

IrcIdentity identity(const QString &nick, quint16 port, const QString &host = QStringLiteral("127.0.0.1"))
{
    return {nick, host, port};
}

// Collects the answers of lookups and when each came.
struct Answers
{
    QList<Presence> all;
    QList<qint64> at;
    QElapsedTimer clock;

    Answers() { clock.start(); }
    PresenceRequest::Answer collect()
    {
        return [this](const Presence &presence) {
            all.append(presence);
            at.append(clock.elapsed());
        };
    }
};

} // namespace

class TestIrcNetwork : public QObject
{
    Q_OBJECT

private slots:
    void nicksReadOnlineOrOfflineAsTheNetworkSays();
    void fortyWaitingNicksCostAtMostTwoIsonLines();
    void aRepeatedLookupIsAnsweredFromTheCache();
    void aLookupForANickBeingAskedJoinsThePendingAnswer();
    void loopbackIsRefusedWithoutAnAllowedNetwork();
    void eachBoundAnswersUnknownInTime_data();
    void eachBoundAnswersUnknownInTime();
    void tlsRefusedFallsBackToPlainText();
    void tlsVerifiedAgainstTheGivenCaIsUsed();
    void networksAndQueuesPastTheirBoundAreBusy();
    void aDroppedNetworkIsReconnected();
    void anIdleNetworkIsLeftWithQuit();
};

void TestIrcNetwork::nicksReadOnlineOrOfflineAsTheNetworkSays()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Answer);
    irc.setOnline({"Telmik"});
    IrcPresence presence(fastSettings(irc.port()), loopbackAllowed());
    Answers answers;
    presence.lookup(identity(QStringLiteral("telmik"), irc.port()), answers.collect());
    presence.lookup(identity(QStringLiteral("Brasko"), irc.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 2);
    QCOMPARE(answers.all.at(0).status, Presence::Online);
    QCOMPARE(answers.all.at(1).status, Presence::Offline);
    QCOMPARE(irc.connections(), 1);
    QCOMPARE(presence.rows().size(), 1);
    QCOMPARE(presence.rows().at(0).state, QStringLiteral("connected"));
}

void TestIrcNetwork::fortyWaitingNicksCostAtMostTwoIsonLines()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Answer);
    irc.setOnline({"n7", "n31"});
    IrcPresence presence(fastSettings(irc.port()), loopbackAllowed());
    Answers answers;
    for (int i = 0; i < 40; ++i)
        presence.lookup(identity(QStringLiteral("n%1").arg(i), irc.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 40);
    QVERIFY2(irc.lines("ISON").size() <= 2, qPrintable(irc.lines("ISON").join('\n')));
    int online = 0;
    for (const Presence &answer : answers.all)
        online += answer.status == Presence::Online;
    QCOMPARE(online, 2);
}

void TestIrcNetwork::aRepeatedLookupIsAnsweredFromTheCache()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Answer);
    irc.setOnline({"Telmik"});
    IrcSettings settings = fastSettings(irc.port());
    settings.cacheMs = 400;
    IrcPresence presence(settings, loopbackAllowed());
    Answers answers;
    presence.lookup(identity(QStringLiteral("Telmik"), irc.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 1);
    presence.lookup(identity(QStringLiteral("TELMIK"), irc.port()), answers.collect());
    QCOMPARE(answers.all.size(), 2); // at once
    QVERIFY(answers.all.at(1).cached);
    QCOMPARE(answers.all.at(1).status, Presence::Online);
    QCOMPARE(irc.lines("ISON").size(), 1);
    QTest::qWait(450); // expired: asked again
    presence.lookup(identity(QStringLiteral("Telmik"), irc.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 3);
    QVERIFY(!answers.all.at(2).cached);
    QCOMPARE(irc.lines("ISON").size(), 2);
}

void TestIrcNetwork::aLookupForANickBeingAskedJoinsThePendingAnswer()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Answer);
    irc.setOnline({"Telmik"});
    IrcPresence presence(fastSettings(irc.port()), loopbackAllowed());
    Answers answers;
    for (const char *nick : {"Telmik", "telmik", "TELMIK"})
        presence.lookup(identity(QString::fromLatin1(nick), irc.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 3);
    QCOMPARE(irc.lines("ISON"), QByteArrayList{"ISON Telmik"});
    for (const Presence &answer : answers.all)
        QCOMPARE(answer.status, Presence::Online);
}

void TestIrcNetwork::loopbackIsRefusedWithoutAnAllowedNetwork()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Answer);
    IrcPresence presence(fastSettings(irc.port()), AddressPolicy());
    Answers answers;
    presence.lookup(identity(QStringLiteral("Telmik"), irc.port()), answers.collect());
    presence.lookup(identity(QStringLiteral("Telmik"), irc.port(), QStringLiteral("::ffff:127.0.0.1")), answers.collect());
    // A name that resolves to loopback is refused after resolving, before
    // connecting (where the machine names its loopback address at all).
    const bool namedLoopback = !QHostInfo::fromName(QStringLiteral("localhost")).addresses().isEmpty();
    if (namedLoopback)
        presence.lookup(identity(QStringLiteral("Telmik"), irc.port(), QStringLiteral("localhost")), answers.collect());
    QTRY_COMPARE(answers.all.size(), namedLoopback ? 3 : 2);
    for (const Presence &answer : answers.all) {
        QCOMPARE(answer.status, Presence::Unknown);
        QCOMPARE(answer.reason, Reason::AddressNotAllowed);
    }
    QTest::qWait(100);
    QCOMPARE(irc.connections(), 0);
}

void TestIrcNetwork::eachBoundAnswersUnknownInTime_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<int>("withinMs");
    using B = ScriptedIrcServer::Behaviour;
    QTest::newRow("never answers") << int(B::Silent) << Reason::NoRegistrationInTime << 1000 + 300;
    QTest::newRow("sends garbage") << int(B::Garbage) << Reason::NoRegistrationInTime << 1000 + 300;
    QTest::newRow("drops mid-line") << int(B::DropMidLine) << Reason::ConnectionClosed << 400;
    QTest::newRow("refuses the connection") << -1 << Reason::ConnectionRefused << 400;
}

void TestIrcNetwork::eachBoundAnswersUnknownInTime()
{
    QFETCH(int, behaviour);
    QFETCH(Reason, reason);
    QFETCH(int, withinMs);
    quint16 port;
    std::unique_ptr<ScriptedIrcServer> irc;
    if (behaviour >= 0) {
        irc = std::make_unique<ScriptedIrcServer>(ScriptedIrcServer::Behaviour(behaviour));
        port = irc->port();
    } else { // a port nothing listens on
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        port = closed.serverPort();
    }
    const IrcSettings settings = fastSettings(port);
    IrcPresence presence(settings, loopbackAllowed());
    Answers answers;
    presence.lookup(identity(QStringLiteral("Telmik"), port), answers.collect());
    QTRY_COMPARE_WITH_TIMEOUT(answers.all.size(), 1, 5000);
    QCOMPARE(answers.all.at(0).status, Presence::Unknown);
    QCOMPARE(answers.all.at(0).reason, reason);
    QVERIFY2(answers.at.at(0) <= withinMs, qPrintable(QString::number(answers.at.at(0))));
    QVERIFY(answers.at.at(0) <= settings.lookupBoundMs);
}

void TestIrcNetwork::tlsRefusedFallsBackToPlainText()
{
    ScriptedIrcServer refusing(ScriptedIrcServer::Behaviour::RefuseTls);
    ScriptedIrcServer plain(ScriptedIrcServer::Behaviour::Answer);
    plain.setOnline({"Telmik"});
    IrcSettings settings = fastSettings(0);
    settings.tlsPort = refusing.port();
    settings.plainPort = plain.port();
    IrcPresence presence(settings, loopbackAllowed());
    Answers answers;
    presence.lookup({QStringLiteral("Telmik"), QStringLiteral("127.0.0.1"), std::nullopt}, answers.collect());
    QTRY_COMPARE(answers.all.size(), 1);
    QCOMPARE(answers.all.at(0).status, Presence::Online);
    QCOMPARE(refusing.connections(), 1);
    QVERIFY(refusing.lines().isEmpty()); // nothing in clear text went to the TLS port
    QCOMPARE(plain.lines("ISON").size(), 1);
}

void TestIrcNetwork::tlsVerifiedAgainstTheGivenCaIsUsed()
{
    // A certificate for 127.0.0.1 made for this test run by the build.
    const QString folder = QStringLiteral(QUORVANE_TEST_CERTIFICATES);
    const auto certificates = QSslCertificate::fromPath(folder + QStringLiteral("/irc.crt"));
    QFile keyFile(folder + QStringLiteral("/irc.key"));
    if (certificates.isEmpty() || !keyFile.open(QIODevice::ReadOnly))
        QSKIP("no test certificate (openssl missing at build time)");
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificates.first());
    tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
    ScriptedIrcServer secure(tls);
    secure.setOnline({"Telmik"});
    ScriptedIrcServer plain(ScriptedIrcServer::Behaviour::Answer);

    IrcSettings settings = fastSettings(0);
    settings.tlsPort = secure.port();
    settings.plainPort = plain.port();
    { // Without the CA the certificate is not trusted: plain text follows.
        IrcPresence presence(settings, loopbackAllowed());
        Answers answers;
        presence.lookup({QStringLiteral("Telmik"), QStringLiteral("127.0.0.1"), std::nullopt}, answers.collect());
        QTRY_COMPARE(answers.all.size(), 1);
        QCOMPARE(answers.all.at(0).status, Presence::Offline); // the plain server knows no one
        QCOMPARE(plain.connections(), 1);
    }
    settings.extraCertificates = certificates;
    IrcPresence presence(settings, loopbackAllowed());
    Answers answers;
    presence.lookup({QStringLiteral("Telmik"), QStringLiteral("127.0.0.1"), std::nullopt}, answers.collect());
    QTRY_COMPARE(answers.all.size(), 1);
    QCOMPARE(answers.all.at(0).status, Presence::Online);
    QCOMPARE(presence.rows().at(0).state, QStringLiteral("connected (TLS)"));
    QCOMPARE(plain.connections(), 1);
}

void TestIrcNetwork::networksAndQueuesPastTheirBoundAreBusy()
{
    ScriptedIrcServer one(ScriptedIrcServer::Behaviour::Silent);
    ScriptedIrcServer two(ScriptedIrcServer::Behaviour::Answer);
    IrcSettings settings = fastSettings(one.port());
    settings.allowedPorts = {one.port(), two.port()};
    settings.maxNetworks = 1;
    // A bound that leaves the budget time for its burst of 4 lines and no more.
    settings.lookupBoundMs = settings.sendMarginMs + settings.floodIntervalMs / 2;
    IrcPresence presence(settings, loopbackAllowed());
    Answers answers;
    // Nicks of 30 characters: 16 to a line, 4 lines.
    int asked = 0;
    for (; answers.all.isEmpty() && asked < 200; ++asked)
        presence.lookup(identity(QStringLiteral("n%1").arg(asked, 29, 10, QLatin1Char('0')), one.port()), answers.collect());
    QCOMPARE(asked, 4 * 16 + 1); // the one past the room, at once
    QCOMPARE(answers.all.at(0).reason, Reason::Busy);
    presence.lookup(identity(QStringLiteral("Telmik"), two.port()), answers.collect());
    QCOMPARE(answers.all.size(), 2);
    QCOMPARE(answers.all.at(1).reason, Reason::Busy);
    QCOMPARE(two.connections(), 0);
    QTRY_COMPARE(answers.all.size(), asked + 1); // the rest within the bound, unknown
}

void TestIrcNetwork::aDroppedNetworkIsReconnected()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::CloseAfterWelcome);
    irc.setOnline({"Telmik"});
    IrcPresence presence(fastSettings(irc.port()), loopbackAllowed());
    QSignalSpy events(&presence, &IrcPresence::event);
    Answers answers;
    presence.lookup(identity(QStringLiteral("Telmik"), irc.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 1);
    // Closed after each welcome: reconnected after 0.2 s, 0.4 s, 0.8 s.
    QTRY_COMPARE_WITH_TIMEOUT(irc.connections(), 4, 3000);
    QTRY_COMPARE(irc.lines("NICK").size(), 4);
    QVERIFY(presence.rows().at(0).state.startsWith(QStringLiteral("reconnecting in"))
            || presence.rows().at(0).state.startsWith(QStringLiteral("connect"))
            || presence.rows().at(0).state.startsWith(QStringLiteral("regist")));
}

void TestIrcNetwork::anIdleNetworkIsLeftWithQuit()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Answer);
    IrcSettings settings = fastSettings(irc.port());
    settings.idleMs = 300;
    IrcPresence presence(settings, loopbackAllowed());
    Answers answers;
    presence.lookup(identity(QStringLiteral("Telmik"), irc.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 1);
    QCOMPARE(presence.rows().size(), 1);
    QTRY_COMPARE(irc.lines("QUIT").size(), 1);
    QTRY_COMPARE(presence.rows().size(), 0);
}

QTEST_GUILESS_MAIN(TestIrcNetwork)
#include "tst_ircnetwork.moc"
