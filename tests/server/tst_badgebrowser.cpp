// The badges as a real browser shows them: headless Chromium reads a page
// that embeds the badges of the program (started as a user starts it,
// beside the test IRC network), light and dark. Its screenshots must show
// each badge's status colours, and a second visit must revalidate what it
// kept (the server counts the 304s).
#include "support/httpfetch.h"
#include "support/serverprocess.h"

#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The fill the badge's style gives a class, light or in its dark media query.
QColor fill(const QByteArray &svg, char part, bool dark)
{
    const qsizetype from = dark ? svg.indexOf("@media") : 0;
    const qsizetype at = svg.indexOf(QByteArray(".") + part + "{fill:", from) + 8;
    return QColor(QString::fromLatin1(svg.mid(at, svg.indexOf('}', at) - at)));
}

bool near(const QColor &seen, const QColor &wanted)
{
    return qAbs(seen.red() - wanted.red()) + qAbs(seen.green() - wanted.green()) + qAbs(seen.blue() - wanted.blue()) <= 12;
}

} // namespace

class TestBadgeBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void eachBadgeShowsItsColours_data();
    void eachBadgeShowsItsColours();
    void aSecondVisitRevalidatesWhatTheBrowserKept();
    void theBadgeSaysItsAnswerInWords();

private:
    QByteArray address(const QByteArray &path) const { return "http://127.0.0.1:" + QByteArray::number(m_port) + path; }
    QByteArray chromium(QStringList options, const QString &address);
    QImage screenshot(bool dark);
    qint64 notModified();

    std::unique_ptr<Server> m_server;
    quint16 m_port = 0;
    QString m_chromium;
    QTemporaryDir m_dir;
    const QList<QByteArray> m_badges{"/irc/" QUORVANE_TEST_IRC_NICK "@127.0.0.1:" + QByteArray::number(QUORVANE_TEST_IRC_PORT),
                                     "/irc/nobody@127.0.0.1:" + QByteArray::number(QUORVANE_TEST_IRC_PORT), "/msn/bob@hotmail.com"};
};

void TestBadgeBrowser::initTestCase()
{
    if ((m_chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"))).isEmpty())
        QSKIP("chromium is not installed (tools/setup.sh installs it)");
    m_server = std::make_unique<Server>(Server::ircArguments());
    QVERIFY2((m_port = m_server->port(QStringLiteral("status and pages"))), qPrintable(m_server->log()));
    // Online, offline, unknown, one row each (30 pixels apart): the badge
    // alone, following the reader's theme; in a <picture> picking the dark
    // badge for a dark reader, as the badge page writes it; the picture.
    QByteArray page = "<!DOCTYPE html><style>body{margin:0;background:#808080}img{position:absolute}</style>\n";
    for (int row = 0; row < m_badges.size(); ++row) {
        const QByteArray at = address(m_badges[row]), top = "top:" + QByteArray::number(10 + 30 * row) + "px";
        page += "<img style=\"left:10px;" + top + "\" src=\"" + at + "?format=svg\"><picture><source media=\"(prefers-"
                "color-scheme: dark)\" srcset=\"" + at + "?format=svg&amp;theme=dark\"><img style=\"left:150px;" + top
                + "\" src=\"" + at + "?format=svg&amp;theme=light\"></picture><img style=\"left:290px;" + top + "\" src=\""
                + at + "\">\n";
    }
    QFile file(m_dir.filePath(QStringLiteral("badges.html")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(page) == page.size());
}

QByteArray TestBadgeBrowser::chromium(QStringList options, const QString &address)
{
    // As root in a container: no sandbox, no GPU; nothing beyond loopback.
    options += QStringLiteral("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                              "--disable-background-networking --disable-component-update --disable-sync "
                              "--hide-scrollbars").split(u' ');
    QProcess browser;
    browser.start(m_chromium, options << QStringLiteral("--user-data-dir=") + m_dir.filePath("profile") << address);
    if (!browser.waitForFinished(60'000))
        browser.kill();
    return browser.readAllStandardOutput();
}

QImage TestBadgeBrowser::screenshot(bool dark)
{
    const QString file = m_dir.filePath(QStringLiteral("shot.png"));
    QFile::remove(file);
    // Headless Chromium still takes a window's bars off its height.
    QStringList options{QStringLiteral("--window-size=450,300"), QStringLiteral("--virtual-time-budget=5000"),
                        QStringLiteral("--screenshot=") + file};
    chromium(dark ? options << QStringLiteral("--force-dark-mode") : options,
             QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("badges.html"))).toString());
    return QImage(file);
}

qint64 TestBadgeBrowser::notModified()
{
    const QByteArray metrics = HttpFetch::get(address("/metrics")).body;
    const qsizetype at = metrics.indexOf("\nquorvane_http_not_modified_total ") + 34;
    return metrics.mid(at, metrics.indexOf('\n', at) - at).toLongLong();
}

void TestBadgeBrowser::eachBadgeShowsItsColours_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

void TestBadgeBrowser::eachBadgeShowsItsColours()
{
    QFETCH(bool, dark);
    const QImage shot = screenshot(dark);
    QVERIFY2(shot.height() >= 100, "no screenshot");
    QSet<QRgb> states;
    for (int row = 0; row < m_badges.size(); ++row) {
        const QByteArray svg = HttpFetch::get(address(m_badges[row] + "?format=svg")).body;
        const int width = svg.mid(svg.indexOf("width=\"") + 7, 4).split('"').first().toInt(), top = 10 + 30 * row;
        // Above the text, clear of the rounded corners; past the badge, the page.
        for (const int left : {10, 150}) {
            const QString where = QStringLiteral("row %1 at %2").arg(row).arg(left);
            QVERIFY2(near(shot.pixelColor(left + 5, top + 3), fill(svg, 'l', dark)), qPrintable(where));
            QVERIFY2(near(shot.pixelColor(left + width - 5, top + 3), fill(svg, 's', dark)), qPrintable(where));
            QVERIFY2(near(shot.pixelColor(left + width + 2, top + 10), QColor(0x80, 0x80, 0x80)), qPrintable(where));
        }
        states.insert(fill(svg, 's', dark).rgb());
        // The picture (22 pixels, opaque), not the page, in the third place.
        QVERIFY(!near(shot.pixelColor(290 + 11, top + 11), QColor(0x80, 0x80, 0x80)));
    }
    QCOMPARE(states.size(), m_badges.size());
}

void TestBadgeBrowser::aSecondVisitRevalidatesWhatTheBrowserKept()
{
    // The light and the dark visit kept each image in the profile's cache;
    // the next visit asks for each again, with If-None-Match, and each is a
    // 304: three badges, three light badges, three pictures.
    const qint64 before = notModified();
    QVERIFY(!screenshot(false).isNull());
    QCOMPARE(notModified() - before, 9);
}

void TestBadgeBrowser::theBadgeSaysItsAnswerInWords()
{
    // An <img> of an SVG has no inner DOM: the badge's own address, as the browser parses it.
    const QByteArray dom = chromium({QStringLiteral("--dump-dom")}, address("/msn/b%3Co%3Eb@hotmail.com?format=svg"));
    const QByteArray words = "b&lt;o&gt;b@hotmail.com on MSN: unknown, network closed";
    QVERIFY2(dom.startsWith("<svg ") && dom.contains(" role=\"img\""), dom.constData());
    QVERIFY(dom.contains(" aria-label=\"" + words + "\"") && dom.contains("<title>" + words + "</title>"));
    QVERIFY(chromium({QStringLiteral("--dump-dom")}, address(m_badges[0] + "?format=svg&theme=dark"))
                .contains("<title>" QUORVANE_TEST_IRC_NICK " on 127.0.0.1:"));
}

QTEST_GUILESS_MAIN(TestBadgeBrowser)
#include "tst_badgebrowser.moc"
