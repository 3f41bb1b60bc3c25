// The IRC side as the HTTP side uses it, against scripted IRC servers on
// the loopback address: answers, coalescing and the cache counted at the
// server, the address policy, and every bound answering unknown in time.
#include "support/fastirc.h"
#include "support/scriptedircserver.h"

#include "irc/ircidentity.h"
#include "irc/ircpresence.h"
#include "irc/newnetworkshares.h"

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
    void aNetworkThatHoldsItsRepliesIsAskedOnlyWhatItAnswersInTime();
    void aChangeSeenBetweenTwoChecksSaysSinceWhen();
    void aDroppedNetworkIsReconnected();
    void anIdleNetworkIsLeftWithQuit();

    void clientsAreTheirAddressesNetworks_data();
    void clientsAreTheirAddressesNetworks();
    void oneClientsNewNetworksAreBoundedAndOthersStillServed();
    void aNetworkThatNeverWelcomedOrIsQuietGivesWayNotOneBeingAsked();
    void tarpitsNamedByOneClientLeaveOtherClientsNewNetworksAnswered();
};

void TestIrcNetwork::nicksReadOnlineOrOfflineAsTheNetworkSays()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Answer);
    irc.setOnline({"Telmik", "Dalia"});
    irc.setAway({"Dalia"});
    IrcPresence presence(fastSettings(irc.port()), loopbackAllowed());
    Answers here, gone, away;
    presence.lookup(identity(QStringLiteral("telmik"), irc.port()), here.collect());
    presence.lookup(identity(QStringLiteral("Brasko"), irc.port()), gone.collect());
    presence.lookup(identity(QStringLiteral("dalia"), irc.port()), away.collect());
    QTRY_COMPARE(here.all.size() + gone.all.size() + away.all.size(), 3);
    QCOMPARE(here.all.at(0).status, Presence::Online);
    QCOMPARE(gone.all.at(0).status, Presence::Offline);
    QCOMPARE(away.all.at(0).status, Presence::Away);
    // Nobody was seen to change: no time is said.
    QVERIFY(!here.all.at(0).since.isValid() && !away.all.at(0).since.isValid());
    QCOMPARE(irc.lines("ISON").size(), 1);
    QCOMPARE(irc.lines("USERHOST"), QByteArrayList{"USERHOST telmik dalia"});
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
    // A network that welcomed and is being asked keeps its place.
    ScriptedIrcServer one(ScriptedIrcServer::Behaviour::StallMidLine);
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
    QTRY_COMPARE(presence.rows().at(0).state, QStringLiteral("connected"));
    presence.lookup(identity(QStringLiteral("Telmik"), two.port()), answers.collect());
    QCOMPARE(answers.all.size(), 2);
    QCOMPARE(answers.all.at(1).reason, Reason::Busy);
    QCOMPARE(two.connections(), 0);
    QTRY_COMPARE(answers.all.size(), asked + 1); // the rest within the bound, unknown
}

// A network that holds each line under a penalty of its own (400 ms here,
// with a bound of 1.5 s): what it answers within the bound at that pace is
// asked, the rest is busy at once, and nothing goes out for lookups that
// have ended.
void TestIrcNetwork::aNetworkThatHoldsItsRepliesIsAskedOnlyWhatItAnswersInTime()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Penalised);
    irc.setPenaltyMs(700);
    irc.setOnline({"Telmik"});
    IrcSettings settings = fastSettings(irc.port());
    IrcPresence presence(settings, loopbackAllowed());
    const auto longNick = [](int i) { return QStringLiteral("n%1").arg(i).leftJustified(30, u'x'); };
    const auto count = [](const Answers &answers, Reason reason) {
        return std::count_if(answers.all.cbegin(), answers.all.cend(), [&](const Presence &p) { return p.reason == reason; });
    };

    // Before the network has answered anything its pace is not known: the
    // 5 lines of 80 nicks go out one after the other as answers come, and
    // the lines whose lookups have ended by then never go.
    Answers first;
    for (int i = 0; i < 80; ++i)
        presence.lookup(identity(longNick(i), irc.port()), first.collect());
    QTRY_COMPARE_WITH_TIMEOUT(first.all.size(), 80, 3000);
    QTest::qWait(1500);
    QVERIFY2(irc.lines("ISON").size() <= 3, qPrintable(QString::number(irc.lines("ISON").size())));

    // Now the pace is known: what it answers in time is admitted, the rest busy at once.
    Answers burst;
    for (int i = 100; i < 300; ++i)
        presence.lookup(identity(longNick(i), irc.port()), burst.collect());
    QVERIFY(count(burst, Reason::Busy) >= 100);
    QTRY_COMPARE_WITH_TIMEOUT(burst.all.size(), 200, 3000);
    QCOMPARE(count(burst, Reason::NoAnswerInTime), 0);
    QVERIFY(std::all_of(burst.at.cbegin(), burst.at.cend(), [&](qint64 at) { return at <= settings.lookupBoundMs + 100; }));

    // Someone asked alone afterwards is asked at once, not behind the burst.
    Answers alone;
    presence.lookup(identity(QStringLiteral("telmik"), irc.port()), alone.collect());
    QTRY_COMPARE_WITH_TIMEOUT(alone.all.size(), 1, 3000);
    QCOMPARE(alone.all.at(0).status, Presence::Online);
}

void TestIrcNetwork::aChangeSeenBetweenTwoChecksSaysSinceWhen()
{
    ScriptedIrcServer irc(ScriptedIrcServer::Behaviour::Answer);
    irc.setOnline({"Telmik"});
    IrcSettings settings = fastSettings(irc.port());
    settings.cacheMs = 100;
    IrcPresence presence(settings, loopbackAllowed());
    const auto ask = [&] {
        Answers answers;
        presence.lookup(identity(QStringLiteral("telmik"), irc.port()), answers.collect());
        return QTest::qWaitFor([&] { return !answers.all.isEmpty(); }, 3000) ? answers.all.at(0) : Presence();
    };
    QCOMPARE(ask().status, Presence::Online);
    QTest::qWait(150);
    QVERIFY(!ask().since.isValid()); // the same again: no change seen
    irc.setAway({"Telmik"});
    QTest::qWait(150);
    const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1000);
    const Presence away = ask();
    QCOMPARE(away.status, Presence::Away);
    QVERIFY(away.since >= before && away.since <= QDateTime::currentDateTimeUtc().addMSecs(1000));
    QTest::qWait(150);
    const Presence still = ask();
    QCOMPARE(still.status, Presence::Away);
    QCOMPARE(still.since, away.since);
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
void TestIrcNetwork::clientsAreTheirAddressesNetworks_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("client");
    QTest::newRow("IPv4: its /24") << "203.0.113.77" << "203.0.113.0/24";
    QTest::newRow("IPv4 as a dual-stack socket gives it") << "::ffff:203.0.113.9" << "203.0.113.0/24";
    QTest::newRow("IPv6: its /56") << "2001:db8:0:1ff:1:2:3:4" << "2001:db8:0:100::/56";
    QTest::newRow("IPv6: the next /56") << "2001:db8:0:200::1" << "2001:db8:0:200::/56";
    QTest::newRow("no one in particular") << "" << "";
}

void TestIrcNetwork::clientsAreTheirAddressesNetworks()
{
    QFETCH(QString, address);
    QFETCH(QString, client);
    QCOMPARE(NewNetworkShares::clientOf(QHostAddress(address)), client);
}

void TestIrcNetwork::oneClientsNewNetworksAreBoundedAndOthersStillServed()
{
    const auto silent = ScriptedIrcServer::Behaviour::Silent;
    ScriptedIrcServer tarpits[3]{ScriptedIrcServer(silent), ScriptedIrcServer(silent), ScriptedIrcServer(silent)};
    ScriptedIrcServer open(ScriptedIrcServer::Behaviour::Answer);
    open.setOnline({"Telmik"});
    IrcSettings settings = fastSettings(open.port());
    for (const ScriptedIrcServer &tarpit : tarpits)
        settings.allowedPorts.append(tarpit.port());
    settings.newNetworksPerClient = 2;
    IrcPresence presence(settings, loopbackAllowed());
    const QHostAddress stranger(QStringLiteral("203.0.113.5")), neighbour(QStringLiteral("203.0.113.200"));
    Answers answers;
    presence.lookup(identity(QStringLiteral("x"), tarpits[0].port()), stranger, answers.collect());
    presence.lookup(identity(QStringLiteral("x"), tarpits[1].port()), neighbour, answers.collect());
    // Its /24 has both its places: refused at once, whoever of it asks.
    presence.lookup(identity(QStringLiteral("x"), tarpits[2].port()), stranger, answers.collect());
    presence.lookup(identity(QStringLiteral("x"), open.port()), neighbour, answers.collect());
    QCOMPARE(answers.all.size(), 2);
    for (const Presence &refused : std::as_const(answers.all))
        QCOMPARE(refused.reason, Reason::TooManyNewNetworks);
    // Someone else opens a new network, and the networks open serve everyone.
    presence.lookup(identity(QStringLiteral("Telmik"), open.port()), QHostAddress(QStringLiteral("198.51.100.9")),
                    answers.collect());
    QTRY_COMPARE(answers.all.size(), 3);
    QCOMPARE(answers.all.at(2).status, Presence::Online);
    presence.lookup(identity(QStringLiteral("Telmik"), open.port()), stranger, answers.collect());
    QTRY_COMPARE(answers.all.size(), 4);
    QCOMPARE(answers.all.at(3).status, Presence::Online);
    // Once its networks are given up, the client may open new ones again.
    QTRY_COMPARE_WITH_TIMEOUT(answers.all.size(), 6, settings.registerTimeoutMs + 1000);
    presence.lookup(identity(QStringLiteral("x"), tarpits[2].port()), stranger, answers.collect());
    QCOMPARE(answers.all.size(), 6);
}

void TestIrcNetwork::aNetworkThatNeverWelcomedOrIsQuietGivesWayNotOneBeingAsked()
{
    ScriptedIrcServer tarpit(ScriptedIrcServer::Behaviour::Silent);
    ScriptedIrcServer asked(ScriptedIrcServer::Behaviour::Answer), quiet(ScriptedIrcServer::Behaviour::Answer),
        fresh(ScriptedIrcServer::Behaviour::Answer);
    IrcSettings settings = fastSettings(asked.port());
    settings.allowedPorts << tarpit.port() << quiet.port() << fresh.port();
    settings.maxNetworks = 2;
    settings.givesWayAfterMs = 300;
    IrcPresence presence(settings, loopbackAllowed());
    Answers answers;
    presence.lookup(identity(QStringLiteral("a"), asked.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 1);
    presence.lookup(identity(QStringLiteral("t"), tarpit.port()), answers.collect());
    // Full: the tarpit gives way, its lookup answered at once.
    presence.lookup(identity(QStringLiteral("q"), quiet.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 3);
    QCOMPARE(answers.all.at(1).reason, Reason::Busy);
    QCOMPARE(answers.all.at(2).status, Presence::Offline);
    QVERIFY(!presence.isOpen(QStringLiteral("127.0.0.1:%1").arg(tarpit.port())));
    // Both welcomed and asked lately: a new network waits its turn.
    presence.lookup(identity(QStringLiteral("f"), fresh.port()), answers.collect());
    QCOMPARE(answers.all.at(3).reason, Reason::Busy);
    // The one asked again keeps its place; the quiet one gives way.
    QTest::qWait(settings.givesWayAfterMs / 2);
    presence.lookup(identity(QStringLiteral("a"), asked.port()), answers.collect());
    QTest::qWait(settings.givesWayAfterMs / 2 + 50);
    presence.lookup(identity(QStringLiteral("f"), fresh.port()), answers.collect());
    QTRY_COMPARE(answers.all.size(), 6);
    QCOMPARE(answers.all.at(5).status, Presence::Offline);
    QVERIFY(presence.isOpen(QStringLiteral("127.0.0.1:%1").arg(asked.port())));
    QVERIFY(!presence.isOpen(QStringLiteral("127.0.0.1:%1").arg(quiet.port())));
}

// With real sockets: hosts that accept and never say a word, a new one named
// every tenth of a second by eight addresses of one /24, while six others
// each look up a network not yet open.
void TestIrcNetwork::tarpitsNamedByOneClientLeaveOtherClientsNewNetworksAnswered()
{
    std::vector<std::unique_ptr<ScriptedIrcServer>> tarpits, honest;
    IrcSettings settings = fastSettings(0);
    settings.allowedPorts.clear();
    settings.maxNetworks = 8;
    for (int i = 0; i < 24; ++i) {
        tarpits.push_back(std::make_unique<ScriptedIrcServer>(ScriptedIrcServer::Behaviour::Silent));
        settings.allowedPorts.append(tarpits.back()->port());
    }
    for (int i = 0; i < 6; ++i) {
        honest.push_back(std::make_unique<ScriptedIrcServer>(ScriptedIrcServer::Behaviour::Answer));
        honest.back()->setOnline({"Telmik"});
        settings.allowedPorts.append(honest.back()->port());
    }
    IrcPresence presence(settings, loopbackAllowed());
    Answers strangers, others;
    QElapsedTimer clock;
    clock.start();
    QList<qint64> asked;
    for (int i = 0; i < 24; ++i) {
        const QHostAddress stranger(QStringLiteral("192.0.2.%1").arg(10 + i % 8));
        presence.lookup(identity(QStringLiteral("x"), tarpits[i]->port()), stranger, strangers.collect());
        if (i % 4 == 3) {
            const int other = i / 4;
            asked.append(others.clock.elapsed());
            presence.lookup(identity(QStringLiteral("Telmik"), honest[other]->port()),
                            QHostAddress(QStringLiteral("198.51.%1.1").arg(other)), others.collect());
        }
        QTest::qWait(100);
    }
    QTRY_COMPARE_WITH_TIMEOUT(others.all.size(), 6, settings.lookupBoundMs + 500);
    int inTime = 0;
    for (int i = 0; i < 6; ++i)
        inTime += others.all.at(i).status == Presence::Online && others.at.at(i) - asked.at(i) < settings.lookupBoundMs;
    QVERIFY2(inTime >= 5, qPrintable(QString::number(inTime)));
    QTRY_COMPARE_WITH_TIMEOUT(strangers.all.size(), 24, settings.registerTimeoutMs + 1000);
    QVERIFY(std::count_if(strangers.all.cbegin(), strangers.all.cend(), [](const Presence &answer) {
                return answer.reason == Reason::TooManyNewNetworks;
            }) >= 12);
}

#include "tst_ircnetwork.moc"
