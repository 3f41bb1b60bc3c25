// Three instances of the server program and one real store (redis-server,
// started by CTest on a loopback port), beside the real IRC network: what
// one instance learns the others serve, the network sees one client for
// the whole cluster, a dead holder's network is taken over, and the
// instances do without the store while it is away or refuses them.
// In-process, with a store in memory and short times: leases only for
// networks really opened, lost, handed over, reclaimed, and what another
// version wrote.
#include "cluster/clusterirc.h"
#include "cluster/clusterprotocol.h"
#include "irc/ircpresence.h"
#include "support/fakestore.h"
#include "support/fastirc.h"
#include "support/httpfetch.h"
#include "support/scriptedircserver.h"
#include "support/serverprocess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

namespace {

const QByteArray ircPort = QByteArray::number(QUORVANE_TEST_IRC_PORT);
const QString storePort = QString::number(QUORVANE_TEST_REDIS_PORT);
const QByteArray onlineNick = QUORVANE_TEST_IRC_NICK;

void fixture(const char *action)
{
    QStringList arguments{QString::fromLatin1(action), QStringLiteral(QUORVANE_REDIS_DIR)};
    if (qstrcmp(action, "start") == 0)
        arguments << storePort;
    QCOMPARE(QProcess::execute(QStringLiteral(QUORVANE_REDIS_FIXTURE), arguments), 0);
}

// Leases and answers of an earlier test's instances are not this test's.
void emptyStore()
{
    QCOMPARE(QProcess::execute(QStringLiteral("redis-cli"),
                               {QStringLiteral("-p"), storePort, QStringLiteral("FLUSHALL")}),
             0);
}

class Instance
{
public:
    explicit Instance(const QString &name)
        : m_server(Server::ircArguments()
                   + QStringList{QStringLiteral("--redis"), QStringLiteral("redis://127.0.0.1:%1/0").arg(storePort),
                                 QStringLiteral("--instance"), name})
    {
        m_port = m_server.port(QStringLiteral("status and pages"));
    }

    QByteArray get(const QByteArray &path, qint64 *elapsedMs = nullptr) const
    {
        const HttpFetch fetch = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(m_port) + path);
        if (elapsedMs)
            *elapsedMs = fetch.elapsedMs;
        return fetch.body;
    }
    QByteArray status(const QByteArray &nick, qint64 *elapsedMs = nullptr) const
    {
        return get("/irc/" + nick + "@127.0.0.1:" + ircPort + "?format=text", elapsedMs).trimmed();
    }
    // A sample of the metrics: the value of the line that starts so.
    qint64 metric(const QByteArray &start) const
    {
        for (const QByteArray &line : get("/metrics").split('\n'))
            if (line.startsWith(start))
                return line.mid(line.lastIndexOf(' ') + 1).toLongLong();
        return 0;
    }
    bool waitForStore(const QByteArray &state, int timeoutMs = 8000) const
    {
        QElapsedTimer waited;
        waited.start();
        while (!get("/health").contains("store " + state)) {
            if (waited.elapsed() > timeoutMs)
                return false;
            QTest::qWait(100);
        }
        return true;
    }
    quint16 port() const { return m_port; }
    QProcess &process() { return m_server.process(); }

private:
    Server m_server;
    quint16 m_port = 0;
};

qint64 isonLines(const std::vector<std::unique_ptr<Instance>> &instances)
{
    qint64 lines = 0;
    for (const auto &instance : instances)
        lines += instance->metric("quorvane_irc_lines_total{command=\"ISON\"}");
    return lines;
}

std::vector<std::unique_ptr<Instance>> cluster(const QString &tag)
{
    std::vector<std::unique_ptr<Instance>> instances;
    for (const char *name : {"a", "b", "c"}) {
        instances.push_back(std::make_unique<Instance>(tag + QLatin1String(name)));
        if (!instances.back()->port() || !instances.back()->waitForStore("up"))
            qWarning("instance %s did not join the cluster", name);
    }
    return instances;
}

// An instance of the cluster in this process: its own IRC side and the
// cluster's checker on a store shared with the others.
struct Member
{
    Member(SharedStore &store, const IrcSettings &settings, const ClusterSettings &cluster, const QString &name)
        : irc(settings, loopbackAllowed()), checker(irc, store, settings, name, cluster)
    {
    }
    IrcPresence irc;
    ClusterIrc checker;
};

// Instances in this process on a store in memory, beside a scripted IRC
// network whose online nicks the test names.
struct LocalCluster
{
    explicit LocalCluster(const QSet<QByteArray> &online = {})
        : irc(fastIrcSettings({network.port(), closedPort()})), key(QStringLiteral("127.0.0.1:%1").arg(network.port()))
    {
        network.setOnline(online);
        irc.lookupBoundMs = 400;
        irc.sendMarginMs = 100;
        irc.maxNetworks = 4;
    }
    std::unique_ptr<Member> member(const QString &name)
    {
        return std::make_unique<Member>(store, irc, cluster, name);
    }
    QList<QByteArray> leases() { return store.keys(ClusterProtocol::prefix + "lease:"); }

    // A loopback port nothing listens on.
    static quint16 closedPort()
    {
        static const quint16 port = [] {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost);
            return probe.serverPort();
        }();
        return port;
    }

    // An account of the scripted network.
    QString at(const char *nick) const { return QString::fromLatin1(nick) + QLatin1Char('@') + key; }

    ScriptedIrcServer network{ScriptedIrcServer::Behaviour::Answer};
    FakeStore store;
    IrcSettings irc;
    // Leases of 0.2 s renewed every 60 ms, no near answers, reclaims every 50 ms.
    ClusterSettings cluster{200, 60, 0, 50};
    QString key; // the network, as the IRC side names it
};

// Asks and waits for the answer.
Presence ask(PresenceChecker &checker, const QString &account, const QHostAddress &client = {})
{
    std::optional<Presence> answer;
    checker.check(account, client, [&answer](const Presence &presence) { answer = presence; });
    if (!QTest::qWaitFor([&answer] { return answer.has_value(); }, 3000))
        return Presence::unknown(Reason::None, QStringLiteral("no answer"));
    return *answer;
}

qint64 counter(const PresenceChecker &checker, const QByteArray &name)
{
    for (const auto &[counted, value] : checker.counters())
        if (counted == name)
            return value;
    return -1;
}

} // namespace

class TestCluster : public QObject
{
    Q_OBJECT

private slots:
    void init() { emptyStore(); }
    void oneNetworkConnectionAndOneLineServeTheCluster();
    void aDeadHoldersNetworkIsTakenOver();
    void withoutTheStoreEveryInstanceAnswersAndSharesAgainWhenItIsBack();
    void aStoreThatHangsIsGivenUpWithinTheBound();
    void aStoreThatRefusesThePasswordOrTheDatabaseIsDownAndNothingIsWritten();
    void refusedAndUnreachableNetworksLeaveNoLease();

    // In-process, with a store in memory.
    void leasesAreTakenOnlyForNetworksOpenedAndNeverMoreThanThem();
    void aLeaseGoesBackWhenItsNetworkCloses();
    void aLeaseTakenByAnotherInstanceClosesTheNetworkHere();
    void handedOverLookupsAreAnsweredWithinTheirBoundOrReclaimed();
    void whenTheStoreGoesAwayWaitingLookupsAreAskedHere();
    void whatThisVersionCannotDecodeIsCountedAndAskedHere();
};

void TestCluster::oneNetworkConnectionAndOneLineServeTheCluster()
{
    const auto instances = cluster(QStringLiteral("one-"));
    Instance &a = *instances[0], &b = *instances[1], &c = *instances[2];
    QCOMPARE(a.status(onlineNick), QByteArray("online"));
    QCOMPARE(b.status(onlineNick), QByteArray("online"));
    QCOMPARE(c.status(onlineNick), QByteArray("online"));
    QCOMPARE(isonLines(instances), 1);
    // Answered from what the holder told every instance, or from the store.
    for (const Instance *instance : {&b, &c})
        QCOMPARE(instance->metric("quorvane_cache_hits_total{cache=\"near\"}")
                     + instance->metric("quorvane_cache_hits_total{cache=\"shared\"}"),
                 1);
    // An instance that joins later finds the answer in the store.
    Instance late(QStringLiteral("one-late"));
    QVERIFY(late.waitForStore("up"));
    QCOMPARE(late.status(onlineNick), QByteArray("online"));
    QCOMPARE(late.metric("quorvane_cache_hits_total{cache=\"shared\"}"), 1);
    QCOMPARE(isonLines(instances) + late.metric("quorvane_irc_lines_total{command=\"ISON\"}"), 1);

    // A nick nobody asked yet, through an instance that holds no network:
    // it is handed to the holder, which asks the network for it.
    QCOMPARE(b.status("nobody"), QByteArray("offline"));
    QCOMPARE(isonLines(instances), 2);
    QCOMPARE(b.metric("quorvane_irc_lines_total{command=\"ISON\"}"), 0);
    QCOMPARE(b.metric("quorvane_cluster_handed_over_total"), 1);
    QVERIFY(b.get("/metrics").contains("holder=\"one-a\""));

    // The status page counts the cluster's lookups beside the instance's own:
    // after every instance added its counts, then this one read them (each
    // does every 5 s).
    QByteArray totals;
    for (int i = 0; i < 150 && !totals.contains("IRC 5"); ++i, QTest::qWait(100)) {
        const QByteArray page = c.get("/Msntv/statusexe2.html");
        totals = page.mid(page.indexOf("whole cluster of 4 instances"));
    }
    QVERIFY2(totals.startsWith("whole cluster") && totals.contains("IRC 5"), totals.constData());
}

void TestCluster::aDeadHoldersNetworkIsTakenOver()
{
    auto instances = cluster(QStringLiteral("two-"));
    QCOMPARE(instances[0]->status(onlineNick), QByteArray("online"));
    instances[0]->process().kill(); // SIGKILL: no goodbye, its lease runs on
    instances[0]->process().waitForFinished(5000);
    QElapsedTimer sinceKill;
    sinceKill.start();

    Instance &b = *instances[1];
    // A lookup asked two seconds after the death waits for the dead holder, and
    // takes the network itself once the lease runs out (within 10 s of the
    // last renewal), inside its own bound.
    QTest::qWait(2000);
    QCOMPARE(b.status("late"), QByteArray("offline"));
    QVERIFY2(sinceKill.elapsed() < 15'000, qPrintable(QString::number(sinceKill.elapsed())));
    // Every instance answers as before: the survivors share one holder.
    QCOMPARE(instances[2]->status(onlineNick), QByteArray("online"));
    QCOMPARE(instances[1]->metric("quorvane_network_connected") + instances[2]->metric("quorvane_network_connected"),
             1);
}

void TestCluster::withoutTheStoreEveryInstanceAnswersAndSharesAgainWhenItIsBack()
{
    const auto instances = cluster(QStringLiteral("three-"));
    QCOMPARE(instances[0]->status(onlineNick), QByteArray("online"));
    fixture("stop");
    for (const auto &instance : instances) {
        qint64 elapsedMs = 0;
        QCOMPARE(instance->status(onlineNick, &elapsedMs), QByteArray("online"));
        QCOMPARE(instance->status("nobody", &elapsedMs), QByteArray("offline"));
        QVERIFY2(elapsedMs < 10'000, qPrintable(QString::number(elapsedMs)));
        QVERIFY(instance->get("/health").contains("store down"));
    }
    fixture("start");
    for (const auto &instance : instances)
        QVERIFY(instance->waitForStore("up"));
    const qint64 linesBefore = isonLines(instances);
    QCOMPARE(instances[1]->status("again"), QByteArray("offline"));
    QCOMPARE(instances[2]->status("again"), QByteArray("offline"));
    QCOMPARE(instances[0]->status("again"), QByteArray("offline"));
    QCOMPARE(isonLines(instances), linesBefore + 1);
}

void TestCluster::aStoreThatHangsIsGivenUpWithinTheBound()
{
    const auto instances = cluster(QStringLiteral("four-"));
    Instance &a = *instances[0];
    // The store stops reading (SIGSTOP): its socket stays open, nothing answers.
    const QStringList store{QStringLiteral("-f"), QStringLiteral("redis-server 127.0.0.1:%1").arg(storePort)};
    QCOMPARE(QProcess::execute(QStringLiteral("pkill"), QStringList{QStringLiteral("-STOP")} + store), 0);
    const auto resume = qScopeGuard([&] { QProcess::execute(QStringLiteral("pkill"), QStringList{"-CONT"} + store); });
    qint64 elapsedMs = 0;
    QCOMPARE(a.status(onlineNick, &elapsedMs), QByteArray("online"));
    QVERIFY2(elapsedMs < 3'000, qPrintable(QString::number(elapsedMs)));
    QVERIFY(a.waitForStore("down"));
    QCOMPARE(a.status("hung", &elapsedMs), QByteArray("offline"));
    QVERIFY2(elapsedMs < 3'000, qPrintable(QString::number(elapsedMs)));
    QCOMPARE(QProcess::execute(QStringLiteral("pkill"), QStringList{QStringLiteral("-CONT")} + store), 0);
    QVERIFY(a.waitForStore("up"));
}

QTEST_GUILESS_MAIN(TestCluster)
#include "tst_cluster.moc"

void TestCluster::aStoreThatRefusesThePasswordOrTheDatabaseIsDownAndNothingIsWritten()
{
    const auto redis = [](const QStringList &arguments) {
        return QProcess::execute(QStringLiteral("redis-cli"), QStringList{QStringLiteral("-p"), storePort} + arguments);
    };
    QTemporaryDir dir;
    QFile wrong(dir.filePath(QStringLiteral("password")));
    QVERIFY(wrong.open(QIODevice::WriteOnly));
    wrong.write("not-the-password\n");
    wrong.close();
    QCOMPARE(redis({QStringLiteral("CONFIG"), QStringLiteral("SET"), QStringLiteral("requirepass"), QStringLiteral("secret")}), 0);
    bool guarded = true;
    const auto clearPassword = [&] {
        if (std::exchange(guarded, false))
            redis({QStringLiteral("-a"), QStringLiteral("secret"), QStringLiteral("--no-auth-warning"),
                   QStringLiteral("CONFIG"), QStringLiteral("SET"), QStringLiteral("requirepass"), QString()});
    };
    const auto noPassword = qScopeGuard(clearPassword);
    const auto refused = [](const QString &store, const QStringList &more, const QByteArray &why) {
        Server server(Server::ircArguments() + QStringList{QStringLiteral("--redis"), store} + more);
        const quint16 port = server.port(QStringLiteral("status and pages"));
        const QByteArray base = "http://127.0.0.1:" + QByteArray::number(port);
        QTRY_VERIFY_WITH_TIMEOUT(HttpFetch::get(base + "/health").body.contains("store down: " + why), 5000);
        // Lookups are answered by the instance's own connections, within their bound.
        const HttpFetch lookup = HttpFetch::get(base + "/irc/" + onlineNick + "@127.0.0.1:" + ircPort + "?format=text");
        QCOMPARE(lookup.body.trimmed(), QByteArray("online"));
        QVERIFY(lookup.elapsedMs < 10'000);
        QVERIFY(HttpFetch::get(base + "/metrics").body.contains("quorvane_store_down{why=\"" + why + "\"} 1"));
        QCOMPARE(server.log().count(QStringLiteral("down: ") + QString::fromUtf8(why)), 1); // said once, tried again quietly
    };
    refused(QStringLiteral("redis://127.0.0.1:%1/0").arg(storePort), {QStringLiteral("--redis-password-file"), wrong.fileName()},
            "wrong password");
    clearPassword();
    refused(QStringLiteral("redis://127.0.0.1:%1/99").arg(storePort), {}, "database 99 refused");
    // Nothing reached any database.
    QProcess keys;
    keys.start(QStringLiteral("redis-cli"), {QStringLiteral("-p"), storePort, QStringLiteral("INFO"), QStringLiteral("keyspace")});
    QVERIFY(keys.waitForFinished(5000));
    QVERIFY2(!keys.readAllStandardOutput().contains("keys="), "a key was written");
}

void TestCluster::refusedAndUnreachableNetworksLeaveNoLease()
{
    const auto leaseKeys = [] {
        QProcess scan;
        scan.start(QStringLiteral("redis-cli"), {QStringLiteral("-p"), storePort, QStringLiteral("--scan"),
                                                 QStringLiteral("--pattern"), QStringLiteral("quorvane:v2:lease:*")});
        scan.waitForFinished(5000);
        const QByteArray keys = scan.readAllStandardOutput().trimmed();
        return keys.isEmpty() ? 0 : int(keys.count('\n')) + 1;
    };
    Instance a(QStringLiteral("leases-a"));
    QVERIFY(a.waitForStore("up"));
    for (int i = 0; i < 120; ++i) {
        const QByteArray host = "10.0." + QByteArray::number(i / 200) + '.' + QByteArray::number(i % 200 + 1);
        QVERIFY(a.get("/irc/x@" + host + ':' + ircPort + "?format=json").contains("address not allowed"));
    }
    QCOMPARE(leaseKeys(), 0);
    // Loopback addresses where nothing listens: each fails to connect, and its lease goes with it.
    int most = 0;
    for (int i = 0; i < 60; ++i) {
        QVERIFY(a.get("/irc/x@127.0.1." + QByteArray::number(i + 1) + ':' + ircPort + "?format=json").contains("refused"));
        most = qMax(most, leaseKeys());
    }
    QVERIFY(most <= 1);
    QTRY_COMPARE_WITH_TIMEOUT(leaseKeys(), 0, 2000);
    // A network that answers keeps its lease.
    QCOMPARE(a.status(onlineNick), QByteArray("online"));
    QCOMPARE(leaseKeys(), 1);
}

void TestCluster::leasesAreTakenOnlyForNetworksOpenedAndNeverMoreThanThem()
{
    LocalCluster local;
    const auto a = local.member(QStringLiteral("a"));
    const QByteArray closed = QByteArray::number(LocalCluster::closedPort());
    for (int i = 1; i <= 120; ++i)
        QCOMPARE(ask(a->checker, QStringLiteral("x@10.1.0.%1:%2").arg(i).arg(closed)).reason, Reason::AddressNotAllowed);
    QCOMPARE(local.store.sent("EVAL"), 0);

    // Sixty networks at once, where nothing listens: never more leases than
    // the networks this instance may open, and none once they failed.
    local.store.watch(ClusterProtocol::prefix + "lease:");
    int answered = 0;
    for (int i = 1; i <= 60; ++i)
        a->checker.check(QStringLiteral("x@127.0.2.%1:%2").arg(i).arg(closed), {}, [&answered](const Presence &) { ++answered; });
    QTRY_COMPARE_WITH_TIMEOUT(answered, 60, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(local.leases().isEmpty(), 1000);
    QVERIFY(local.store.sent("EVAL") >= local.irc.maxNetworks);
    QVERIFY2(local.store.most() <= local.irc.maxNetworks, qPrintable(QString::number(local.store.most())));
}

void TestCluster::aLeaseGoesBackWhenItsNetworkCloses()
{
    LocalCluster local({"alice"});
    local.irc.idleMs = 450;
    const auto a = local.member(QStringLiteral("a"));
    QCOMPARE(ask(a->checker, local.at("alice")).status, Presence::Online);
    QCOMPARE(local.leases().size(), 1);
    QTest::qWait(local.cluster.leaseMs + local.cluster.renewMs); // renewed while it lives
    QCOMPARE(local.leases().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(local.leases().isEmpty(), 1500); // idle, closed, given back
}

void TestCluster::aLeaseTakenByAnotherInstanceClosesTheNetworkHere()
{
    LocalCluster local;
    const auto a = local.member(QStringLiteral("a"));
    QCOMPARE(ask(a->checker, local.at("bob")).status, Presence::Offline);
    const QString key = local.key;
    QVERIFY(a->irc.isOpen(key));
    local.store.set(ClusterProtocol::leaseKey(key), "b", 5000); // the store lost it and b took it
    QTRY_VERIFY_WITH_TIMEOUT(!a->irc.isOpen(key), 1000);
}

void TestCluster::handedOverLookupsAreAnsweredWithinTheirBoundOrReclaimed()
{
    LocalCluster local({"alice"});
    const auto b = local.member(QStringLiteral("b"));
    const QString key = local.key;
    const QString alice = QStringLiteral("alice@") + key;

    // A holder that never answers: unknown before the bound.
    local.store.set(ClusterProtocol::leaseKey(key), "silent", 5000);
    QElapsedTimer waited;
    waited.start();
    const Presence late = ask(b->checker, alice, QHostAddress(QStringLiteral("198.51.100.7")));
    QCOMPARE(late.reason, Reason::NoAnswerInTime);
    QVERIFY(waited.elapsed() < local.irc.lookupBoundMs);
    // The holder is told who asked: the network counts against that client while it is new.
    const auto handedOver = ClusterProtocol::decodeAsk(local.store.published(ClusterProtocol::askChannel()).value(0));
    QVERIFY(handedOver);
    QCOMPARE(handedOver->client, QStringLiteral("198.51.100.7"));
    QCOMPARE(handedOver->account, alice);

    // A holder that died: its lease runs out while the lookup waits, and
    // this instance takes the network and asks it.
    local.store.set(ClusterProtocol::leaseKey(key), "dead", 100);
    waited.restart();
    QCOMPARE(ask(b->checker, alice).status, Presence::Online);
    QVERIFY(waited.elapsed() < local.irc.lookupBoundMs);
    QCOMPARE(local.store.value(ClusterProtocol::leaseKey(key)), QByteArray("b"));
}

void TestCluster::whenTheStoreGoesAwayWaitingLookupsAreAskedHere()
{
    LocalCluster local;
    const auto b = local.member(QStringLiteral("b"));
    const QString key = local.key;
    local.store.set(ClusterProtocol::leaseKey(key), "elsewhere", 5000);
    std::optional<Presence> answer;
    b->checker.check(QStringLiteral("carol@") + key, {}, [&answer](const Presence &presence) { answer = presence; });
    QTRY_COMPARE_WITH_TIMEOUT(local.store.sent("PUBLISH"), 1, 500); // handed over
    local.store.setUp(false);
    QTRY_VERIFY_WITH_TIMEOUT(answer.has_value(), 500);
    QCOMPARE(answer->status, Presence::Offline);
    QCOMPARE(ask(b->checker, QStringLiteral("dave@") + key).status, Presence::Offline); // asked here meanwhile
}

void TestCluster::whatThisVersionCannotDecodeIsCountedAndAskedHere()
{
    LocalCluster local({"erin"});
    const auto a = local.member(QStringLiteral("a"));
    const QString key = local.key;
    local.store.set(ClusterProtocol::presenceKey(key, "erin"), "unknown AReasonOfALaterVersion");
    local.store.set(ClusterProtocol::presenceKey(key, "frank"), "online");
    const QByteArray undecodable = "quorvane_cluster_undecodable_total";

    const Presence erin = ask(a->checker, QStringLiteral("erin@") + key);
    QCOMPARE(erin.status, Presence::Online);
    QVERIFY(!erin.shared); // asked of the network, not taken from the entry
    QCOMPARE(counter(a->checker, undecodable), 1);
    QVERIFY(ask(a->checker, QStringLiteral("frank@") + key).shared); // what it can read, it uses

    local.store.publish(ClusterProtocol::answerChannel(), ClusterProtocol::presenceKey(key, "gina") + "\nmaybe");
    local.store.publish(ClusterProtocol::askChannel(), "no fields at all");
    QTRY_COMPARE_WITH_TIMEOUT(counter(a->checker, undecodable), 3, 500);
}
