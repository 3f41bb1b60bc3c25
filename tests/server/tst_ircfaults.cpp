// IRC networks that misbehave, scripted on the loopback address: each fault
// is met several rounds in a row, and after each round a healthy network
// still answers its next lookup normally and the process has not grown.
#include "support/fastirc.h"
#include "support/memory.h"
#include "support/scriptedircserver.h"

#include "irc/ircidentity.h"
#include "irc/ircpresence.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

constexpr int boundMs = 1500;
constexpr int rounds = 6;
// Growth allowed between the end of the first round and the end of the last.
constexpr qint64 allowedGrowth = 4 * 1024 * 1024;

IrcSettings fastSettings(const QList<quint16> &ports)
{
    IrcSettings settings = fastIrcSettings(ports);
    settings.lookupBoundMs = boundMs;
    settings.floodIntervalMs = 50;
    settings.backoffMaxMs = 400;
    // Names under .invalid resolve to nothing after a while; "hang.invalid" never answers.
    settings.resolver = [](const QString &host, QObject *context, const IrcSettings::Resolved &done) {
        if (host == QLatin1String("hang.invalid"))
            return;
        if (host.endsWith(QLatin1String(".invalid")))
            return QTimer::singleShot(50, context, [done] { done({}); });
        done({QHostAddress(QHostAddress::LocalHost)});
    };
    return settings;
}

struct Answer
{
    bool done = false;
    Presence presence;
    qint64 at = 1'000'000; // never answered
};

} // namespace

class TestIrcFaults : public QObject
{
    Q_OBJECT

private slots:
    void aFaultyNetworkAnswersInTimeAndLeavesOthersWhole_data();
    void aFaultyNetworkAnswersInTimeAndLeavesOthersWhole();
    void aDropWithIsonInFlightAnswersAtOnceAndReconnectsAfterAPause();
    void anUnresolvableOrHangingHostIsAnsweredInTime();

private:
    // Asks the nicks at once and waits for every answer (at most twice the bound).
    QList<Answer> ask(IrcPresence &irc, const QString &host, std::optional<quint16> port, const QStringList &nicks);
    void healthyLookupWorks(IrcPresence &irc, ScriptedIrcServer &healthy);
};

QList<Answer> TestIrcFaults::ask(IrcPresence &irc, const QString &host, std::optional<quint16> port,
                                 const QStringList &nicks)
{
    auto answers = std::make_shared<QList<Answer>>(nicks.size());
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < nicks.size(); ++i)
        irc.lookup({nicks[i], host, port}, [answers, i, clock](const Presence &presence) {
            (*answers)[i] = {true, presence, clock.elapsed()};
        });
    const bool all = QTest::qWaitFor([&] {
        return std::all_of(answers->cbegin(), answers->cend(), [](const Answer &a) { return a.done; });
    }, 2 * boundMs);
    if (!all)
        QTest::qFail("a lookup was not answered", __FILE__, __LINE__);
    return *answers;
}

void TestIrcFaults::healthyLookupWorks(IrcPresence &irc, ScriptedIrcServer &healthy)
{
    const QList<Answer> answers = ask(irc, QStringLiteral("127.0.0.1"), healthy.port(), {"Telmik", "Nobody"});
    QCOMPARE(answers.size(), 2);
    QCOMPARE(answers[0].presence.status, Presence::Online);
    QCOMPARE(answers[1].presence.status, Presence::Offline);
    QVERIFY(answers[0].at < boundMs);
}

void TestIrcFaults::aFaultyNetworkAnswersInTimeAndLeavesOthersWhole_data()
{
    using B = ScriptedIrcServer::Behaviour;
    QTest::addColumn<ScriptedIrcServer::Behaviour>("behaviour");
    QTest::addColumn<bool>("answersRight"); // still answers online and offline correctly
    QTest::newRow("accepts and never registers") << B::Silent << false;
    QTest::newRow("stalls in the middle of a line") << B::StallMidLine << false;
    QTest::newRow("lines over 512 bytes") << B::LongLines << true;
    QTest::newRow("one line without end") << B::EndlessLine << false;
    QTest::newRow("binary garbage instead of a welcome") << B::Garbage << false;
    QTest::newRow("binary garbage between answers") << B::GarbageAfterWelcome << true;
    QTest::newRow("a flood of PINGs") << B::PingFlood << true;
    QTest::newRow("a flood of PINGs, the PONGs never read") << B::PingFloodUnread << false;
    QTest::newRow("drops in the middle of a line") << B::DropMidLine << false;
    QTest::newRow("refuses TLS") << B::RefuseTls << true;
}

void TestIrcFaults::aFaultyNetworkAnswersInTimeAndLeavesOthersWhole()
{
    QFETCH(ScriptedIrcServer::Behaviour, behaviour);
    QFETCH(bool, answersRight);
    ScriptedIrcServer faulty(behaviour);
    ScriptedIrcServer healthy(ScriptedIrcServer::Behaviour::Answer);
    faulty.setOnline({"Telmik"});
    healthy.setOnline({"Telmik"});
    IrcSettings settings = fastSettings({faulty.port(), healthy.port()});
    if (behaviour == ScriptedIrcServer::Behaviour::RefuseTls) {
        // Without a named port TLS comes first, on the refusing server's port.
        settings.tlsPort = faulty.port();
        settings.plainPort = faulty.port();
    }
    IrcPresence irc(settings, loopbackAllowed());
    const bool namedPort = behaviour != ScriptedIrcServer::Behaviour::RefuseTls;
    // A name, so the resolver seam is used too; it resolves to 127.0.0.1.
    const QString host = QStringLiteral("faulty.test");

    qint64 afterFirst = 0;
    for (int round = 0; round < rounds; ++round) {
        const QStringList nicks{"Telmik", "Nobody" + QString::number(round), "Other" + QString::number(round)};
        const QList<Answer> answers = ask(irc, host, namedPort ? std::optional<quint16>(faulty.port()) : std::nullopt, nicks);
        for (const Answer &answer : answers) {
            QVERIFY2(answer.at <= boundMs + 250, qPrintable(QString::number(answer.at)));
            if (!answersRight)
                QVERIFY2(answer.presence.status == Presence::Unknown && answer.presence.reason != Reason::None,
                         qPrintable(answer.presence.reasonText()));
        }
        if (answersRight) {
            QCOMPARE(answers[0].presence.status, Presence::Online);
            QCOMPARE(answers[1].presence.status, Presence::Offline);
        }
        healthyLookupWorks(irc, healthy);
        if (round == 0)
            afterFirst = TestMemory::residentBytes();
    }
    QTest::qWait(50);
    // The scripted flood of unread PINGs is 8 MB that this very process
    // writes, held in its own buffers for as long as the kernel is slow to
    // take them: the process's size then says how busy the machine is, not
    // what the client keeps. The client's bound is its unsent bytes.
    if (behaviour != ScriptedIrcServer::Behaviour::PingFloodUnread) {
        const qint64 growth = TestMemory::residentBytes() - afterFirst;
        QVERIFY2(growth < allowedGrowth, qPrintable(QStringLiteral("grew by %1 bytes").arg(growth)));
    }
    QVERIFY(faulty.connections() >= 1);
    if (behaviour == ScriptedIrcServer::Behaviour::PingFlood)
        QVERIFY(faulty.lines("PONG").size() >= 5'000);
}

void TestIrcFaults::aDropWithIsonInFlightAnswersAtOnceAndReconnectsAfterAPause()
{
    ScriptedIrcServer dropping(ScriptedIrcServer::Behaviour::DropFirstIson);
    ScriptedIrcServer healthy(ScriptedIrcServer::Behaviour::Answer);
    dropping.setOnline({"Telmik"});
    healthy.setOnline({"Telmik"});
    const IrcSettings settings = fastSettings({dropping.port(), healthy.port()});
    IrcPresence irc(settings, loopbackAllowed());

    const QList<Answer> lost = ask(irc, QStringLiteral("127.0.0.1"), dropping.port(), {"Telmik", "Nobody"});
    QCOMPARE(dropping.lines("ISON").size(), 1);
    for (const Answer &answer : lost) {
        QCOMPARE(answer.presence.status, Presence::Unknown);
        // At once: far sooner than the bound, which would mean they were left waiting.
        QVERIFY2(answer.at < boundMs / 3, qPrintable(QString::number(answer.at)));
    }
    // The network once answered, so it is dialled again, after the pause.
    QTRY_COMPARE_WITH_TIMEOUT(dropping.connections(), 2, 2000);
    const qint64 pause = dropping.connectionTimes()[1] - dropping.connectionTimes()[0];
    QVERIFY2(pause >= settings.backoffInitialMs, qPrintable(QString::number(pause)));
    const QList<Answer> again = ask(irc, QStringLiteral("127.0.0.1"), dropping.port(), {"Telmik", "Nobody"});
    QCOMPARE(again[0].presence.status, Presence::Online);
    QCOMPARE(again[1].presence.status, Presence::Offline);
    QCOMPARE(dropping.connections(), 2);
    healthyLookupWorks(irc, healthy);
}

void TestIrcFaults::anUnresolvableOrHangingHostIsAnsweredInTime()
{
    ScriptedIrcServer healthy(ScriptedIrcServer::Behaviour::Answer);
    healthy.setOnline({"Telmik"});
    IrcPresence irc(fastSettings({healthy.port(), 6667}), loopbackAllowed());
    qint64 afterFirst = 0;
    for (int round = 0; round < rounds; ++round) {
        const QList<Answer> missing = ask(irc, QStringLiteral("nowhere.invalid"), 6667, {"Telmik"});
        QCOMPARE(missing[0].presence.status, Presence::Unknown);
        QCOMPARE(missing[0].presence.reason, Reason::IrcServerNotFound);
        const QList<Answer> hanging = ask(irc, QStringLiteral("hang.invalid"), 6667, {"Telmik"});
        QCOMPARE(hanging[0].presence.status, Presence::Unknown);
        QCOMPARE(hanging[0].presence.reason, Reason::NameNotResolvedInTime);
        QVERIFY(hanging[0].at <= boundMs + 250);
        // The name that never resolves holds no network once its lookup is answered.
        const auto holdsHanging = [&irc] {
            const QList<PresenceChecker::Row> networks = irc.rows();
            return std::any_of(networks.cbegin(), networks.cend(), [](const PresenceChecker::Row &network) {
                return network.name.startsWith(QLatin1String("hang."));
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(!holdsHanging(), 1000);
        healthyLookupWorks(irc, healthy);
        if (round == 0)
            afterFirst = TestMemory::residentBytes();
    }
    const qint64 growth = TestMemory::residentBytes() - afterFirst;
    QVERIFY2(growth < allowedGrowth, qPrintable(QStringLiteral("grew by %1 bytes").arg(growth)));
}

QTEST_GUILESS_MAIN(TestIrcFaults)
#include "tst_ircfaults.moc"
