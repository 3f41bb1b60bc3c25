// Three instances of the server program and one real store (redis-server,
// started by CTest on a loopback port), beside the real IRC network: what
// one instance learns the others serve, the network sees one client for
// the whole cluster, a dead holder's network is taken over, and the
// instances do without the store while it is away.
#include "support/httpfetch.h"
#include "support/serverprocess.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
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
