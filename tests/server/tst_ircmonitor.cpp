// MONITOR against a real network that offers it (InspIRCd, started by
// CTest on a loopback port with a monitor list of 6, extended-monitor and
// away-notify), and ISON kept where a network does not (ngircd): the
// changes it pushes, away included, answer lookups at once without a line,
// its limit is kept and the least recently asked make room; where nothing
// is pushed, away is asked with USERHOST.
#include "support/fastirc.h"

#include "irc/ircidentity.h"
#include "irc/ircpresence.h"
#include "irc/sockettransport.h"

#include <QProcess>
#include <QSet>
#include <QTest>
#include <memory>

namespace {

const quint16 monitorPort = QUORVANE_TEST_MONITOR_PORT;
const quint16 isonPort = QUORVANE_TEST_IRC_PORT;

// A socket transport that keeps a copy of every line it sends.
class TappedTransport : public SocketTransport
{
public:
    TappedTransport(QByteArrayList &sent, QObject *parent) : SocketTransport({}, parent), m_sent(sent) {}
    void send(const QByteArray &line) override
    {
        m_sent.append(line);
        SocketTransport::send(line);
    }

private:
    QByteArrayList &m_sent;
};

// A member of the network under the nick, online until it is ended.
class Member
{
public:
    Member(quint16 port, const QString &nick)
    {
        m_process.start(QStringLiteral(QUORVANE_IRCMEMBER), {QString::number(port), nick, QStringLiteral("120")});
    }
    ~Member() { leave(); }
    bool registered() { return m_process.waitForReadyRead(5000) && m_process.readAll().contains("registered"); }
    void goAway() { m_process.write("away gone fishing <b>\n"); }
    void comeBack() { m_process.write("back\n"); }
    void leave()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

} // namespace

class TestIrcMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void aMonitoredNicksChangesAreAnsweredAtOnceWithoutALine();
    void theListKeepsWithinTheLimitAndTheLeastRecentlyAskedMakeRoom();
    void aNetworkWithoutMonitorKeepsIson();
    void awayIsPushedWhereTheNetworkOffersItAndAskedWhereNot();

private:
    // The answer to one lookup, waited for.
    Presence ask(const QString &nick, quint16 port);
    int count(const QByteArray &command) const;
    QSet<QByteArray> monitoredOnTheNetwork() const;

    QByteArrayList m_sent;
    std::unique_ptr<IrcPresence> m_irc;
};

void TestIrcMonitor::init()
{
    IrcSettings settings = fastIrcSettings({monitorPort, isonPort});
    settings.lookupBoundMs = 6000;
    settings.sendMarginMs = 500;
    settings.registerTimeoutMs = 5000; // a network just started may take a moment to welcome
    settings.floodIntervalMs = 100;
    m_sent.clear();
    m_irc = std::make_unique<IrcPresence>(settings, loopbackAllowed(),
                                          [this](QObject *owner) { return new TappedTransport(m_sent, owner); });
}

Presence TestIrcMonitor::ask(const QString &nick, quint16 port)
{
    std::optional<Presence> answer;
    m_irc->lookup({nick, QStringLiteral("127.0.0.1"), port}, [&answer](const Presence &presence) { answer = presence; });
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, 5000))
        return Presence::unknown(Reason::NoAnswerInTime);
    return *answer;
}

int TestIrcMonitor::count(const QByteArray &command) const
{
    return int(std::count_if(m_sent.cbegin(), m_sent.cend(), [&](const QByteArray &line) { return line.startsWith(command); }));
}

void TestIrcMonitor::aMonitoredNicksChangesAreAnsweredAtOnceWithoutALine()
{
    QCOMPARE(ask("Watched", monitorPort).status, Presence::Offline);
    QCOMPARE(count("ISON"), 1);
    // Asked again, it is kept under MONITOR.
    QCOMPARE(ask("watched", monitorPort).status, Presence::Offline);
    QTRY_COMPARE(count("MONITOR + "), 1);
    QTRY_COMPARE(m_irc->rows().value(0).mechanism, QStringLiteral("MONITOR 1 of 5, ISON"));
    const int isonLines = count("ISON");

    Member member(monitorPort, QStringLiteral("Watched"));
    QVERIFY(member.registered());
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(ask("Watched", monitorPort).status, Presence::Online, 1000);
    member.leave();
    QTRY_COMPARE_WITH_TIMEOUT(ask("Watched", monitorPort).status, Presence::Offline, 1000);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(count("ISON"), isonLines);
    QVERIFY(!ask("Watched", monitorPort).cached); // what the network pushed is fresh
}

// The nicks the lines sent so far leave on the network's monitor list.
QSet<QByteArray> TestIrcMonitor::monitoredOnTheNetwork() const
{
    QSet<QByteArray> monitored;
    for (const QByteArray &line : m_sent) {
        const bool adding = line.startsWith("MONITOR + ");
        if (!adding && !line.startsWith("MONITOR - "))
            continue;
        for (const QByteArray &nick : line.mid(10).split(',')) {
            if (adding)
                monitored.insert(nick);
            else
                monitored.remove(nick);
        }
    }
    return monitored;
}

void TestIrcMonitor::theListKeepsWithinTheLimitAndTheLeastRecentlyAskedMakeRoom()
{
    // The network takes 6; this server keeps a margin below it: 5.
    for (int round = 0; round < 2; ++round)
        for (int i = 1; i <= 8; ++i) {
            const Presence answer = ask(QStringLiteral("kept%1").arg(i), monitorPort);
            QVERIFY2(answer.status == Presence::Offline, qPrintable(answer.reasonText()));
        }
    QTRY_COMPARE(monitoredOnTheNetwork(), (QSet<QByteArray>{"kept4", "kept5", "kept6", "kept7", "kept8"}));
    QCOMPARE(m_irc->rows().value(0).mechanism, QStringLiteral("MONITOR 5 of 5, ISON"));
    // Two more asked twice take the places of the two asked least recently.
    for (int round = 0; round < 2; ++round)
        for (const QString &nick : {QStringLiteral("fresh1"), QStringLiteral("fresh2")})
            QCOMPARE(ask(nick, monitorPort).status, Presence::Offline);
    QTRY_COMPARE(monitoredOnTheNetwork(), (QSet<QByteArray>{"kept6", "kept7", "kept8", "fresh1", "fresh2"}));
    QVERIFY(count("MONITOR - ") >= 1);
    QCOMPARE(m_irc->rows().value(0).mechanism, QStringLiteral("MONITOR 5 of 5, ISON"));
}

void TestIrcMonitor::aNetworkWithoutMonitorKeepsIson()
{
    for (int round = 0; round < 3; ++round)
        QCOMPARE(ask(QStringLiteral(QUORVANE_TEST_IRC_NICK), isonPort).status, Presence::Online);
    QCOMPARE(count("MONITOR"), 0);
    QCOMPARE(count("ISON"), 1);
    QCOMPARE(m_irc->rows().value(0).mechanism, QStringLiteral("ISON"));
}

void TestIrcMonitor::awayIsPushedWhereTheNetworkOffersItAndAskedWhereNot()
{
    Member pushed(monitorPort, QStringLiteral("Roamer"));
    QVERIFY(pushed.registered());
    QCOMPARE(ask("Roamer", monitorPort).status, Presence::Online);
    QCOMPARE(ask("Roamer", monitorPort).status, Presence::Online);
    QTRY_COMPARE(count("MONITOR + "), 1);
    // Put under MONITOR online: here or away is asked once.
    QTRY_COMPARE(ask("Roamer", monitorPort).status, Presence::Online);
    const int lines = count("ISON") + count("USERHOST");
    pushed.goAway();
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(ask("Roamer", monitorPort).status, Presence::Away, 1000);
    QVERIFY(ask("Roamer", monitorPort).since.isValid()); // the network said when
    pushed.comeBack();
    QTRY_COMPARE_WITH_TIMEOUT(ask("Roamer", monitorPort).status, Presence::Online, 1000);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(count("ISON") + count("USERHOST"), lines); // the changes cost no line

    // ngIRCd pushes nothing: USERHOST says it, within the bound once the cache has let go.
    IrcSettings settings = fastIrcSettings({monitorPort, isonPort});
    settings.cacheMs = 200;
    m_irc = std::make_unique<IrcPresence>(settings, loopbackAllowed(),
                                          [this](QObject *owner) { return new TappedTransport(m_sent, owner); });
    Member asked(isonPort, QStringLiteral("Wanderer"));
    QVERIFY(asked.registered());
    QCOMPARE(ask("Wanderer", isonPort).status, Presence::Online);
    asked.goAway();
    QTRY_COMPARE_WITH_TIMEOUT(ask("Wanderer", isonPort).status, Presence::Away, 3000);
    QVERIFY(ask("Wanderer", isonPort).since.isValid()); // seen to change between two checks
    asked.comeBack();
    QTRY_COMPARE_WITH_TIMEOUT(ask("Wanderer", isonPort).status, Presence::Online, 3000);
    QVERIFY(count("USERHOST") >= 3);
}

QTEST_GUILESS_MAIN(TestIrcMonitor)
#include "tst_ircmonitor.moc"
