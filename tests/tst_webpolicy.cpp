// Hostile pages from a loopback server: every way out of the web view is
// refused, while an ordinary page and a bare status picture still show.
#include "support/httpserver.h"
#include "support/testmain.h"
#include "support/webviews.h"
#include "webview/webbrowser.h"
#include "webview/engine/webpolicy.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslKey>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QSslConfiguration selfSignedTls()
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    QFile certificate(QStringLiteral(QUORVANE_TEST_DATA "/selfsigned.crt"));
    QFile key(QStringLiteral(QUORVANE_TEST_DATA "/selfsigned.key"));
    certificate.open(QIODevice::ReadOnly);
    key.open(QIODevice::ReadOnly);
    tls.setLocalCertificate(QSslCertificate(certificate.readAll()));
    tls.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
    return tls;
}

HttpServer::Response page(const QByteArray &body)
{
    return {200, "text/html", "<html><head><title>loading</title></head><body>" + body + "</body></html>"};
}

// Records what would have gone to the system's handlers for a scheme.
class SchemeRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestWebPolicy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void navigationSchemes_data();
    void navigationSchemes();
    void popupsAndNewWindowsAreRefused();
    void otherSchemesNeitherLoadNorReachTheSystem();
    void fileUrlsCannotBeRead();
    void permissionsAreRefused();
    void downloadsAreCancelled();
    void badCertificatesAreRefused();
    void dropsDoNotNavigate();
    void scriptDialogsDoNotHoldTheWindow();
    void pagesSeeNoBridgeIntoTheProgram();
    void ordinaryPageAndBarePictureStillShow();

private:
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.port()).arg(path);
    }
    // Opens the page and waits until its script has set the title.
    QString titleAfterLoading(const QString &path);
    QWebEngineView *view() const { return viewOf(m_browser); }
    void clickViewCentre();

    HttpServer m_server;
    std::unique_ptr<QWidget> m_window;
    WebBrowser *m_browser = nullptr;
};

void TestWebPolicy::initTestCase()
{
    addEngineFlags("--disable-gpu");
    m_server.respond("/blank.html", page("<p>blank</p>"));
    const QByteArray linkStyle = "style='display:block;position:fixed;left:0;top:0;width:100%;height:100%'";
    m_server.respond("/popup.html", page("<a id=a href='/opened-by-link.html' target='_blank' " + linkStyle + ">x</a>"
        "<script>var w = window.open('/opened-by-script.html');"
        "document.title = (w === null) ? 'no window' : 'window';</script>"));
    m_server.respond("/mailto.html", page("<a href='mailto:someone@example.com' " + linkStyle + ">mail</a>"
                                          "<script>document.title='ready'</script>"));
    m_server.respond("/custom.html", page("<a href='quorvane-test:payload' " + linkStyle + ">custom</a>"
                                          "<script>document.title='ready'</script>"));
    m_server.respond("/file.html", page("<script>fetch('file:///etc/hostname')"
        ".then(function () { document.title = 'read'; })"
        ".catch(function () { document.title = 'refused'; });</script>"));
    m_server.respond("/permissions.html", page(R"(<script>
        var results = [];
        function note(what) { results.push(what); if (results.length == 3) document.title = results.sort().join(','); }
        navigator.geolocation.getCurrentPosition(function () { note('geo:granted'); },
                                                 function () { note('geo:refused'); });
        navigator.mediaDevices.getUserMedia({audio: true, video: true})
            .then(function () { note('media:granted'); }, function () { note('media:refused'); });
        Notification.requestPermission().then(function (p) { note('notify:' + (p == 'granted' ? 'granted' : 'refused')); });
        </script>)"));
    m_server.respond("/download.bin", {200, "application/octet-stream", QByteArray(4096, 'x'),
                                       "Content-Disposition: attachment; filename=\"payload.bin\"\r\n"});
    m_server.respond("/dialogs.html", page("<script>alert('hold'); confirm('hold?'); prompt('hold!');"
                                           "document.title = 'went on';</script>"));
    m_server.respond("/bridge.html", page("<script>document.title = typeof qt + ',' + typeof QWebChannel;</script>"));
    m_server.respond("/picture.png", {200, "image/png", HttpServer::statusPicture()});
}

void TestWebPolicy::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(300, 200);
    m_browser = new WebBrowser(url("/blank.html"), m_window.get());
    m_browser->setGeometry(0, 0, 300, 200);
    m_window->show();
    QVERIFY(view());
    QTRY_VERIFY_WITH_TIMEOUT(m_server.received("/blank.html"), 30000);
}

void TestWebPolicy::cleanup()
{
    m_window.reset();
}

QString TestWebPolicy::titleAfterLoading(const QString &path)
{
    QSignalSpy loaded(m_browser, &WebBrowser::loadFinished);
    m_browser->Navigate(url(path));
    if (!loaded.wait(15000))
        return QStringLiteral("(not loaded)");
    for (int wait = 0; wait < 100 && shownTitle(view()->page()) == QLatin1String("loading"); ++wait)
        QTest::qWait(50);
    return shownTitle(view()->page());
}

void TestWebPolicy::clickViewCentre()
{
    QWidget *surface = view()->focusProxy();
    QVERIFY(surface);
    QTest::mouseClick(surface, Qt::LeftButton, {}, surface->rect().center());
}

void TestWebPolicy::navigationSchemes_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("mainFrame");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("http") << "http://osi.status-b.example:8080/msn/a@b" << true << true;
    QTest::newRow("https") << "https://telmik-brasko.localhost/" << true << true;
    QTest::newRow("upper-case scheme") << "HTTP://host.example/" << true << true;
    QTest::newRow("file") << "file:///etc/passwd" << true << false;
    QTest::newRow("mailto") << "mailto:someone@example.com" << true << false;
    QTest::newRow("custom") << "quorvane-test:payload" << true << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << true << false;
    QTest::newRow("data") << "data:text/html,<b>x</b>" << true << false;
    QTest::newRow("about, main frame") << "about:blank" << true << false;
    QTest::newRow("about, sub-frame") << "about:blank" << false << true;
    QTest::newRow("file, sub-frame") << "file:///etc/passwd" << false << false;
}

void TestWebPolicy::navigationSchemes()
{
    QFETCH(QString, address);
    QFETCH(bool, mainFrame);
    QFETCH(bool, allowed);
    QCOMPARE(WebPolicy::allowsNavigation(QUrl(address), mainFrame), allowed);
}

void TestWebPolicy::popupsAndNewWindowsAreRefused()
{
    const int windows = QApplication::topLevelWidgets().size();
    QCOMPARE(titleAfterLoading("/popup.html"), "no window");
    clickViewCentre(); // a user's click on a link that opens a new window
    QTest::qWait(1000);
    QVERIFY(!m_server.received("/opened-by-script.html"));
    QVERIFY(!m_server.received("/opened-by-link.html"));
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QCOMPARE(m_browser->currentAddress(), QUrl(url("/popup.html")));
}

void TestWebPolicy::otherSchemesNeitherLoadNorReachTheSystem()
{
    SchemeRecorder system;
    QDesktopServices::setUrlHandler("mailto", &system, "open");
    QDesktopServices::setUrlHandler("quorvane-test", &system, "open");
    QDesktopServices::setUrlHandler("file", &system, "open");
    for (const char *path : {"/mailto.html", "/custom.html"}) {
        QCOMPARE(titleAfterLoading(path), "ready");
        clickViewCentre();
        QTest::qWait(700);
        QCOMPARE(m_browser->currentAddress(), QUrl(url(path)));
    }
    m_browser->Navigate("file:///etc/hostname");
    m_browser->Navigate("quorvane-test:direct");
    QTest::qWait(700);
    QCOMPARE(m_browser->currentAddress(), QUrl(url("/custom.html")));
    QDesktopServices::unsetUrlHandler("mailto");
    QDesktopServices::unsetUrlHandler("quorvane-test");
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(system.opened, QList<QUrl>());
}

void TestWebPolicy::fileUrlsCannotBeRead()
{
    QCOMPARE(titleAfterLoading("/file.html"), "refused");
    const QWebEngineSettings *settings = view()->page()->settings();
    QVERIFY(!settings->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
    QVERIFY(!settings->testAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls));
}

void TestWebPolicy::permissionsAreRefused()
{
    QSignalSpy asked(view()->page(), &QWebEnginePage::featurePermissionRequested);
    QCOMPARE(titleAfterLoading("/permissions.html"), "geo:refused,media:refused,notify:refused");
    QVERIFY(asked.count() >= 1);
}

void TestWebPolicy::downloadsAreCancelled()
{
    QSignalSpy downloads(view()->page()->profile(), &QWebEngineProfile::downloadRequested);
    m_browser->Navigate(url("/download.bin"));
    QTRY_COMPARE_WITH_TIMEOUT(downloads.count(), 1, 15000);
    auto *download = downloads.first().first().value<QWebEngineDownloadRequest *>();
    QTRY_COMPARE_WITH_TIMEOUT(download->state(), QWebEngineDownloadRequest::DownloadCancelled, 5000);
    QVERIFY(!QFile::exists(download->downloadDirectory() + "/" + download->downloadFileName())
            || download->downloadDirectory().isEmpty());
}

void TestWebPolicy::badCertificatesAreRefused()
{
    HttpServer secure(selfSignedTls());
    secure.respond("/secret.html", page("<script>document.title='secret'</script>"));
    QSignalSpy errors(view()->page(), &QWebEnginePage::certificateError);
    QSignalSpy loaded(m_browser, &WebBrowser::loadFinished);
    m_browser->Navigate(QStringLiteral("https://127.0.0.1:%1/secret.html").arg(secure.port()));
    QTRY_VERIFY_WITH_TIMEOUT(errors.count() >= 1, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 15000);
    QVERIFY(!secure.received("/secret.html"));
    QVERIFY(shownTitle(view()->page()) != "secret");
}

void TestWebPolicy::dropsDoNotNavigate()
{
    QCOMPARE(titleAfterLoading("/bridge.html").isEmpty(), false);
    QWidget *surface = view()->focusProxy();
    QMimeData links;
    links.setUrls({QUrl(url("/dropped.html")), QUrl("file:///etc/hostname")});
    const QPoint at = surface->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::LinkAction, &links, Qt::LeftButton, {});
    QApplication::sendEvent(surface, &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::LinkAction, &links, Qt::LeftButton, {});
    QApplication::sendEvent(surface, &drop);
    QTest::qWait(1000);
    QVERIFY(!m_server.received("/dropped.html"));
    QCOMPARE(m_browser->currentAddress(), QUrl(url("/bridge.html")));
}

void TestWebPolicy::scriptDialogsDoNotHoldTheWindow()
{
    QCOMPARE(titleAfterLoading("/dialogs.html"), "went on");
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestWebPolicy::pagesSeeNoBridgeIntoTheProgram()
{
    QCOMPARE(titleAfterLoading("/bridge.html"), "undefined,undefined");
    QCOMPARE(view()->page()->webChannel(), nullptr);
}

void TestWebPolicy::ordinaryPageAndBarePictureStillShow()
{
    QCOMPARE(titleAfterLoading("/bridge.html"), "undefined,undefined");
    QSignalSpy loaded(m_browser, &WebBrowser::loadFinished);
    m_browser->Navigate(url("/picture.png"));
    QVERIFY(loaded.wait(15000));
    QCOMPARE(loaded.first().first().toBool(), true);
    auto pixel = [this](QPoint at) { return m_browser->grab().toImage().pixel(at); };
    QTRY_VERIFY_WITH_TIMEOUT(qGreen(pixel({5, 5})) > 120 && qRed(pixel({5, 5})) < 60, 10000);
    QCOMPARE(pixel({150, 100}), qRgb(255, 255, 255));
}

QUORVANE_TEST_MAIN(TestWebPolicy)
#include "tst_webpolicy.moc"
