// The program against its own status server, a real IRC network and a real
// Jabber server, all on
// this machine: the web engine reaches the ".localhost" names by itself, with
// no proxy and no hosts file, on the ports the program names (80 and 6969).
#include "app/windowregistry.h"
#include "server/support/xmppclient.h"
#include "support/lookups.h"
#include "support/recorders.h"
#include "support/testmain.h"
#include "support/webviews.h"
#include "webview/webbrowser.h"
#include "windows/form2.h"
#include "windows/frmabout.h"
#include "windows/frmmain.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QRegularExpression>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

const QString ircNetwork = QStringLiteral("127.0.0.1:%1").arg(QUORVANE_TEST_IRC_PORT);

bool answers(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(500);
}

// What the server answers at the address, fetched beside the program.
QByteArray fetch(const QString &address)
{
    QNetworkAccessManager network;
    QNetworkRequest request{QUrl(address)};
    request.setTransferTimeout(15000);
    QNetworkReply *reply = network.get(request);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    finished.wait(20000);
    reply->deleteLater();
    return reply->readAll();
}

// The picture the web view shows at its top-left, as large as the expected one.
QImage shownPicture(QWidget *window, const QImage &expected)
{
    const QImage view = window->findChild<WebBrowser *>("WebBrowser1")->grab().toImage();
    return view.copy(QRect(QPoint(0, 0), expected.size())).convertToFormat(QImage::Format_RGB32);
}

// The expected picture drawn on the view's white ground.
QImage onWhite(const QByteArray &png)
{
    const QImage picture = QImage::fromData(png);
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, picture);
    return flat;
}

QString pageText(QWebEnginePage *page)
{
    QString text;
    bool done = false;
    page->runJavaScript(QStringLiteral("document.body ? document.body.innerText : ''"),
                        [&](const QVariant &result) {
                            text = result.toString();
                            done = true;
                        });
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 10000)
        QTest::qWait(20);
    return text;
}

// The count of IRC lookups a status page shows, -1 if it shows none.
int ircLookups(const QString &page)
{
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("IRC (\\d+)")).match(page);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void startPagesLoadFromTheServer();
    void ircLookupsTellOnlineFromOffline();
    void messengerLookupShowsTheUnknownPicture();
    void messengerLookupOfAJabberContactShowsHerPicture();
    void statusPageCountsTheLookups();

private:
    void lookUpIrc(const QString &identity);

    QProcess m_server;
    std::unique_ptr<EndRecorder> m_end;
    std::unique_ptr<WindowRegistry> m_registry;
    frmmain *m_main = nullptr;
};

void TestEndToEnd::initTestCase()
{
    // Run by the load balancer's test, in front of a cluster it started.
    if (qEnvironmentVariableIsSet("QUORVANE_TEST_SERVER_RUNNING")) {
        QVERIFY(answers(6969));
        return;
    }
    if (answers(80) || answers(6969))
        QSKIP("ports 80 or 6969 of 127.0.0.1 are in use: the program's own ports are needed");
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral(QUORVANE_SERVER_PROGRAM),
                   {"--listen", "127.0.0.1", "--allow-network", "127.0.0.0/8", "--irc-ports",
                    QString::number(QUORVANE_TEST_IRC_PORT), "--xmpp-jid", XmppClient::serverJid,
                    "--xmpp-password-file", QUORVANE_XMPP_DIR "/credentials/xmpp-password",
                    "--xmpp-ca", QUORVANE_XMPP_DIR "/ca.crt", "--xmpp-host", "127.0.0.1",
                    "--xmpp-port", QString::number(QUORVANE_TEST_XMPP_PORT)});
    QVERIFY(m_server.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(answers(6969) && answers(80), 10000);
}

void TestEndToEnd::cleanupTestCase()
{
    m_server.terminate();
    m_server.waitForFinished(5000);
}

void TestEndToEnd::init()
{
    m_end = std::make_unique<EndRecorder>();
    m_registry = std::make_unique<WindowRegistry>();
    WindowRegistry::Show<frmmain>();
    m_main = &WindowRegistry::window<frmmain>();
}

void TestEndToEnd::cleanup()
{
    m_registry.reset();
    m_end.reset();
}

void TestEndToEnd::startPagesLoadFromTheServer()
{
    QWebEnginePage *page = pageOf(m_main);
    QTRY_COMPARE_WITH_TIMEOUT(page->url(), QUrl("http://telmik-brasko.localhost/Msntv/msnexe6.html"), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(pageText(page).contains("ready", Qt::CaseInsensitive), 30000);
    WindowRegistry::Show<Form2>();
    QWebEnginePage *irc = pageOf(&WindowRegistry::window<Form2>());
    QTRY_VERIFY_WITH_TIMEOUT(pageText(irc).contains("nick@", Qt::CaseInsensitive), 30000);
}

void TestEndToEnd::lookUpIrc(const QString &identity)
{
    WindowRegistry::Show<Form2>();
    Form2 &irc = WindowRegistry::window<Form2>();
    auto *box = irc.findChild<QPlainTextEdit *>("Text1");
    box->clear();
    QTest::keyClicks(box, identity);
    QSignalSpy loaded(pageOf(&irc), &QWebEnginePage::loadFinished);
    runLookup(&irc);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 20000);
}

void TestEndToEnd::ircLookupsTellOnlineFromOffline()
{
    const QString online = QStringLiteral(QUORVANE_TEST_IRC_NICK "@") + ircNetwork;
    const QString offline = QStringLiteral("nobodyhere@") + ircNetwork;
    const QString base = QStringLiteral("http://127.0.0.1:6969/irc/");
    QCOMPARE(fetch(base + online + "?format=text").trimmed(), "online");
    QCOMPARE(fetch(base + offline + "?format=text").trimmed(), "offline");
    const QImage onlinePicture = onWhite(fetch(base + online));
    const QImage offlinePicture = onWhite(fetch(base + offline));
    QVERIFY(!onlinePicture.isNull() && onlinePicture != offlinePicture);

    Form2 &irc = WindowRegistry::window<Form2>();
    lookUpIrc(online);
    QTRY_COMPARE_WITH_TIMEOUT(shownPicture(&irc, onlinePicture), onlinePicture, 10000);
    lookUpIrc(offline);
    QTRY_COMPARE_WITH_TIMEOUT(shownPicture(&irc, offlinePicture), offlinePicture, 10000);
}

void TestEndToEnd::messengerLookupShowsTheUnknownPicture()
{
    const QString address = "http://127.0.0.1:6969/msn/buddy@hotmail.com";
    QCOMPARE(fetch(address + "?format=text").trimmed(), "unknown");
    const QImage unknown = onWhite(fetch(address));
    m_main->findChild<QLineEdit *>("Text1")->setText("buddy@");
    QSignalSpy loaded(pageOf(m_main), &QWebEnginePage::loadFinished);
    runLookup(m_main);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 20000);
    QCOMPARE(pageOf(m_main)->url(), QUrl("http://telmik-brasko.localhost:6969/msn/buddy@hotmail.com"));
    QTRY_COMPARE_WITH_TIMEOUT(shownPicture(m_main, unknown), unknown, 10000);
}

void TestEndToEnd::messengerLookupOfAJabberContactShowsHerPicture()
{
    XmppClient alice("alice", QUORVANE_TEST_XMPP_PORT, QStringLiteral(QUORVANE_XMPP_DIR));
    QVERIFY(alice.login());
    alice.send("<presence/>");
    alice.send("<presence to='quorvane@quorvane.test' type='subscribe'/>");
    const QString address = "http://127.0.0.1:6969/jabber/alice@quorvane.test";
    for (QDeadlineTimer deadline(10000); fetch(address + "?format=text").trimmed() != "online" && !deadline.hasExpired();)
        alice.pump(200);
    QCOMPARE(fetch(address + "?format=text").trimmed(), "online");
    const QImage online = onWhite(fetch(address));

    // The medium typed by hand: the box lists the closed networks only.
    auto *medium = m_main->findChild<QComboBox *>("Combo2");
    medium->lineEdit()->clear();
    QTest::keyClicks(medium->lineEdit(), "jabber/");
    m_main->findChild<QComboBox *>("Combo1")->setEditText("quorvane.test");
    m_main->findChild<QLineEdit *>("Text1")->setText("alice@");
    runLookup(m_main);
    QTRY_COMPARE_WITH_TIMEOUT(shownPicture(m_main, online), online, 20000);
    QCOMPARE(m_main->findChild<WebBrowser *>("WebBrowser1")->currentAddress(),
             QUrl("http://telmik-brasko.localhost:6969/jabber/alice@quorvane.test"));
}

void TestEndToEnd::statusPageCountsTheLookups()
{
    const int before = ircLookups(QString::fromUtf8(fetch("http://127.0.0.1/Msntv/statusexe2.html")));
    QVERIFY(before >= 0);
    lookUpIrc(QStringLiteral("countme@") + ircNetwork);
    WindowRegistry::Show<frmAbout>();
    QWebEnginePage *status = pageOf(&WindowRegistry::window<frmAbout>());
    QTRY_COMPARE_WITH_TIMEOUT(status->url(), QUrl("http://www.brasko.localhost/Msntv/statusexe2.html"), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(pageText(status).contains(ircNetwork), 30000);
    const QString text = pageText(status);
    QVERIFY2(ircLookups(text) == before + 1, qPrintable(text));
}

QUORVANE_TEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
