// The program itself, started as a user starts it, beside a real IRC
// server (ngircd, started by CTest on a loopback port with a member online):
// lookups in every form, its command line, its log, its ports and its end.
#include "support/httpfetch.h"
#include "support/serverprocess.h"

#include <QHostInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <csignal>

namespace {

const QByteArray ircPort = QByteArray::number(QUORVANE_TEST_IRC_PORT);
const QByteArray onlineNick = QUORVANE_TEST_IRC_NICK;

QByteArray url(quint16 port, const QByteArray &path)
{
    return "http://127.0.0.1:" + QByteArray::number(port) + path;
}

} // namespace

class TestServerProgram : public QObject
{
    Q_OBJECT

private slots:
    void nicksOnTheRealNetworkReadOnlineAndOfflineInEveryForm();
    void theLogNamesNoAccountUnlessAsked();
    void sigtermEndsItCleanly();
    void aPortItCannotHaveIsReportedAndTheOtherServed();
    void withNoPortAtAllItFails();
    void itTakesItsSocketsFromSystemd();
    void theCommandLineIsChecked();
};

void TestServerProgram::nicksOnTheRealNetworkReadOnlineAndOfflineInEveryForm()
{
    Server server(Server::ircArguments());
    const quint16 port = server.port(QStringLiteral("status and pages"));
    QVERIFY2(port, qPrintable(server.log()));
    for (const auto &[nick, state] : {std::pair(onlineNick, QByteArray("online")),
                                      std::pair(onlineNick.toLower(), QByteArray("online")),
                                      std::pair(QByteArray("nobody"), QByteArray("offline"))}) {
        const QByteArray path = "/irc/" + nick + "@127.0.0.1:" + ircPort;
        const HttpFetch text = HttpFetch::get(url(port, path + "?format=text"));
        QCOMPARE(text.body, state + '\n');
        const QJsonObject json = QJsonDocument::fromJson(HttpFetch::get(url(port, path + "?format=json")).body).object();
        QCOMPARE(json.value("status").toString().toUtf8(), state);
        QCOMPARE(json.value("account").toString().toUtf8(), nick + "@127.0.0.1:" + ircPort);
        QVERIFY(json.value("reason").isNull());
        const HttpFetch png = HttpFetch::get(url(port, path));
        QCOMPARE(png.header("Content-Type"), QByteArray("image/png"));
        QVERIFY(png.body.startsWith("\x89PNG"));
        // The same picture the web page's legend shows for that state.
        QCOMPARE(png.body, HttpFetch::get(url(port, "/Msntv/pictures/legend3-" + state + ".png")).body);
    }
    // The name resolves to loopback, which the command line allowed (where the
    // machine names its loopback address at all: a bare container may not).
    if (!QHostInfo::fromName(QStringLiteral("localhost")).addresses().isEmpty())
        QCOMPARE(HttpFetch::get(url(port, "/irc/" + onlineNick + "@localhost:" + ircPort + "?format=text")).body,
                 QByteArray("online\n"));
    const QByteArray status = HttpFetch::get(url(port, "/Msntv/statusexe2.html")).body;
    QVERIFY(status.contains("<td>127.0.0.1:" + ircPort + "</td><td>connected</td>"));
    QVERIFY(status.contains("IRC 10"));
}

void TestServerProgram::theLogNamesNoAccountUnlessAsked()
{
    const QByteArray lookup = "/irc/" + onlineNick + "@127.0.0.1:" + ircPort + "?format=text";
    {
        Server quiet(Server::ircArguments());
        const quint16 port = quiet.port(QStringLiteral("status and pages"));
        QCOMPARE(HttpFetch::get(url(port, lookup)).body, QByteArray("online\n"));
        HttpFetch::get(url(port, "/msn/secret.account@hotmail.com"));
        QVERIFY(!quiet.log().contains(QString::fromLatin1(onlineNick)));
        QVERIFY(!quiet.log().contains(QStringLiteral("secret.account")));
        QVERIFY(quiet.log().contains(QStringLiteral("IRC network 127.0.0.1:") + QString::fromLatin1(ircPort)));
    }
    Server logging(Server::ircArguments() << QStringLiteral("--log-lookups"));
    const quint16 port = logging.port(QStringLiteral("status and pages"));
    QCOMPARE(HttpFetch::get(url(port, lookup)).body, QByteArray("online\n"));
    HttpFetch::get(url(port, "/irc/a%0D%0Ab@127.0.0.1"));
    QTRY_VERIFY(logging.log().contains(QStringLiteral("lookup irc/%1@127.0.0.1:%2: online").arg(QString::fromLatin1(onlineNick), QString::fromLatin1(ircPort))));
    // One line per event: a line break in an account does not start a line of its own.
    QTRY_VERIFY(logging.log().contains(QStringLiteral("lookup irc/a\\r\\nb@127.0.0.1: unknown (not a valid IRC identity)\n")));
}

void TestServerProgram::sigtermEndsItCleanly()
{
    Server server(Server::ircArguments());
    const quint16 port = server.port(QStringLiteral("status and pages"));
    QCOMPARE(HttpFetch::get(url(port, "/irc/" + onlineNick + "@127.0.0.1:" + ircPort + "?format=text")).body, QByteArray("online\n"));
    ::kill(pid_t(server.process().processId()), SIGTERM);
    QVERIFY(server.process().waitForFinished(5000));
    QCOMPARE(server.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.process().exitCode(), 0);
    QVERIFY(server.log().endsWith(QStringLiteral("quorvane-server: stopping on SIGTERM\n")));
}

void TestServerProgram::aPortItCannotHaveIsReportedAndTheOtherServed()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::LocalHost));
    Server server({QStringLiteral("--status-port"), QString::number(taken.serverPort()), QStringLiteral("--web-port"), QStringLiteral("0")});
    const quint16 web = server.port(QStringLiteral("pages"));
    QVERIFY2(web, qPrintable(server.log()));
    const QStringList lines = server.log().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const auto refused = lines.filter(QStringLiteral("cannot listen on 127.0.0.1:%1").arg(taken.serverPort()));
    QCOMPARE(refused.size(), 1);
    QVERIFY(refused.first().contains(QStringLiteral("status port")));
    QCOMPARE(HttpFetch::get(url(web, "/Msntv/msnexe6.html")).status, 200);
    QCOMPARE(server.process().state(), QProcess::Running);
}

void TestServerProgram::withNoPortAtAllItFails()
{
    QTcpServer one, two;
    QVERIFY(one.listen(QHostAddress::LocalHost) && two.listen(QHostAddress::LocalHost));
    Server server({QStringLiteral("--status-port"), QString::number(one.serverPort()),
                   QStringLiteral("--web-port"), QString::number(two.serverPort())});
    QVERIFY(server.process().waitForFinished(5000));
    QCOMPARE(server.process().exitCode(), 1);
    QCOMPARE(server.log().count(QStringLiteral("cannot listen")), 2);
}

void TestServerProgram::itTakesItsSocketsFromSystemd()
{
    const QString activate = QStandardPaths::findExecutable(QStringLiteral("systemd-socket-activate"));
    if (activate.isEmpty())
        QSKIP("systemd-socket-activate is not installed");
    // Two free ports, then given up for systemd-socket-activate to listen on.
    quint16 ports[2];
    for (quint16 &port : ports) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    Server server({QStringLiteral("-l"), QStringLiteral("127.0.0.1:%1").arg(ports[0]), QStringLiteral("-l"),
                   QStringLiteral("127.0.0.1:%1").arg(ports[1]), QStringLiteral("--fdname=web:status"),
                   QStringLiteral(QUORVANE_SERVER_PROGRAM), QStringLiteral("--status-port"), QStringLiteral("1"),
                   QStringLiteral("--web-port"), QStringLiteral("1")},
                  activate);
    QTest::qWait(300);
    // The first connection starts the server with both sockets.
    QCOMPARE(HttpFetch::get(url(ports[0], "/Msntv/msnexe2.html")).status, 200);
    QCOMPARE(HttpFetch::get(url(ports[0], "/icq/1?format=text")).status, 404); // the web socket
    QCOMPARE(HttpFetch::get(url(ports[1], "/icq/1?format=text")).body, QByteArray("unknown\n"));
    QVERIFY(server.log().contains(QStringLiteral("status and pages on 127.0.0.1:%1").arg(ports[1])));
    QVERIFY(!server.log().contains(QStringLiteral("cannot listen")));
}

// The options themselves are judged in tst_inputrules; here, what the
// program makes of them: one line and code 2 for a wrong one, the help and
// the version on standard output.
void TestServerProgram::theCommandLineIsChecked()
{
    Server wrong({QStringLiteral("--status-port"), QStringLiteral("70000")});
    QVERIFY(wrong.process().waitForFinished(5000));
    QCOMPARE(wrong.process().exitCode(), 2);
    QCOMPARE(wrong.log().count(QLatin1Char('\n')), 1);
    Server help({QStringLiteral("--help")});
    QVERIFY(help.process().waitForFinished(5000));
    QCOMPARE(help.process().exitCode(), 0);
    const QByteArray text = help.process().readAllStandardOutput();
    for (const char *option : {"--listen", "--status-port", "--web-port", "--allow-network", "--irc-ports",
                               "--irc-ca", "--cache-seconds", "--log-lookups", "--version"})
        QVERIFY2(text.contains(option), option);
    // Every form a status address is answered in, and the badge page.
    for (const char *form : {"format=png", "format=svg", "format=shields", "format=text", "format=json", "theme=",
                             "set=", "as a page", "/Msntv/badge.html"})
        QVERIFY2(text.contains(form), form);
    Server version({QStringLiteral("--version")});
    QVERIFY(version.process().waitForFinished(5000));
    QCOMPARE(version.process().readAllStandardOutput(), QByteArray("quorvane-server 2.3\n"));
}

QTEST_GUILESS_MAIN(TestServerProgram)
#include "tst_serverprogram.moc"
