// End to end with the real web engine: the start page and a lookup reach a
// loopback HTTP server that stands in for every host (it is the engine's
// proxy, so it sees whole addresses).
#include "app/windowregistry.h"
#include "support/httpserver.h"
#include "support/recorders.h"
#include "support/testmain.h"
#include "support/lookups.h"
#include "support/webviews.h"
#include "webview/webbrowser.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/frmabout.h"
#include "windows/frmmain.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QQuickWindow>
#include <QWebEnginePage>
#include <QElapsedTimer>
#include <QLineEdit>

class TestWebView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startPageIsRequestedAtCreation();
    void beginLookupSendsTheComposedAddressAndShowsThePicture();
    void typedSpacesAreLeftToTheBrowserToEncode();
    void ordinaryPageKeepsItsOwnLook();
    void nothingIsWrittenUnderTheUsersFolders();
    void icqAndIrcWindowsLoadTheirPagesAndLookUp_data();
    void icqAndIrcWindowsLoadTheirPagesAndLookUp();
    void aboutLoadsItsStatusPageOnce();
    void windowIsOnScreenBeforeItsViewIsMade();
    void workDoneBeforeTheViewArrivesIsKept();
    void engineDrawsInSoftwareAndAllViewsShareOneRenderer();

private:
    WebBrowser *browser() const { return m_window->findChild<WebBrowser *>("WebBrowser1"); }
    QRgb pixelOfView(QPoint at) const { return browser()->grab().toImage().pixel(at); }

    HttpServer m_server;
    std::unique_ptr<EndRecorder> m_end;
    std::unique_ptr<WindowRegistry> m_registry;
    frmmain *m_window = nullptr;
};

void TestWebView::initTestCase()
{
    QVERIFY(m_server.port() != 0);
    m_server.becomeEngineProxy();
    m_server.respond("/Msntv/msnexe6.html",
                     {200, "text/html", "<html><body style='background:#c00000'>start</body></html>"});
    m_server.respond(":6969/msn/@hotmail.com", {200, "image/png", HttpServer::statusPicture()});
}

void TestWebView::init()
{
    m_end = std::make_unique<EndRecorder>();
    m_registry = std::make_unique<WindowRegistry>();
    WindowRegistry::Show<frmmain>();
    m_window = &WindowRegistry::window<frmmain>();
}

void TestWebView::cleanup()
{
    m_registry.reset();
    m_end.reset();
}

void TestWebView::startPageIsRequestedAtCreation()
{
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received("http://telmik-brasko.localhost/Msntv/msnexe6.html"),
                             30000);
}

void TestWebView::beginLookupSendsTheComposedAddressAndShowsThePicture()
{
    const QString address = "http://telmik-brasko.localhost:6969/msn/@hotmail.com";
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(m_window->findChild<QWidget *>("Label5"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received(address), 15000);
    QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(browser()->currentAddress(), QUrl(address), 10000);

    // A bare status picture sits at the top-left on white.
    QTRY_VERIFY_WITH_TIMEOUT(qGreen(pixelOfView({5, 5})) > 120 && qRed(pixelOfView({5, 5})) < 60
                                 && pixelOfView({100, 40}) == qRgb(255, 255, 255)
                                 && pixelOfView({5, 40}) == qRgb(255, 255, 255),
                             10000);
}

void TestWebView::typedSpacesAreLeftToTheBrowserToEncode()
{
    auto *account = m_window->findChild<QLineEdit *>("Text1");
    account->setText("a b@");
    QTest::mouseClick(m_window->findChild<QWidget *>("Label5"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(
        m_server.received("http://telmik-brasko.localhost:6969/msn/a%20b@hotmail.com"), 15000);
}

void TestWebView::ordinaryPageKeepsItsOwnLook()
{
    QTRY_VERIFY_WITH_TIMEOUT(qRed(pixelOfView({100, 40})) > 180 && qGreen(pixelOfView({100, 40})) < 40,
                             30000);
}

void TestWebView::nothingIsWrittenUnderTheUsersFolders()
{
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received("http://telmik-brasko.localhost/Msntv/msnexe6.html"),
                             30000);
    for (const char *variable : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
        const QDir folder(qEnvironmentVariable(variable));
        QVERIFY(!folder.path().isEmpty());
        const QStringList written = folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QVERIFY2(!written.contains("Quorvane") && !written.contains("QtProject")
                     && !written.contains("qtshadercache")
                     && !written.contains("mesa_shader_cache"),
                 qPrintable(variable + (": " + written.join(", "))));
    }
}

void TestWebView::icqAndIrcWindowsLoadTheirPagesAndLookUp_data()
{
    QTest::addColumn<bool>("irc");
    QTest::addColumn<QString>("startPage");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("address");
    QTest::newRow("ICQ") << false << "http://telmik-brasko.localhost/Msntv/msnexe2.html" << "12345678"
                         << "http://telmik-brasko.localhost:6969/icq/12345678";
    QTest::newRow("IRC") << true << "http://telmik-brasko.localhost/Msntv/msnexe4.html"
                         << "nick@irc.example.net" << "http://telmik-brasko.localhost:6969/irc/nick@irc.example.net";
}

void TestWebView::icqAndIrcWindowsLoadTheirPagesAndLookUp()
{
    QFETCH(bool, irc);
    QFETCH(QString, startPage);
    QFETCH(QString, account);
    QFETCH(QString, address);
    QWidget *window = nullptr;
    if (irc) {
        WindowRegistry::Show<Form2>();
        window = &WindowRegistry::window<Form2>();
    } else {
        WindowRegistry::Show<Form1>();
        window = &WindowRegistry::window<Form1>();
    }
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received(startPage), 30000);
    QTest::keyClicks(window->findChild<QWidget *>("Text1"), account);
    QTest::mouseClick(window->findChild<QWidget *>("Label6"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received(address), 15000);
}

void TestWebView::aboutLoadsItsStatusPageOnce()
{
    const QString page = "http://www.brasko.localhost/Msntv/statusexe2.html";
    WindowRegistry::Show<frmAbout>();
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received(page), 30000);
    WindowRegistry::Hide<frmAbout>();
    WindowRegistry::Show<frmAbout>();
    QTest::qWait(1500);
    QCOMPARE(m_server.targets().count(page), 1);
}

namespace {

// Notes whether the window's web view had its engine view when the window
// first came on screen.
class FirstExposure : public QObject
{
public:
    explicit FirstExposure(QWidget *window) : m_window(window) { window->windowHandle()->installEventFilter(this); }
    bool seen = false;
    bool hadView = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !seen && m_window->windowHandle()->isExposed()) {
            seen = true;
            hadView = m_window->findChild<WebBrowser *>()->view() != nullptr;
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

void TestWebView::windowIsOnScreenBeforeItsViewIsMade()
{
    WindowRegistry::Show<Form1>();
    auto *window = &WindowRegistry::window<Form1>();
    FirstExposure exposure(window);
    QTRY_VERIFY_WITH_TIMEOUT(exposure.seen, 10000);
    QVERIFY(!exposure.hadView);
    // Then at once the view, on its start page.
    QVERIFY(viewOf(window));
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received("http://telmik-brasko.localhost/Msntv/msnexe2.html"), 30000);
}

void TestWebView::workDoneBeforeTheViewArrivesIsKept()
{
    // Typing and a whole lookup before the event loop has run once: the
    // window is not on screen yet, so its view is not made either.
    WindowRegistry::Show<Form2>();
    auto *window = &WindowRegistry::window<Form2>();
    QTest::keyClicks(window->findChild<QWidget *>("Text1"), "nick@irc.example.net");
    QVERIFY(!window->findChild<WebBrowser *>()->view());
    runLookup(window);
    QVERIFY(!window->findChild<WebBrowser *>()->view());

    const QString address = "http://telmik-brasko.localhost:6969/irc/nick@irc.example.net";
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received(address), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(pageOf(window)->url(), QUrl(address), 10000);
    QTest::qWait(500);
    QCOMPARE(pageOf(window)->url(), QUrl(address));
}

namespace {

// The web engine's renderer processes among this process's descendants.
int rendererProcesses()
{
    QHash<qint64, qint64> parentOf;
    QHash<qint64, QByteArray> commandOf;
    QDirIterator processes("/proc", QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        const QString folder = processes.next();
        bool isProcess = false;
        const qint64 pid = QFileInfo(folder).fileName().toLongLong(&isProcess);
        QFile stat(folder + "/stat");
        QFile commandLine(folder + "/cmdline");
        if (!isProcess || !stat.open(QIODevice::ReadOnly) || !commandLine.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces, so read after ')'.
        const QByteArray fields = stat.readAll();
        parentOf[pid] = fields.mid(fields.lastIndexOf(')') + 2).split(' ').value(1).toLongLong();
        commandOf[pid] = commandLine.readAll();
    }
    const qint64 self = QCoreApplication::applicationPid();
    int renderers = 0;
    // Renderers are forked from the engine's zygote without a new command
    // line: a zygote's child is a renderer.
    const auto isRenderer = [&](qint64 pid) {
        return commandOf.value(pid).contains("--type=renderer")
               || (commandOf.value(pid).contains("--type=zygote")
                   && commandOf.value(parentOf.value(pid)).contains("--type=zygote"));
    };
    for (auto it = commandOf.cbegin(); it != commandOf.cend(); ++it) {
        if (!isRenderer(it.key()))
            continue;
        for (qint64 ancestor = parentOf.value(it.key()); ancestor > 1; ancestor = parentOf.value(ancestor)) {
            if (ancestor == self) {
                ++renderers;
                break;
            }
        }
    }
    return renderers;
}

} // namespace

void TestWebView::engineDrawsInSoftwareAndAllViewsShareOneRenderer()
{
    QCOMPARE(QQuickWindow::sceneGraphBackend(), "software");
    WindowRegistry::Show<Form1>();
    WindowRegistry::Show<Form2>();
    WindowRegistry::Show<frmAbout>();
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received("http://telmik-brasko.localhost/Msntv/msnexe2.html")
                                 && m_server.received("http://telmik-brasko.localhost/Msntv/msnexe4.html")
                                 && m_server.received("http://www.brasko.localhost/Msntv/statusexe2.html"),
                             30000);
    // A status picture from a server of another name as well.
    browser()->Navigate("http://osi.status-b.example/msn/buddy@hotmail.com");
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received("http://osi.status-b.example/msn/buddy@hotmail.com"), 15000);
    QTest::qWait(1000);
    // Four windows showing pages of three sites: one renderer among them.
    QCOMPARE(rendererProcesses(), 1);
    // The settings reached the engine and went no further: a browser the
    // program starts for the user inherits the environment as it was.
    QVERIFY(!qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--renderer-process-limit"));
    QVERIFY(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--proxy-server"));
    QVERIFY(!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"));
}

QUORVANE_TEST_MAIN(TestWebView)
#include "tst_webview.moc"
