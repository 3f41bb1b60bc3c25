// The per-network client, driven line by line through a transport with no
// socket behind it: registration, PING, the coalesced ISON lines under the
// flood budget, the 303 reply matched with the network's case mapping, the
// away state asked with USERHOST or pushed, and what ends a connection.
#include "support/recordingtransport.h"

#include "irc/floodbudget.h"
#include "irc/ircclient.h"
#include "irc/ircidentity.h"
#include "irc/monitorlist.h"
#include "model/clock.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

// A client on a recording transport, with its queue and budget.
struct Rig
{
    explicit Rig(IrcSettings given = fastSettings())
        : settings(given), budget(settings.floodBurst, settings.floodIntervalMs),
          client(&transport, queue, monitor, budget, settings)
    {
    }

    static IrcSettings fastSettings()
    {
        IrcSettings settings;
        settings.floodBurst = 4;
        settings.floodIntervalMs = 200;
        settings.gatherMs = 0; // a quiet network's line at once, unless a test says otherwise
        return settings;
    }

    // Registers and ends the welcome, announcing the case mapping.
    void welcome(const QByteArray &caseMapping = "rfc1459")
    {
        client.begin();
        transport.deliver(":irc.test 001 " + client.nick() + " :Welcome");
        transport.deliver(":irc.test 005 " + client.nick() + " NICKLEN=30 CASEMAPPING=" + caseMapping + " :are supported");
        transport.deliver(":irc.test 376 " + client.nick() + " :End of MOTD");
    }

    void ask(const QByteArray &nick)
    {
        queue.add(client.caseMapping().fold(nick), nick, steadyMs());
        client.pump();
    }

    // Every status heard so far, by key, and the keys heard without their away state.
    QHash<QByteArray, Presence::Status> heard(QByteArrayList *awayNotKnown = nullptr) const
    {
        QHash<QByteArray, Presence::Status> statuses;
        for (const QList<QVariant> &signal : spy)
            for (const IrcClient::Heard &said : signal.at(0).value<QList<IrcClient::Heard>>()) {
                statuses.insert(said.key, said.status);
                if (awayNotKnown && !said.awayKnown)
                    awayNotKnown->append(said.key);
            }
        return statuses;
    }

    IrcSettings settings;
    IsonQueue queue;
    MonitorList monitor;
    FloodBudget budget;
    RecordingTransport transport;
    IrcClient client;
    QSignalSpy spy{&client, &IrcClient::heard};
};

} // namespace

class TestIrcClient : public QObject
{
    Q_OBJECT

private slots:
    void registersWithAGeneratedNickAndARealNameThatSaysWhatItIs();
    void answersPingAtOnceEvenWithTheBudgetSpent();
    void asksNothingBeforeTheWelcomeIsOver();
    void fortyWaitingNicksGoOutInAtMostTwoLinesOneInFlight();
    void theReplyIsMatchedWithTheNetworksCaseMapping();
    void awayIsPushedOnlyWhereTheNetworkOffersBothCapabilities();
    void whatCannotBeAskedInTimeReadsOnlineAndRepliesSayOnlyWhatWasAsked();
    void linesArePackedWhileTheBudgetIsLowAndPacedByIt();
    void lookupsArrivingTogetherShareAQuietNetworksLine();
    void aNickDueForItsBoundLeavesInALineNotFull();
    void aRefusedNickIsReplacedByAnother();
    void neverJoinsSpeaksOrSendsALineBreakOfAStranger();
    void silenceEndsTheConnectionAfterAnUnansweredPing();
    void anUnansweredIsonEndsTheConnection();
    void noWelcomeInTimeEndsTheConnection();
};

void TestIrcClient::registersWithAGeneratedNickAndARealNameThatSaysWhatItIs()
{
    Rig rig;
    rig.client.begin();
    QByteArrayList lines = rig.transport.lines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.takeFirst(), "CAP LS 302");
    QVERIFY(lines.at(0).startsWith("NICK "));
    const QByteArray nick = lines.at(0).mid(5);
    QVERIFY(IrcIdentity::isValidNick(QString::fromLatin1(nick)));
    QVERIFY(nick.size() <= 9); // the shortest limit any network sets
    QVERIFY(lines.at(1).startsWith("USER "));
    QVERIFY(lines.at(1).contains(" :Quorvane status server"));
    QVERIFY(lines.at(1).contains("joins no channel"));
    QVERIFY(IrcClient::generatedNick() != IrcClient::generatedNick());
}

void TestIrcClient::answersPingAtOnceEvenWithTheBudgetSpent()
{
    Rig rig;
    rig.welcome();
    while (rig.budget.take(0)) {
    }
    rig.transport.deliver("PING :irc.test-42");
    QCOMPARE(rig.transport.lines("PONG"), QByteArrayList{"PONG :irc.test-42"});
}

void TestIrcClient::asksNothingBeforeTheWelcomeIsOver()
{
    Rig rig;
    rig.client.begin();
    rig.ask("Telmik");
    rig.transport.deliver(":irc.test 001 x :Welcome");
    QTest::qWait(50);
    QVERIFY(rig.transport.lines("ISON").isEmpty());
    QSignalSpy ready(&rig.client, &IrcClient::ready);
    rig.transport.deliver(":irc.test 422 x :MOTD File is missing");
    QCOMPARE(ready.size(), 1);
    QCOMPARE(rig.transport.lines("ISON"), QByteArrayList{"ISON Telmik"});
}

void TestIrcClient::fortyWaitingNicksGoOutInAtMostTwoLinesOneInFlight()
{
    Rig rig;
    rig.welcome();
    const QByteArrayList online{"nick3", "nick7", "nick39"};
    // The network's reply: those of the line's nicks that are online.
    const auto reply = [&](const QByteArray &line) {
        QByteArrayList present;
        for (const QByteArray &nick : line.mid(5).split(' '))
            if (online.contains(nick))
                present.append(nick);
        rig.transport.deliver(":irc.test 303 x :" + present.join(' '));
    };
    for (int i = 0; i < 40; ++i)
        rig.ask("nick" + QByteArray::number(i));
    QTRY_COMPARE(rig.transport.lines("ISON").size(), 1);
    QTest::qWait(3 * rig.settings.floodIntervalMs);
    QCOMPARE(rig.transport.lines("ISON").size(), 1); // the next waits for the reply
    reply(rig.transport.lines("ISON").at(0));
    QTRY_COMPARE(rig.transport.lines("ISON").size(), 2);
    reply(rig.transport.lines("ISON").at(1));
    QTest::qWait(3 * rig.settings.floodIntervalMs);
    QCOMPARE(rig.transport.lines("ISON").size(), 2);

    // Those online are then asked whether they are away, in one line.
    QTRY_COMPARE(rig.transport.lines("USERHOST"), QByteArrayList{"USERHOST nick3 nick7 nick39"});
    rig.transport.deliver(":irc.test 302 x :nick3=+u@h nick7*=-u@h nick39=+u@h ");
    const QHash<QByteArray, Presence::Status> heard = rig.heard();
    QCOMPARE(heard.size(), 40);
    QCOMPARE(heard.value("nick3"), Presence::Online);
    QCOMPARE(heard.value("nick7"), Presence::Away); // an operator, away
    QCOMPARE(heard.value("nick39"), Presence::Online);
    QCOMPARE(heard.value("nick0"), Presence::Offline);
    QByteArrayList asked;
    for (const QByteArray &line : rig.transport.lines("ISON")) {
        QVERIFY(line.size() <= 510);
        asked += line.mid(5).split(' ');
    }
    QCOMPARE(asked.size(), 40);
}

void TestIrcClient::theReplyIsMatchedWithTheNetworksCaseMapping()
{
    for (const auto &[mapping, braceIsBracket] : {std::pair("rfc1459", true), std::pair("ascii", false)}) {
        Rig rig;
        rig.welcome(mapping);
        rig.ask("Tel[mik]");
        QTRY_COMPARE(rig.transport.lines("ISON").size(), 1);
        rig.transport.deliver(":irc.test 303 x :TEL{MIK} ");
        if (braceIsBracket) {
            QTRY_COMPARE(rig.transport.lines("USERHOST").size(), 1);
            rig.transport.deliver(":irc.test 302 x :TEL{MIK}=-u@h");
        }
        QCOMPARE(rig.heard().value(rig.client.caseMapping().fold("Tel[mik]")),
                 braceIsBracket ? Presence::Away : Presence::Offline);
    }
}

void TestIrcClient::awayIsPushedOnlyWhereTheNetworkOffersBothCapabilities()
{
    {
        Rig rig;
        rig.client.begin();
        rig.transport.deliver(":irc.test CAP * LS :multi-prefix away-notify");
        QCOMPARE(rig.transport.lines("CAP"), (QByteArrayList{"CAP LS 302", "CAP END"}));
        QVERIFY(!rig.monitor.awayPushed());
    }
    Rig rig;
    rig.client.begin();
    // A list over two lines, with values.
    rig.transport.deliver(":irc.test CAP * LS * :sasl=PLAIN,EXTERNAL extended-monitor");
    QCOMPARE(rig.transport.lines("CAP").size(), 1);
    rig.transport.deliver(":irc.test CAP * LS :away-notify");
    QCOMPARE(rig.transport.lines("CAP").value(1), "CAP REQ :extended-monitor away-notify");
    rig.transport.deliver(":irc.test CAP * ACK :away-notify extended-monitor ");
    QCOMPARE(rig.transport.lines("CAP").value(2), "CAP END");
    rig.client.begin();
    rig.transport.deliver(":irc.test 001 x :Welcome");
    rig.transport.deliver(":irc.test 005 x MONITOR=100 :are supported");
    rig.transport.deliver(":irc.test 376 x :End");
    rig.monitor.asked("watched", "Watched");
    rig.monitor.asked("watched", "Watched");
    rig.client.pump();
    QTRY_COMPARE(rig.transport.lines("MONITOR"), QByteArrayList{"MONITOR + Watched"});

    rig.transport.deliver(":irc.test 730 x :Watched!u@h");
    QByteArrayList unsure;
    QCOMPARE(rig.heard(&unsure).value("watched"), Presence::Online);
    QCOMPARE(unsure, QByteArrayList{"watched"}); // online, but here or away is not said
    QVERIFY(rig.monitor.awayUnknown("watched"));
    rig.transport.deliver(":Watched!u@h AWAY :" + QByteArray(10'240, 'x') + "<b>");
    QCOMPARE(rig.heard().value("watched"), Presence::Away);
    QCOMPARE(rig.monitor.state("watched"), Presence::Away);
    const int said = int(rig.spy.size());
    rig.transport.deliver(":stranger!u@h AWAY :not watched");
    rig.transport.deliver(":irc.test AWAY");
    rig.transport.deliver("AWAY :no prefix");
    QCOMPARE(rig.spy.size(), said);
    rig.transport.deliver(":Watched!u@h AWAY");
    QCOMPARE(rig.monitor.state("watched"), Presence::Online);
    rig.transport.deliver(":irc.test 731 x :Watched");
    QCOMPARE(rig.heard().value("watched"), Presence::Offline);
    QCOMPARE(rig.transport.lines("USERHOST").size(), 0); // changes cost no line
}

void TestIrcClient::whatCannotBeAskedInTimeReadsOnlineAndRepliesSayOnlyWhatWasAsked()
{
    {
        IrcSettings settings = Rig::fastSettings();
        settings.floodBurst = 1;
        settings.floodIntervalMs = 5000; // the ISON line takes the budget for longer than the bound
        settings.lookupBoundMs = 600;
        Rig rig(settings);
        rig.welcome();
        rig.ask("here");
        rig.transport.deliver(":irc.test 303 x :here");
        QByteArrayList unsure;
        QCOMPARE(rig.heard(&unsure).value("here"), Presence::Online);
        QCOMPARE(unsure, QByteArrayList{"here"});
        QCOMPARE(rig.transport.lines("USERHOST").size(), 0);
    }
    Rig rig;
    for (const char *nick : {"a", "b", "c", "d", "e", "f"})
        rig.ask(nick); // asked together once the welcome is over
    rig.welcome();
    rig.transport.deliver(":irc.test 303 x :a b c d e f");
    QTRY_COMPARE(rig.transport.lines("USERHOST"), QByteArrayList{"USERHOST a b c d e"});
    // Marks missing or wrong, nicks not asked, a reply of nothing.
    rig.transport.deliver(":irc.test 302 x");
    rig.transport.deliver(":irc.test 302 x :a= b=?u@h zz=-u@h =+u@h d=+u@h e=-u@h " + QByteArray(10'000, ' '));
    QByteArrayList unsure;
    QHash<QByteArray, Presence::Status> heard = rig.heard(&unsure);
    QCOMPARE(heard.value("a"), Presence::Online);
    QCOMPARE(heard.value("b"), Presence::Online);
    QCOMPARE(heard.value("c"), Presence::Offline); // gone from the network since ISON
    QCOMPARE(heard.value("d"), Presence::Online);
    QCOMPARE(heard.value("e"), Presence::Away);
    QVERIFY(!heard.contains("zz"));
    QCOMPARE(unsure, (QByteArrayList{"a", "b"}));
    // A network that does not know USERHOST: online, as ISON said.
    QTRY_COMPARE(rig.transport.lines("USERHOST").size(), 2);
    rig.transport.deliver(":irc.test 421 x USERHOST :Unknown command");
    QCOMPARE(rig.heard().value("f"), Presence::Online);
    rig.ask("g");
    rig.transport.deliver(":irc.test 303 x :g");
    QCOMPARE(rig.heard().value("g"), Presence::Online);
    QCOMPARE(rig.transport.lines("USERHOST").size(), 2);
}

void TestIrcClient::lookupsArrivingTogetherShareAQuietNetworksLine()
{
    IrcSettings settings = Rig::fastSettings();
    settings.gatherMs = 60;
    Rig rig(settings);
    rig.welcome();
    rig.ask("first");
    QTest::qWait(20); // read in a later turn of the event loop
    rig.ask("second");
    QCOMPARE(rig.transport.lines("ISON").size(), 0);
    QTRY_COMPARE(rig.transport.lines("ISON"), QByteArrayList{"ISON first second"});
    // A full line does not wait for company.
    rig.transport.deliver(":irc.test 303 x :");
    QTest::qWait(250); // the budget whole again: the network is quiet
    for (int i = 0; i < 100; ++i)
        rig.ask("n" + QByteArray::number(1000 + i));
    QCOMPARE(rig.transport.lines("ISON").size(), 2);
}

void TestIrcClient::linesArePackedWhileTheBudgetIsLowAndPacedByIt()
{
    IrcSettings settings = Rig::fastSettings(); // burst 4, then one line per 200 ms
    settings.lookupBoundMs = 1500;
    settings.sendMarginMs = 500;
    Rig rig(settings);
    rig.welcome();
    const auto answer = [&] { rig.transport.deliver(":irc.test 303 x :"); };
    // A lone nick on a quiet network goes at once.
    rig.ask("first");
    QCOMPARE(rig.transport.lines("ISON"), QByteArrayList{"ISON first"});
    answer();
    // The next lone nicks wait for company while the budget is low: they
    // leave together once the budget is whole again, an interval later.
    rig.ask("second");
    rig.ask("third");
    QCOMPARE(rig.transport.lines("ISON").size(), 1);
    QTRY_COMPARE(rig.transport.lines("ISON").size(), 2);
    QCOMPARE(rig.transport.lines("ISON").at(1), QByteArray("ISON second third"));
    const QList<qint64> sentAt = rig.transport.sendTimes("ISON");
    QVERIFY2(sentAt.at(1) - sentAt.at(0) >= 200 - 2, qPrintable(QString::number(sentAt.at(1) - sentAt.at(0))));
    answer();
    // A full line goes as soon as the budget allows one.
    for (int i = 0; i < 100; ++i)
        rig.ask("n" + QByteArray::number(1000 + i));
    QTRY_COMPARE(rig.transport.lines("ISON").size(), 3);
    QCOMPARE(rig.transport.lines("ISON").at(2).size() > 480, true);
    answer();
    // With the budget spent, no line goes before it allows one, however full.
    for (int i = 0; i < 400; ++i)
        rig.ask("m" + QByteArray::number(1000 + i));
    for (int line = 3; line < 6; ++line) {
        QTRY_COMPARE(rig.transport.lines("ISON").size(), line + 1);
        answer();
    }
    // In any stretch of time, no more lines than the burst and one per interval.
    const QList<qint64> times = rig.transport.sendTimes("ISON");
    for (int first = 0; first < times.size(); ++first)
        for (int last = first; last < times.size(); ++last)
            QVERIFY2(last - first + 1 <= 4 + (times.at(last) - times.at(first) + 2) / 200,
                     qPrintable(QStringLiteral("lines %1 to %2").arg(first).arg(last)));
}

void TestIrcClient::aNickDueForItsBoundLeavesInALineNotFull()
{
    IrcSettings settings = Rig::fastSettings();
    settings.floodIntervalMs = 2000; // the budget will not be whole again in time
    settings.lookupBoundMs = 600;
    settings.sendMarginMs = 200;
    Rig rig(settings);
    rig.welcome();
    rig.ask("first");
    rig.transport.deliver(":irc.test 303 x :");
    rig.ask("late");
    QTest::qWait(200);
    QCOMPARE(rig.transport.lines("ISON").size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(rig.transport.lines("ISON").size(), 2, 1000);
    const QList<qint64> times = rig.transport.sendTimes("ISON");
    QVERIFY2(times.at(1) - times.at(0) >= 400 - 50 && times.at(1) - times.at(0) < 600,
             qPrintable(QString::number(times.at(1) - times.at(0))));
}

void TestIrcClient::aRefusedNickIsReplacedByAnother()
{
    Rig rig;
    rig.client.begin();
    const QByteArray first = rig.client.nick();
    rig.transport.deliver(":irc.test 433 * " + first + " :Nickname is already in use");
    QTRY_COMPARE(rig.transport.lines("NICK").size(), 2);
    QVERIFY(rig.transport.lines("NICK").at(1) != "NICK " + first);
    QSignalSpy lost(&rig.client, &IrcClient::lost);
    for (int i = 0; i < 6; ++i)
        rig.transport.deliver(":irc.test 433 * x :Nickname is already in use");
    QTRY_COMPARE(lost.size(), 1);
    QVERIFY(rig.transport.isClosed());
}

void TestIrcClient::neverJoinsSpeaksOrSendsALineBreakOfAStranger()
{
    Rig rig;
    rig.welcome();
    rig.transport.deliver(":someone!u@h PRIVMSG " + rig.client.nick() + " :hello, join #x?");
    rig.transport.deliver(":someone!u@h INVITE " + rig.client.nick() + " #x");
    rig.transport.deliver("PING :a\rQUIT :b"); // a bare CR inside a line the server sent
    rig.ask("Tel\r\nQUIT");
    rig.ask("ok");
    QTest::qWait(100);
    rig.client.quit("bye");
    for (const QByteArray &line : rig.transport.lines()) {
        const QByteArray command = line.left(line.indexOf(' '));
        QVERIFY2(QByteArrayList({"CAP", "NICK", "USER", "PONG", "PING", "ISON", "QUIT"}).contains(command), line.constData());
    }
    QVERIFY(!rig.transport.wire().contains("Tel\r"));
    QCOMPARE(rig.transport.wire().count('\r'), rig.transport.wire().count('\n'));
    QCOMPARE(rig.transport.lines("QUIT"), QByteArrayList{"QUIT :bye"});
}

void TestIrcClient::silenceEndsTheConnectionAfterAnUnansweredPing()
{
    IrcSettings settings = Rig::fastSettings();
    settings.silenceMs = 150;
    settings.pingTimeoutMs = 150;
    Rig rig(settings);
    rig.welcome();
    QSignalSpy lost(&rig.client, &IrcClient::lost);
    QTRY_COMPARE(rig.transport.lines("PING").size(), 1);
    QCOMPARE(lost.size(), 0);
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(lost.at(0).at(0).value<Reason>(), Reason::ServerWentSilent);
    QVERIFY(rig.transport.isClosed());
}

void TestIrcClient::anUnansweredIsonEndsTheConnection()
{
    IrcSettings settings = Rig::fastSettings();
    settings.lookupBoundMs = 300;
    Rig rig(settings);
    rig.welcome();
    QSignalSpy lost(&rig.client, &IrcClient::lost);
    rig.ask("Telmik");
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(lost.at(0).at(0).value<Reason>(), Reason::NoAnswerInTime);
}

void TestIrcClient::noWelcomeInTimeEndsTheConnection()
{
    IrcSettings settings = Rig::fastSettings();
    settings.registerTimeoutMs = 200;
    Rig rig(settings);
    QSignalSpy lost(&rig.client, &IrcClient::lost);
    rig.client.begin();
    rig.transport.deliver("NOTICE * :*** Looking up your hostname");
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(lost.at(0).at(0).value<Reason>(), Reason::NoRegistrationInTime);
}

QTEST_GUILESS_MAIN(TestIrcClient)
#include "tst_ircclient.moc"
