// A web view whose renderer process dies: the program goes on, the view is
// usable at once and looks as it did, and its web content is still held in.
#include "app/windowregistry.h"
#include "support/httpserver.h"
#include "support/lookups.h"
#include "support/recorders.h"
#include "support/testmain.h"
#include "support/webviews.h"
#include "webview/webbrowser.h"
#include "windows/frmabout.h"
#include "windows/frmmain.h"

#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <csignal>

namespace {

const QString startPage = "http://telmik-brasko.localhost/Msntv/msnexe6.html";
const QString statusAddress = "http://telmik-brasko.localhost:6969/msn/@hotmail.com";

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

QRgb pixelOf(QWidget *window, QPoint at)
{
    return window->findChild<WebBrowser *>("WebBrowser1")->grab().toImage().pixel(at);
}

// The status picture at the top-left on white, as before any crash.
bool showsBarePicture(QWidget *window)
{
    const QRgb picture = pixelOf(window, {5, 5});
    return qGreen(picture) > 120 && qRed(picture) < 60 && pixelOf(window, {100, 40}) == qRgb(255, 255, 255)
           && pixelOf(window, {5, 40}) == qRgb(255, 255, 255);
}

} // namespace

class TestRendererCrash : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void nextLookupLooksAsBeforeTheCrash();
    void lookupCountingItsTicksStillNavigates();
    void lostPageShowsTheStartPageAgain();
    void hostilePageIsStillHeldIn();
    void everyViewRecovers();

private:
    HttpServer m_server;
    std::unique_ptr<EndRecorder> m_end;
    std::unique_ptr<ErrorRecorder> m_errors;
    std::unique_ptr<WindowRegistry> m_registry;
    frmmain *m_window = nullptr;
};

void TestRendererCrash::initTestCase()
{
    QVERIFY(m_server.port() != 0);
    m_server.becomeEngineProxy();
    m_server.respond(":6969/msn/@hotmail.com", {200, "image/png", HttpServer::statusPicture()});
    m_server.respond("/popup.html",
                     {200, "text/html",
                      "<html><body><script>document.title = window.open('/opened.html') ? 'opened' "
                      ": 'no window';</script></body></html>"});
}

void TestRendererCrash::init()
{
    m_end = std::make_unique<EndRecorder>();
    m_errors = std::make_unique<ErrorRecorder>();
    m_registry = std::make_unique<WindowRegistry>();
    WindowRegistry::Show<frmmain>();
    m_window = &WindowRegistry::window<frmmain>();
    QTRY_VERIFY_WITH_TIMEOUT(pageOf(m_window)->renderProcessPid() > 0, 30000);
}

void TestRendererCrash::cleanup()
{
    m_registry.reset();
    QVERIFY(m_errors->reports.isEmpty());
    QCOMPARE(m_end->ends, 0);
    m_errors.reset();
    m_end.reset();
}

void TestRendererCrash::nextLookupLooksAsBeforeTheCrash()
{
    QVERIFY(killRenderer(m_window));
    runLookup(m_window);
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(m_window)->url(), QUrl(statusAddress), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(showsBarePicture(m_window), 15000);
}

void TestRendererCrash::lookupCountingItsTicksStillNavigates()
{
    QTest::mouseClick(m_window->findChild<QWidget *>("Label5"), Qt::LeftButton);
    tickLookup(m_window, 5);
    QVERIFY(killRenderer(m_window));
    tickLookup(m_window, ticksToFire - 5);
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(m_window)->url(), QUrl(statusAddress), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(showsBarePicture(m_window), 15000);
}

void TestRendererCrash::lostPageShowsTheStartPageAgain()
{
    QTRY_VERIFY_WITH_TIMEOUT(m_server.targets().count(startPage) >= 1, 30000);
    const int requests = m_server.targets().count(startPage);
    QVERIFY(killRenderer(m_window));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.targets().count(startPage) > requests, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(m_window)->url(), QUrl(startPage), 15000);
    QVERIFY(pageOf(m_window)->renderProcessPid() > 0);
}

void TestRendererCrash::hostilePageIsStillHeldIn()
{
    QVERIFY(killRenderer(m_window));
    QWebEnginePage *page = pageOf(m_window);
    QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
    m_window->findChild<WebBrowser *>("WebBrowser1")->Navigate("http://telmik-brasko.localhost/popup.html");
    QTRY_COMPARE_WITH_TIMEOUT(page->title(), "no window", 15000);
    QTest::qWait(500);
    QVERIFY(!m_server.received("http://telmik-brasko.localhost/opened.html"));
}

void TestRendererCrash::everyViewRecovers()
{
    WindowRegistry::Show<frmAbout>();
    frmAbout &about = WindowRegistry::window<frmAbout>();
    QTRY_VERIFY_WITH_TIMEOUT(pageOf(&about)->renderProcessPid() > 0, 30000);
    QVERIFY(killRenderer(&about));
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(&about)->url(),
                              QUrl("http://www.brasko.localhost/Msntv/statusexe2.html"), 15000);
    WindowRegistry::Show<frmmain>();
    runLookup(m_window);
    QTRY_VERIFY_WITH_TIMEOUT(showsBarePicture(m_window), 15000);
}

QUORVANE_TEST_MAIN(TestRendererCrash)
#include "tst_renderercrash.moc"
