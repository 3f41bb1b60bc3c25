// The per-network client, driven line by line through a transport with no
// socket behind it: registration, PING, the coalesced ISON lines under the
// flood budget, the 303 reply matched with the network's case mapping, and
// what ends a connection.
#include "support/recordingtransport.h"

#include "irc/floodbudget.h"
#include "irc/ircclient.h"
#include "irc/ircidentity.h"
#include "irc/monitorlist.h"
#include "irc/steadyclock.h"

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

    IrcSettings settings;
    IsonQueue queue;
    MonitorList monitor;
    FloodBudget budget;
    RecordingTransport transport;
    IrcClient client;
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
    const QByteArrayList lines = rig.transport.lines();
    QCOMPARE(lines.size(), 2);
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
    QSignalSpy answered(&rig.client, &IrcClient::answered);
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

    QByteArrayList reportedOnline, asked;
    int answers = 0;
    for (const QList<QVariant> &signal : answered) {
        for (const IsonQueue::Entry &entry : signal.at(0).value<QList<IsonQueue::Entry>>())
            reportedOnline.append(entry.nick);
        answers += int(signal.at(0).value<QList<IsonQueue::Entry>>().size()
                       + signal.at(1).value<QList<IsonQueue::Entry>>().size());
    }
    QCOMPARE(reportedOnline, online);
    QCOMPARE(answers, 40);
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
        QSignalSpy answered(&rig.client, &IrcClient::answered);
        rig.ask("Tel[mik]");
        QTRY_COMPARE(rig.transport.lines("ISON").size(), 1);
        rig.transport.deliver(":irc.test 303 x :TEL{MIK} ");
        QCOMPARE(answered.size(), 1);
        const auto online = answered.at(0).at(0).value<QList<IsonQueue::Entry>>();
        QCOMPARE(online.size(), braceIsBracket ? 1 : 0);
    }
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
        QVERIFY2(QByteArrayList({"NICK", "USER", "PONG", "PING", "ISON", "QUIT"}).contains(command), line.constData());
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
