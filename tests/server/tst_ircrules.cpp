// The IRC side's rules, without a socket: which identities pass, how lines
// are read and written, how nicks compare, which addresses may be reached,
// and how the queue, the flood budget and the cache behave.
#include "irc/addresspolicy.h"
#include "irc/casemapping.h"
#include "irc/floodbudget.h"
#include "irc/ircidentity.h"
#include "irc/ircmessage.h"
#include "irc/ircsettings.h"
#include "irc/ircnetwork.h"
#include "irc/isonqueue.h"
#include "irc/presencecache.h"

#include <QTest>

class TestIrcRules : public QObject
{
    Q_OBJECT

private slots:
    void identitiesWithNickSyntaxAndAllowedPortsPass_data();
    void identitiesWithNickSyntaxAndAllowedPortsPass();
    void everythingElseIsNoIdentity_data();
    void everythingElseIsNoIdentity();

    void linesAreSplitIntoPrefixCommandAndParameters();
    void composedLinesNeverCarryALineBreakOrExtraParameter();

    void nicksCompareByTheNetworksCaseMapping();

    void publicAddressesAreReachable();
    void specialRangesAreRefusedUnlessAllowed_data();
    void specialRangesAreRefusedUnlessAllowed();

    void waitingNicksShareAsFewLinesAsFit();
    void aNickAlreadyAskedIsJoinedNotQueuedAgain();
    void theRoomHoldsWhatTheBudgetCanSendWithinTheBound();

    void theFloodBudgetAllowsABurstThenOneLinePerInterval();
    void cachedAnswersExpire();
    void aChangeIsTimedOnlyWhenItWasSeen();
    void theRoomFollowsThePaceTheNetworkAnswersAt();
};

void TestIrcRules::identitiesWithNickSyntaxAndAllowedPortsPass_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("nick");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port"); // 0: none named
    QTest::newRow("name") << "Telmik@irc.libera.chat" << "Telmik" << "irc.libera.chat" << 0;
    QTest::newRow("upper-case host is lowered") << "x@IRC.Example.NET" << "x" << "irc.example.net" << 0;
    QTest::newRow("special nick characters") << "[a]\\`_^{|}-9@irc.example" << "[a]\\`_^{|}-9" << "irc.example" << 0;
    QTest::newRow("30 characters") << QString(30, 'n') + "@irc.example" << QString(30, 'n') << "irc.example" << 0;
    QTest::newRow("tls port") << "n@irc.example:6697" << "n" << "irc.example" << 6697;
    QTest::newRow("ipv4") << "n@192.0.2.1:6667" << "n" << "192.0.2.1" << 6667;
    QTest::newRow("ipv6 with port") << "n@[2001:db8::1]:7000" << "n" << "2001:db8::1" << 7000;
    QTest::newRow("ipv6 bare") << "n@2001:db8::1" << "n" << "2001:db8::1" << 0;
}

void TestIrcRules::identitiesWithNickSyntaxAndAllowedPortsPass()
{
    QFETCH(QString, text);
    QFETCH(QString, nick);
    QFETCH(QString, host);
    QFETCH(int, port);
    const auto identity = IrcIdentity::parse(text, IrcSettings().allowedPorts);
    QVERIFY(identity);
    QCOMPARE(identity->nick, nick);
    QCOMPARE(identity->host, host);
    QCOMPARE(int(identity->port.value_or(0)), port);
}

void TestIrcRules::everythingElseIsNoIdentity_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("no server") << "Telmik";
    QTest::newRow("empty nick") << "@irc.example";
    QTest::newRow("empty server") << "Telmik@";
    QTest::newRow("CR LF in the nick") << "Tel\r\nQUIT@irc.example";
    QTest::newRow("CR LF after the host") << "Telmik@irc.example\r\n";
    QTest::newRow("LF in the host") << "Telmik@irc.exa\nmple";
    // A lone line feed at the end of a part: an end anchor of a pattern lets it pass.
    QTest::newRow("LF after the nick") << "Telmik\n@irc.example";
    QTest::newRow("LF after the host") << "Telmik@irc.example\n";
    QTest::newRow("LF after an address") << "Telmik@192.0.2.1\n:6667";
    QTest::newRow("LF after the port") << "Telmik@irc.example:6667\n";
    QTest::newRow("NUL") << QStringLiteral("Tel") + QChar(0) + "mik@irc.example";
    QTest::newRow("space") << "Tel mik@irc.example";
    QTest::newRow("comma, a second nick") << "a,b@irc.example";
    QTest::newRow("starts with a digit") << "9lives@irc.example";
    QTest::newRow("starts with -") << "-x@irc.example";
    QTest::newRow("31 characters") << QString(31, 'n') + "@irc.example";
    QTest::newRow("non-ASCII letter") << QStringLiteral("T\u00e9lmik@irc.example");
    QTest::newRow("two @") << "a@b@irc.example";
    QTest::newRow("port not allowed") << "n@irc.example:22";
    QTest::newRow("port not a number") << "n@irc.example:66x7";
    QTest::newRow("port empty") << "n@irc.example:";
    QTest::newRow("port too big") << "n@irc.example:6666666";
    QTest::newRow("label with _") << "n@irc_x.example";
    QTest::newRow("label starting with -") << "n@-irc.example";
    QTest::newRow("short IPv4 spelling") << "n@127.1";
    QTest::newRow("hex IPv4 spelling") << "n@0x7f.0.0.1";
    QTest::newRow("octal IPv4 spelling") << "n@0177.0.0.01";
    QTest::newRow("IPv6 scope id") << "n@[fe80::1%eth0]";
    QTest::newRow("unclosed bracket") << "n@[2001:db8::1";
    QTest::newRow("host of 100,000 characters") << "n@" + QString(100'000, 'a');
    QTest::newRow("slash") << "n@irc.example/x";
}

void TestIrcRules::everythingElseIsNoIdentity()
{
    QFETCH(QString, text);
    QVERIFY(!IrcIdentity::parse(text, IrcSettings().allowedPorts));
}

void TestIrcRules::linesAreSplitIntoPrefixCommandAndParameters()
{
    const auto message = IrcMessage::parse(":irc.example 303 me :Telmik  brasko ");
    QVERIFY(message);
    QCOMPARE(message->prefix, QByteArray("irc.example"));
    QCOMPARE(message->command, QByteArray("303"));
    QCOMPARE(message->params, (QByteArrayList{"me", "Telmik  brasko "}));

    const auto tagged = IrcMessage::parse("@time=2026-01-01T00:00:00Z  ping  :token");
    QVERIFY(tagged);
    QCOMPARE(tagged->command, QByteArray("PING"));
    QCOMPARE(tagged->params, QByteArrayList{"token"});

    QVERIFY(!IrcMessage::parse(""));
    QVERIFY(!IrcMessage::parse(":prefix-only"));
    QCOMPARE(IrcMessage::parse("NICK")->params.size(), 0);
}

void TestIrcRules::composedLinesNeverCarryALineBreakOrExtraParameter()
{
    QCOMPARE(*IrcLine::compose("USER", {"q", "0", "*"}, QByteArray("real name")), QByteArray("USER q 0 * :real name"));
    QVERIFY(!IrcLine::compose("NICK", {"a\r\nQUIT"}));
    QVERIFY(!IrcLine::compose("NICK", {"a\nb"}));
    QVERIFY(!IrcLine::compose("NICK", {QByteArray("a\0b", 3)}));
    QVERIFY(!IrcLine::compose("NICK", {"a b"}));
    QVERIFY(!IrcLine::compose("NICK", {":a"}));
    QVERIFY(!IrcLine::compose("NICK", {""}));
    QVERIFY(!IrcLine::compose(":", {}));
    QVERIFY(!IrcLine::compose(":x", {"NICK"}));
    QVERIFY(!IrcLine::compose("@X", {}));
    QVERIFY(!IrcLine::compose("QUIT", {}, QByteArray("bye\r\nJOIN #x")));
    QVERIFY(!IrcLine::compose("PONG", {}, QByteArray(IrcLine::maxLength, 'x')));
    QVERIFY(IrcLine::compose("PONG", {}, QByteArray(IrcLine::maxLength - 7, 'x')));
}

void TestIrcRules::nicksCompareByTheNetworksCaseMapping()
{
    const CaseMapping rfc1459 = CaseMapping::fromName("rfc1459");
    const CaseMapping strict = CaseMapping::fromName("strict-rfc1459");
    const CaseMapping ascii = CaseMapping::fromName("ascii");
    QCOMPARE(rfc1459.fold("Tel[mik]\\~"), QByteArray("tel{mik}|^"));
    QCOMPARE(strict.fold("Tel[mik]\\~"), QByteArray("tel{mik}|~"));
    QCOMPARE(ascii.fold("Tel[mik]\\~"), QByteArray("tel[mik]\\~"));
    QCOMPARE(CaseMapping::fromName("rfc7613").kind(), CaseMapping::Rfc1459); // unknown names: the default
    QCOMPARE(CaseMapping().kind(), CaseMapping::Rfc1459);
}

void TestIrcRules::publicAddressesAreReachable()
{
    const AddressPolicy policy;
    for (const char *address : {"8.8.8.8", "1.1.1.1", "2606:4700::1111", "::ffff:8.8.8.8", "64:ff9b::808:808"})
        QVERIFY2(policy.allows(QHostAddress(QString::fromLatin1(address))), address);
    QVERIFY(!policy.allows(QHostAddress()));
}

void TestIrcRules::specialRangesAreRefusedUnlessAllowed_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("allowing");
    for (const auto &[address, network] : std::initializer_list<std::pair<const char *, const char *>>{
             {"127.0.0.1", "127.0.0.0/8"}, {"127.255.0.9", "127.0.0.0/8"}, {"10.1.2.3", "10.0.0.0/8"},
             {"172.16.0.1", "172.16.0.0/12"}, {"192.168.1.1", "192.168.0.0/16"}, {"169.254.1.1", "169.254.0.0/16"},
             {"100.64.0.1", "100.64.0.0/10"}, {"0.0.0.0", "0.0.0.0/8"}, {"224.0.0.1", "224.0.0.0/4"},
             {"240.0.0.1", "240.0.0.0/4"}, {"255.255.255.255", "255.255.255.255/32"}, {"192.0.2.7", "192.0.2.0/24"},
             {"198.18.0.1", "198.18.0.0/15"}, {"::1", "::1/128"}, {"::", "::/128"}, {"fe80::1", "fe80::/10"},
             {"fc00::1", "fc00::/7"}, {"ff02::1", "ff00::/8"}, {"2001:db8::1", "2001:db8::/32"},
             {"::ffff:127.0.0.1", "127.0.0.0/8"}, {"::ffff:10.0.0.1", "10.0.0.0/8"}, {"64:ff9b::7f00:1", "127.0.0.0/8"},
             {"2002:7f00:1::", "2002::/16"}})
        QTest::newRow(address) << QString::fromLatin1(address) << QString::fromLatin1(network);
}

void TestIrcRules::specialRangesAreRefusedUnlessAllowed()
{
    QFETCH(QString, address);
    QFETCH(QString, allowing);
    AddressPolicy policy;
    QVERIFY(!policy.allows(QHostAddress(address)));
    QVERIFY(policy.allow(QStringLiteral("198.51.100.0/24"))); // another network allows nothing here
    QVERIFY(!policy.allows(QHostAddress(address)));
    QVERIFY(policy.allow(allowing));
    QVERIFY(policy.allows(QHostAddress(address)));
    QVERIFY(!AddressPolicy().allow(QStringLiteral("not a network")));
}

void TestIrcRules::waitingNicksShareAsFewLinesAsFit()
{
    IsonQueue queue;
    QByteArrayList nicks;
    for (int i = 0; i < 40; ++i) {
        const QByteArray nick = QByteArray(29, 'a' + char(i % 26)) + QByteArray::number(i % 10);
        nicks.append(nick);
        QCOMPARE(queue.add(nick + QByteArray::number(i), nick, 0), IsonQueue::Added::Queued);
    }
    QCOMPARE(queue.waitingBytes(), 40 * 31);
    // 40 nicks of 30 characters: 16 fit in one line of at most 510 bytes.
    QByteArrayList sent;
    for (QByteArray line = queue.takeLine(); !line.isEmpty(); line = queue.takeLine()) {
        QVERIFY(line.size() <= 510);
        QVERIFY(line.startsWith("ISON "));
        QVERIFY2(queue.takeLine().isEmpty(), "only one line may be in flight");
        sent += line.mid(5).split(' ');
        QCOMPARE(queue.finishLine().size(), line.count(' '));
    }
    QCOMPARE(sent, nicks);
    QVERIFY(!queue.hasWaiting() && !queue.inFlight());
}

void TestIrcRules::aNickAlreadyAskedIsJoinedNotQueuedAgain()
{
    IsonQueue queue;
    QCOMPARE(queue.add("telmik", "Telmik", 0), IsonQueue::Added::Queued);
    QCOMPARE(queue.add("telmik", "TELMIK", 0), IsonQueue::Added::Joined);
    QCOMPARE(queue.takeLine(), QByteArray("ISON Telmik"));
    QCOMPARE(queue.add("telmik", "telmik", 0), IsonQueue::Added::Joined); // in flight: joins the answer
    QCOMPARE(queue.add("a", "a", 0), IsonQueue::Added::Queued);
    QCOMPARE(queue.waitingBytes(), 2);
    QCOMPARE(queue.takeAll().size(), 2);
    QCOMPARE(queue.waitingBytes(), 0);
}

namespace {

// How many nicks of the length find a place in the lines of the room, and
// the lines they then really take.
QPair<int, int> fill(int roomLines, int nickLength)
{
    IsonQueue queue;
    int nicks = 0;
    const auto nickNumber = [nickLength](int n) { return QByteArray::number(n).rightJustified(nickLength, 'n'); };
    for (; queue.linesWith(nickNumber(nicks)) <= roomLines; ++nicks)
        queue.add(nickNumber(nicks), nickNumber(nicks), 0);
    int lines = 0;
    for (; !queue.takeLine().isEmpty(); ++lines)
        queue.finishLine();
    return {nicks, lines};
}

} // namespace

void TestIrcRules::theRoomHoldsWhatTheBudgetCanSendWithinTheBound()
{
    const IrcSettings settings; // a burst of 4, then one line per 2 s; a bound of 10 s, 0.5 s of it for the answer
    FloodBudget budget(settings.floodBurst, settings.floodIntervalMs);
    // A quiet network: the burst and what 9.5 s bring, 4 + 4 lines.
    QCOMPARE(IrcNetwork::roomLines(budget, 0, settings), 8);
    // Short nicks take many more places than long ones; every line packed
    // (84 nicks of 5 characters to a line of 510 bytes, 16 of 30).
    QCOMPARE(fill(8, 5), qMakePair(672, 8));
    QCOMPARE(fill(8, 30), qMakePair(128, 8));
    // A busy one, its burst spent: one line per interval, 4 before the
    // bound, as many long nicks as before lines were counted full: 4 x 16.
    for (int i = 0; i < settings.floodBurst; ++i)
        QVERIFY(budget.take(0));
    QCOMPARE(IrcNetwork::roomLines(budget, 0, settings), 4);
    QCOMPARE(fill(4, 30), qMakePair(64, 4));
    // Every line of the room leaves before the bound, one per interval.
    QVERIFY(4 * settings.floodIntervalMs <= settings.lookupBoundMs - settings.sendMarginMs);
    // At the edge of an interval one line more, and never fewer than none.
    QCOMPARE(IrcNetwork::roomLines(budget, 499, settings), 4);
    QCOMPARE(IrcNetwork::roomLines(budget, 500, settings), 5);
    IrcSettings instant = settings;
    instant.lookupBoundMs = settings.sendMarginMs;
    QCOMPARE(IrcNetwork::roomLines(budget, 0, instant), 0);
}

void TestIrcRules::theFloodBudgetAllowsABurstThenOneLinePerInterval()
{
    FloodBudget budget(3, 2000);
    QVERIFY(budget.take(0));
    QVERIFY(budget.take(0));
    QVERIFY(budget.take(10));
    QVERIFY(!budget.take(10));
    QCOMPARE(budget.wait(10), 2000 - 10);
    QVERIFY(!budget.take(1999));
    QVERIFY(budget.take(2000));
    QVERIFY(!budget.take(2001));
    QVERIFY(budget.take(4000));
    // A long pause refills only up to the burst.
    int allowed = 0;
    while (budget.take(100'000))
        ++allowed;
    QCOMPARE(allowed, 3);
}

void TestIrcRules::cachedAnswersExpire()
{
    using Known = PresenceCache::Known;
    const auto status = [](const std::optional<Known> &known) { return known ? known->status : Presence::Unknown; };
    PresenceCache cache(60'000);
    QVERIFY(!cache.find("telmik", 0));
    cache.observe("telmik", Presence::Online, 1000);
    cache.observe("brasko", Presence::Offline, 1000);
    QCOMPARE(status(cache.find("telmik", 60'999)), Presence::Online);
    QCOMPARE(status(cache.find("brasko", 2000)), Presence::Offline);
    QVERIFY(!cache.find("telmik", 61'000));
    PresenceCache none(0);
    none.observe("telmik", Presence::Online, 0);
    QVERIFY(!none.find("telmik", 0));
}

void TestIrcRules::aChangeIsTimedOnlyWhenItWasSeen()
{
    PresenceCache cache(60'000);
    // The first answer has no time: nothing was seen to change.
    QCOMPARE(cache.observe("telmik", Presence::Online, 1000).sinceMs, -1);
    QCOMPARE(cache.observe("telmik", Presence::Online, 2000).sinceMs, -1);
    QCOMPARE(cache.observe("telmik", Presence::Away, 3000).sinceMs, 3000);
    QCOMPARE(cache.observe("telmik", Presence::Away, 4000).sinceMs, 3000);
    // Online without its away state asked: no change seen, and no time of an away that may be over.
    QCOMPARE(cache.observe("telmik", Presence::Online, 5000, false).sinceMs, -1);
    QCOMPARE(cache.observe("telmik", Presence::Offline, 6000).sinceMs, 6000);
    QCOMPARE(cache.observe("telmik", Presence::Online, 7000, false).sinceMs, 7000); // coming online is sure
    QCOMPARE(cache.observe("telmik", Presence::Online, 8000).sinceMs, 7000);
    // Past the lookups' time it still knows since when, for an hour.
    QCOMPARE(cache.remembered("telmik", 8000 + 59 * 60'000)->sinceMs, 7000);
    QVERIFY(!cache.remembered("telmik", 8000 + PresenceCache::changeMemoryMs));
    QCOMPARE(cache.observe("telmik", Presence::Offline, 8000 + PresenceCache::changeMemoryMs).sinceMs, -1);
    // Full, it forgets what answers no lookup before it refuses a new nick.
    for (int i = 0; i < PresenceCache::maxEntries; ++i)
        cache.observe("n" + QByteArray::number(i), Presence::Offline, 10'000'000);
    cache.observe("late", Presence::Offline, 10'000'000 + 60'000);
    QVERIFY(cache.find("late", 10'000'000 + 60'000));
    QVERIFY(cache.size() <= PresenceCache::maxEntries);
}

void TestIrcRules::theRoomFollowsThePaceTheNetworkAnswersAt()
{
    const IrcSettings settings;
    FloodBudget budget(settings.floodBurst, settings.floodIntervalMs);
    QCOMPARE(IrcNetwork::roomLines(budget, 0, settings), 8);
    // A network that holds each line for 3 s under its penalty answers 3 lines in 9.5 s.
    budget.answeredAfter(3000);
    QCOMPARE(IrcNetwork::roomLines(budget, 0, settings), 3);
    // Quick answers bring the room back, not all at once.
    budget.answeredAfter(5);
    QVERIFY(IrcNetwork::roomLines(budget, 0, settings) < 8);
    for (int i = 0; i < 20; ++i)
        budget.answeredAfter(5);
    QCOMPARE(IrcNetwork::roomLines(budget, 0, settings), 8);
}

QTEST_GUILESS_MAIN(TestIrcRules)
#include "tst_ircrules.moc"
