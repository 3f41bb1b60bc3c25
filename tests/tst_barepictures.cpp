// Status pictures as the user sees them: every picture a web view is sent
// to is drawn at the top-left on white from its first paint, whatever the
// view showed before (a failed start page, an error page, a refused
// connection, a page of another site, a hostile page, a renderer that was
// killed) and in every picture format. Read from the screen's own pixels:
// run on X11 (under Xvfb) as well as offscreen.
#include "app/windowregistry.h"
#include "support/fixture.h"
#include "support/httpserver.h"
#include "support/lookups.h"
#include "support/recorders.h"
#include "support/testmain.h"
#include "support/webviews.h"
#include "webview/webbrowser.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/frmabout.h"
#include "windows/frmmain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <csignal>

namespace {

const QString startPage = "http://telmik-brasko.localhost/Msntv/msnexe6.html";
const QString statusAddress = "http://telmik-brasko.localhost:6969/msn/@hotmail.com";

// The server rows the lookups go to: the start page's own site, a server
// of another name, and one typed as an address.
const QString sameSite = "telmik-brasko.localhost:6969/";
const QString otherSite = "osi.status-b.example:8080/";
const QString typedSite = "127.0.0.1:6969/";

struct Format
{
    const char *name;    // as the account names it: "png@hotmail.com"
    const char *encoder; // QImage's name for it
    QRgb colour;
};
const Format formats[] = {
    {"png", "PNG", qRgb(0, 160, 0)},
    {"gif", "GIF", qRgb(0, 0, 200)},
    {"jpeg", "JPEG", qRgb(230, 120, 0)},
    {"webp", "WEBP", qRgb(150, 0, 150)},
};

// The page a stock browser puts a lone picture on.
bool isDarkPage(QRgb pixel)
{
    return qAbs(qRed(pixel) - 14) <= 4 && qAbs(qGreen(pixel) - 14) <= 4 && qAbs(qBlue(pixel) - 14) <= 4;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 40 && qAbs(qGreen(a) - qGreen(b)) < 40 && qAbs(qBlue(a) - qBlue(b)) < 40;
}

// What the screen shows of a web view, read back from the display.
QImage onScreen(QWidget *view)
{
    QScreen *screen = view->screen();
    const QPoint at = view->mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft();
    return screen->grabWindow(0, at.x(), at.y(), view->width(), view->height()).toImage();
}

// Watches a web view on screen, a sample every few milliseconds, while it
// goes to a picture: the picture must come at the top-left on white, and
// no sample may show the dark page.
class ScreenWatch
{
public:
    explicit ScreenWatch(WebBrowser *browser) : m_browser(browser) {}

    bool showsPictureOnWhite(QRgb colour, int timeoutMs = 15000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (sample(colour)) {
                // A little longer: a late repaint must not turn it dark either.
                for (QElapsedTimer after; !after.isValid() || after.elapsed() < 150; QTest::qWait(5)) {
                    if (!after.isValid())
                        after.start();
                    sample(colour);
                }
                return darkSamples == 0;
            }
            QTest::qWait(5);
        }
        return false;
    }

    int darkSamples = 0;

private:
    // True when the picture is at the top-left and all else is white.
    bool sample(QRgb colour)
    {
        const QImage shown = onScreen(m_browser);
        if (shown.isNull())
            return false;
        int dark = 0;
        bool white = true;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb pixel = shown.pixel(x, y);
                dark += isDarkPage(pixel);
                if (x >= 24 || y >= 24)
                    white = white && pixel == qRgb(255, 255, 255);
            }
        if (dark > 200)
            ++darkSamples;
        return white && near(shown.pixel(4, 4), colour) && near(shown.pixel(19, 19), colour);
    }

    WebBrowser *m_browser;
};

WebBrowser *browserOf(QWidget *window)
{
    return window->findChild<WebBrowser *>("WebBrowser1");
}

// Ends the renderer of the window's page from outside, as the kernel's
// out-of-memory killer would, and waits until the view has noticed.
bool killRenderer(QWidget *window)
{
    QWebEnginePage *page = pageOf(window);
    const qint64 pid = page->renderProcessPid();
    if (pid <= 0)
        return false;
    QSignalSpy terminated(page, &QWebEnginePage::renderProcessTerminated);
    ::kill(pid_t(pid), SIGKILL);
    return terminated.wait(10000);
}

// A port on this machine where nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class TestBarePictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pictureIsOnWhiteWhateverItsSiteAndFormat_data();
    void pictureIsOnWhiteWhateverItsSiteAndFormat();
    void pictureAfterAFailedStartPageIsOnWhite();
    void pictureAfterAnErrorPageOrARefusedConnectionIsOnWhite_data();
    void pictureAfterAnErrorPageOrARefusedConnectionIsOnWhite();
    void pictureAfterAHostilePageIsOnWhite();
    void everyViewDrawsPicturesOnWhite();
    void hundredsOfMixedLookupsAreAllOnWhite();

    void nextLookupLooksAsBeforeTheCrash();
    void lookupCountingItsTicksStillNavigates();
    void lostPageShowsTheStartPageAgain();
    void hostilePageIsStillHeldIn();
    void everyViewRecovers();

private:
    // Opens the messenger window and waits for its start page.
    void openMain(bool startPageLoads = true);
    // A lookup in the messenger window, on the server row given, of an
    // account that names what the test server answers ("png", "drop").
    QString lookUp(const QString &server, const QString &what);
    bool lookUpPicture(const QString &server, const Format &format);

    HttpServer m_server;
    quint16 m_refusedPort = 0;
    int m_lookups = 0;
    std::unique_ptr<EndRecorder> m_end;
    std::unique_ptr<ErrorRecorder> m_errors;
    std::unique_ptr<WindowRegistry> m_registry;
    frmmain *m_window = nullptr;
};

void TestBarePictures::initTestCase()
{
    QVERIFY(m_server.port() != 0);
    m_refusedPort = closedPort();
    m_server.becomeEngineProxy("refused.localhost");
    m_server.respond(":6969/msn/@hotmail.com", {200, "image/png", HttpServer::statusPicture()});
    for (const Format &format : formats) {
        const QByteArray picture = HttpServer::statusPicture(format.encoder, format.colour);
        QVERIFY2(!picture.isEmpty(), format.encoder);
        m_server.respond(QByteArray(format.name) + "@hotmail.com",
                         {200, "image/" + QByteArray(format.name), picture});
    }
    m_server.respond("drop@hotmail.com", {200, "", "", "", false, true});
    m_server.respond("hostile@hotmail.com",
                     {200, "text/html",
                      "<html><body style='background:#000080'><img src='/png@hotmail.com' "
                      "style='position:fixed;left:50px;top:30px'><script>"
                      "document.body.style.margin='40px'; window.open('/opened.html');"
                      "</script></body></html>"});
    m_server.respond("/popup.html",
                     {200, "text/html",
                      "<html><body><script>document.title = window.open('/opened.html') ? 'opened' "
                      ": 'no window';</script></body></html>"});
}

void TestBarePictures::init()
{
    m_end = std::make_unique<EndRecorder>();
    m_errors = std::make_unique<ErrorRecorder>();
    m_registry = std::make_unique<WindowRegistry>();
}

void TestBarePictures::cleanup()
{
    m_registry.reset();
    QVERIFY(m_errors->reports.isEmpty());
    QCOMPARE(m_end->ends, 0);
    m_errors.reset();
    m_end.reset();
}

void TestBarePictures::openMain(bool startPageLoads)
{
    WindowRegistry::Show<frmmain>();
    m_window = &WindowRegistry::window<frmmain>();
    QWebEnginePage *page = pageOf(m_window);
    QVERIFY(page);
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
    QCOMPARE(loaded.first().first().toBool(), startPageLoads);
}

QString TestBarePictures::lookUp(const QString &server, const QString &what)
{
    auto *servers = m_window->findChild<QComboBox *>("Combo3");
    servers->setEditText(server);
    const QString account = QString::number(++m_lookups) + what + '@';
    m_window->findChild<QLineEdit *>("Text1")->setText(account);
    runLookup(m_window);
    return "http://" + server + "msn/" + account + "hotmail.com";
}

bool TestBarePictures::lookUpPicture(const QString &server, const Format &format)
{
    const QString address = lookUp(server, format.name);
    ScreenWatch watch(browserOf(m_window));
    const bool onWhite = watch.showsPictureOnWhite(format.colour);
    if (!onWhite)
        qWarning("%s: %s, %d dark samples", qPrintable(address), onWhite ? "on white" : "not on white",
                 watch.darkSamples);
    return onWhite && m_server.received(address);
}

void TestBarePictures::pictureIsOnWhiteWhateverItsSiteAndFormat_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("format");
    for (const QString &server : {sameSite, otherSite, typedSite})
        for (int format = 0; format < int(std::size(formats)); ++format)
            QTest::addRow("%s from %s", formats[format].name, qPrintable(server)) << server << format;
}

void TestBarePictures::pictureIsOnWhiteWhateverItsSiteAndFormat()
{
    QFETCH(QString, server);
    QFETCH(int, format);
    openMain();
    QVERIFY(lookUpPicture(server, formats[format]));
    // And the next one, from the other side of a change of site.
    QVERIFY(lookUpPicture(server == otherSite ? sameSite : otherSite, formats[(format + 1) % 4]));
}

void TestBarePictures::pictureAfterAFailedStartPageIsOnWhite()
{
    m_server.respond("/Msntv/msnexe6.html", {200, "", "", "", false, true});
    openMain(false);
    m_server.respond("/Msntv/msnexe6.html", {200, "text/html", "<html><body><p>start page</p></body></html>"});
    QVERIFY(lookUpPicture(otherSite, formats[0]));
    QVERIFY(lookUpPicture(sameSite, formats[1]));
}

void TestBarePictures::pictureAfterAnErrorPageOrARefusedConnectionIsOnWhite_data()
{
    QTest::addColumn<bool>("refused");
    QTest::newRow("dropped connection") << false;
    QTest::newRow("refused connection") << true;
}

void TestBarePictures::pictureAfterAnErrorPageOrARefusedConnectionIsOnWhite()
{
    QFETCH(bool, refused);
    openMain();
    QSignalSpy loaded(pageOf(m_window), &QWebEnginePage::loadFinished);
    if (refused)
        lookUp(QStringLiteral("refused.localhost:%1/").arg(m_refusedPort), "png");
    else
        lookUp(sameSite, "drop");
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 15000);
    QVERIFY(lookUpPicture(otherSite, formats[0]));
    lookUp(otherSite, "drop");
    QVERIFY(lookUpPicture(sameSite, formats[2]));
}

void TestBarePictures::pictureAfterAHostilePageIsOnWhite()
{
    openMain();
    const QString hostile = lookUp(otherSite, "hostile");
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received("http://osi.status-b.example:8080/png@hotmail.com"), 15000);
    QVERIFY(m_server.received(hostile));
    QVERIFY(lookUpPicture(otherSite, formats[3]));
    QVERIFY(!m_server.received("http://osi.status-b.example:8080/opened.html"));
}

void TestBarePictures::everyViewDrawsPicturesOnWhite()
{
    openMain();
    const auto check = [this](QWidget *window) {
        QVERIFY(pageOf(window));
        QTRY_VERIFY_WITH_TIMEOUT(!pageOf(window)->url().isEmpty(), 30000);
        QTest::qWait(300);
        for (const Format &format : formats) {
            browserOf(window)->Navigate("http://" + otherSite + "msn/" + QString::number(++m_lookups)
                                        + format.name + "@hotmail.com");
            ScreenWatch watch(browserOf(window));
            QVERIFY2(watch.showsPictureOnWhite(format.colour), format.name);
            browserOf(window)->Navigate("http://" + sameSite + "msn/drop@hotmail.com");
            QTest::qWait(300);
        }
    };
    check(openWindow<Form1>());
    check(openWindow<Form2>());
    check(openWindow<frmAbout>());
}

void TestBarePictures::hundredsOfMixedLookupsAreAllOnWhite()
{
    openMain();
    int pictures = 0, onWhite = 0;
    for (int step = 0; step < 200; ++step) {
        const QString server = QList<QString>{sameSite, otherSite, typedSite}[step % 3];
        if (step % 7 == 3) {
            lookUp(server, step % 2 ? "drop" : "hostile");
            QTest::qWait(200);
            continue;
        }
        if (step % 50 == 25)
            QVERIFY(killRenderer(m_window));
        ++pictures;
        onWhite += lookUpPicture(server, formats[step % 4]);
    }
    QCOMPARE(onWhite, pictures);
}

void TestBarePictures::nextLookupLooksAsBeforeTheCrash()
{
    openMain();
    QVERIFY(killRenderer(m_window));
    runLookup(m_window);
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(m_window)->url(), QUrl(statusAddress), 15000);
    QVERIFY(ScreenWatch(browserOf(m_window)).showsPictureOnWhite(formats[0].colour));
}

void TestBarePictures::lookupCountingItsTicksStillNavigates()
{
    openMain();
    QTest::mouseClick(m_window->findChild<QWidget *>("Label5"), Qt::LeftButton);
    tickLookup(m_window, 5);
    QVERIFY(killRenderer(m_window));
    tickLookup(m_window, ticksToFire - 5);
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(m_window)->url(), QUrl(statusAddress), 15000);
    QVERIFY(ScreenWatch(browserOf(m_window)).showsPictureOnWhite(formats[0].colour));
}

void TestBarePictures::lostPageShowsTheStartPageAgain()
{
    openMain();
    const int requests = m_server.targets().count(startPage);
    QVERIFY(killRenderer(m_window));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.targets().count(startPage) > requests, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(m_window)->url(), QUrl(startPage), 15000);
    QVERIFY(pageOf(m_window)->renderProcessPid() > 0);
}

void TestBarePictures::hostilePageIsStillHeldIn()
{
    openMain();
    QVERIFY(killRenderer(m_window));
    browserOf(m_window)->Navigate("http://telmik-brasko.localhost/popup.html");
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received("http://telmik-brasko.localhost/popup.html"), 15000);
    QTest::qWait(1000);
    QVERIFY(!m_server.received("http://telmik-brasko.localhost/opened.html"));
}

void TestBarePictures::everyViewRecovers()
{
    openMain();
    WindowRegistry::Show<frmAbout>();
    frmAbout &about = WindowRegistry::window<frmAbout>();
    QTRY_VERIFY_WITH_TIMEOUT(pageOf(&about)->renderProcessPid() > 0, 30000);
    QVERIFY(killRenderer(&about));
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(&about)->url(),
                              QUrl("http://www.brasko.localhost/Msntv/statusexe2.html"), 15000);
    WindowRegistry::Hide<frmAbout>();
    WindowRegistry::Show<frmmain>();
    runLookup(m_window);
    QVERIFY(ScreenWatch(browserOf(m_window)).showsPictureOnWhite(formats[0].colour));
}

QUORVANE_TEST_MAIN(TestBarePictures)
#include "tst_barepictures.moc"
