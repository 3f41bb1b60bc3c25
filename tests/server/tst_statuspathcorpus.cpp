// Hostile status paths: a generated corpus of more than 100,000 addresses
// asked of the server in this process over loopback keep-alive
// connections, with every IRC connection attempt recorded by the transport
// seam and every host name resolved by the resolver seam. None may crash
// the server, none may reach an IRC transport unless it is a valid
// identity, and none may reach an address outside --allow-network.
#include "support/eventwait.h"
#include "support/keepaliveclient.h"
#include "support/recordingtransport.h"

#include "statusserver.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace {

// Names the resolver seam knows, and what they resolve to.
const QHash<QString, QList<QHostAddress>> &names()
{
    static const QHash<QString, QList<QHostAddress>> all{
        {QStringLiteral("irc.good.test"), {QHostAddress(QStringLiteral("127.0.0.1"))}},
        {QStringLiteral("v6loop.test"), {QHostAddress(QStringLiteral("::1"))}},
        {QStringLiteral("private.test"), {QHostAddress(QStringLiteral("10.1.2.3")), QHostAddress(QStringLiteral("192.168.0.1"))}},
        {QStringLiteral("mapped.test"), {QHostAddress(QStringLiteral("::ffff:10.0.0.1"))}},
        {QStringLiteral("linklocal.test"), {QHostAddress(QStringLiteral("fe80::1")), QHostAddress(QStringLiteral("169.254.1.1"))}},
        {QStringLiteral("ula.test"), {QHostAddress(QStringLiteral("fd00::1"))}},
    };
    return all;
}

const QByteArrayList hosts{
    "irc.good.test", "127.0.0.1", "127.1.2.3", "[::ffff:127.0.0.1]", "v6loop.test", "private.test", "mapped.test",
    "linklocal.test", "ula.test", "10.0.0.1", "192.168.1.1", "172.16.0.1", "169.254.169.254", "[::1]", "[::]",
    "0.0.0.0", "[::ffff:10.0.0.1]", "[::ffff:192.168.0.1]", "[fe80::1%25eth0]", "[64:ff9b::a00:1]", "[fd12::1]",
    "2130706433", "0x7f000001", "0177.0.0.1", "127.1", "localhost", "nowhere.invalid", "[2002:a00:1::]",
    "224.0.0.1", "255.255.255.255", "100.64.0.1", "[::ffff:7f00:1]",
};

const QByteArrayList nicks{"Telmik", "a", "[]\\`_^{|}", "-bad", "9nick", "n\xc3\xa9", "%00nick", "ni%0D%0Ack",
                           "nick%20JOIN", "%C0%80", "%E0%80%80", "%F0%80%80%80", "%ED%A0%80", "%FF%FE", "%",
                           "%G1", "%4", "ni,ck", "ni*ck", "n!ck", ""};

QByteArray randomBytes(QRandomGenerator &random, int size)
{
    static const QByteArray alphabet = "%%%0123456789ABCDEFabcdefgz@:/[].\\\x00\x01\r\n \t?#&=+;,*!~'\"<>\x7f\x80\xc0\xff";
    QByteArray out;
    for (int i = 0; i < size; ++i)
        out += alphabet[random.bounded(int(alphabet.size()))];
    return out;
}

} // namespace

class TestStatusPathCorpus : public QObject
{
    Q_OBJECT

private slots:
    void noHostilePathCrashesOrReachesAnythingItMayNot();
};

void TestStatusPathCorpus::noHostilePathCrashesOrReachesAnythingItMayNot()
{
    const quint16 ircPort = 6667;
    ServerOptions options;
    options.statusPort = 0;
    options.webPort = 0;
    options.policy.allow(QStringLiteral("127.0.0.0/8"));
    options.irc.allowedPorts = {ircPort, 6697};
    options.irc.lookupBoundMs = 1000;
    options.irc.unreachableMemoryMs = 0;
    options.irc.resolver = [](const QString &host, QObject *, const IrcSettings::Resolved &done) {
        done(names().value(host.toLower()));
    };
    // Every transport is recorded and fails at once: no socket is ever opened.
    struct Attempt
    {
        QHostAddress address;
        quint16 port;
    };
    QList<Attempt> attempts;
    const auto transports = [&attempts](QObject *owner) -> IrcTransport * {
        auto *transport = new RecordingTransport(owner);
        QTimer::singleShot(0, transport, [transport, &attempts] {
            attempts.append({transport->openedAddress, transport->openedPort});
            transport->drop();
        });
        return transport;
    };
    StatusServer server(options, transports);
    QVERIFY(server.start());

    // The corpus: structured cases, every identity form with every host, then random bytes.
    QByteArrayList corpus;
    const QByteArrayList ports{"", ":6667", ":6697", ":7000", ":0", ":65536", ":-1", ":6667:6667", ":%36667", ":+6667"};
    const QByteArrayList media{"irc", "msn", "aim", "yahoo", "icq", "IRC", "irc%2F", "..", "%2e%2e"};
    for (const QByteArray &medium : media)
        for (const QByteArray &nick : nicks)
            for (const QByteArray &host : hosts)
                for (const QByteArray &port : ports)
                    corpus.append("/" + medium + "/" + nick + "@" + host + port);
    for (const QByteArray &host : hosts)
        for (const QByteArray &nick : nicks) {
            corpus.append("/irc/" + nick + "%40" + host);
            corpus.append("/irc/" + nick + "@" + host + "/../../etc/passwd");
            corpus.append("/irc/" + nick + "@@" + host);
            corpus.append("/irc/" + nick + "@" + host + "%00.example");
            corpus.append("/irc/" + nick + "@" + host + "%0D%0AQUIT");
            corpus.append("/irc/" + nick + "@" + host + "?format=json&set=9");
        }
    corpus.append("/irc/" + QByteArray(100'000, 'a') + "@127.0.0.1");
    corpus.append("/irc/Telmik@" + QByteArray(100'000, 'h') + ".test");
    corpus.append("/msn/" + QByteArray(100'000, 'b'));
    QRandomGenerator random(20261209);
    while (corpus.size() < 104'000)
        corpus.append("/irc/" + randomBytes(random, 1 + random.bounded(60)));
    QVERIFY(corpus.size() >= 100'000);

    // One request at a time on each connection, so attempts made while one is
    // being answered belong to it.
    int next = 0, answered = 0, unanswered = 0;
    QHash<int, int> statuses;
    QList<QByteArray> reachedBy;
    const auto nextPath = [&]() -> QByteArray {
        if (next >= corpus.size())
            return {};
        // The request line cannot carry these raw; percent-encode them.
        return corpus[next++].toPercentEncoding("/@:[]%?&=.-_~!$'()*+,;");
    };
    int before = 0;
    int current = -1;
    const auto nextSerial = [&]() -> QByteArray {
        current = next;
        before = int(attempts.size());
        return nextPath();
    };
    const auto done = [&](int status, const QByteArray &) {
        ++answered;
        ++statuses[status];
        if (status == 0)
            ++unanswered;
        if (attempts.size() > before && current >= 0)
            reachedBy.append(corpus[current]);
    };
    KeepAliveClient client(server.statusPort(), nextSerial, done);
    QVERIFY(runUntil([&] { return client.stopped(); }, 170'000));
    qInfo("%d paths: %d answered 200, %d 400, %d 404, %d closed; %lld IRC connection attempts",
          int(corpus.size()), statuses[200], statuses[400], statuses[404], unanswered, qint64(attempts.size()));
    QCOMPARE(answered, int(corpus.size()));

    // Every attempt went to the allowed network, on an allowed port.
    for (const Attempt &attempt : attempts) {
        bool mapped = false;
        const QHostAddress v4(attempt.address.toIPv4Address(&mapped));
        const QHostAddress judged = mapped ? v4 : attempt.address;
        QVERIFY2(judged.isInSubnet(QHostAddress::parseSubnet(QStringLiteral("127.0.0.0/8"))),
                 qPrintable(attempt.address.toString()));
        QVERIFY(options.irc.allowedPorts.contains(attempt.port));
    }
    // And only valid identities made them: a nick of the protocol's letters, a host that is
    // the allowed network (numeric forms of 127.0.0.1 included: they are read as that address).
    const QRegularExpression valid(QStringLiteral(
        "^/irc/[A-Za-z\\[\\]\\\\`_^{|}][A-Za-z0-9\\[\\]\\\\`_^{|}-]*@(irc\\.good\\.test|127\\.\\d+\\.\\d+\\.\\d+|"
        "\\[::ffff:127\\.0\\.0\\.1\\]|\\[::ffff:7f00:1\\]|2130706433|0x7f000001|0177\\.0\\.0\\.1|127\\.1)(:(6667|6697))?$"));
    QVERIFY(!reachedBy.isEmpty());
    for (const QByteArray &path : reachedBy)
        QVERIFY2(valid.match(QString::fromLatin1(path)).hasMatch(), path.left(200).constData());
}

QTEST_GUILESS_MAIN(TestStatusPathCorpus)
#include "tst_statuspathcorpus.moc"
