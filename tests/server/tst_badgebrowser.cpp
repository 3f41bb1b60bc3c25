// The badges as a real browser shows them: Chromium, headless, reads a page
// that embeds the server's badges and pictures (the program started as a
// user starts it, beside the test IRC network), in the light and in the dark
// theme; its screenshots must show each badge's status colours, and a second
// visit must revalidate what it kept (the server counts the 304s).
#include "support/httpfetch.h"
#include "support/serverprocess.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray ircPort = QByteArray::number(QUORVANE_TEST_IRC_PORT);

// One badge on the test page, and where it is drawn.
struct Placed
{
    QByteArray path; // the status address, without its query
    QString status;
    int top;
};

// The colours a badge's style gives its parts, light or dark: l the label's
// fill, s the status's.
QHash<QString, QColor> fills(const QByteArray &svg, bool dark)
{
    const QString style = QString::fromUtf8(svg);
    const qsizetype media = style.indexOf(QLatin1String("@media"));
    static const QRegularExpression rule(QStringLiteral("\\.([a-z])\\{fill:(#[0-9a-f]+)\\}"));
    QHash<QString, QColor> found;
    for (auto match = rule.globalMatch(style); match.hasNext();) {
        const QRegularExpressionMatch one = match.next();
        if ((media >= 0 && one.capturedStart() > media) == dark)
            found[one.captured(1)] = QColor(one.captured(2));
    }
    return found;
}

bool near(const QColor &seen, const QColor &wanted)
{
    return qAbs(seen.red() - wanted.red()) <= 6 && qAbs(seen.green() - wanted.green()) <= 6
           && qAbs(seen.blue() - wanted.blue()) <= 6;
}

int badgeWidth(const QByteArray &svg)
{
    static const QRegularExpression width(QStringLiteral("<svg [^>]*width=\"(\\d+)\""));
    return width.match(QString::fromUtf8(svg)).captured(1).toInt();
}

} // namespace

class TestBadgeBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badgesShowTheirStatusColoursLightAndDark_data();
    void badgesShowTheirStatusColoursLightAndDark();
    void aSecondVisitRevalidatesWhatTheBrowserKept();
    void theBadgeSaysItsAnswerInWords();

private:
    QByteArray address(const QByteArray &pathAndQuery) const;
    // Chromium's output for the address with these options, or why it failed.
    QByteArray chromium(const QStringList &options, const QString &address);
    QImage screenshot(bool dark);
    qint64 notModified();

    std::unique_ptr<Server> m_server;
    quint16 m_port = 0;
    QString m_chromium;
    QTemporaryDir m_dir;
    QList<Placed> m_badges;
};

void TestBadgeBrowser::initTestCase()
{
    m_chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (m_chromium.isEmpty())
        QSKIP("chromium is not installed (tools/setup.sh installs it)");
    QVERIFY(m_dir.isValid());
    m_server = std::make_unique<Server>(Server::ircArguments());
    m_port = m_server->port(QStringLiteral("status and pages"));
    QVERIFY2(m_port, qPrintable(m_server->log()));
    m_badges = {{"/irc/" QUORVANE_TEST_IRC_NICK "@127.0.0.1:" + ircPort, QStringLiteral("online"), 10},
                {"/irc/nobody@127.0.0.1:" + ircPort, QStringLiteral("offline"), 40},
                {"/msn/bob@hotmail.com", QStringLiteral("unknown"), 70}};
    // Each badge three ways: alone, following the reader's theme; in a
    // <picture> that picks the dark badge for a dark reader, as the badge
    // page's snippet does; and the status picture.
    QByteArray page = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>html,body{margin:0;background:#808080}"
                      "img{position:absolute}</style></head><body>\n";
    for (const Placed &badge : std::as_const(m_badges)) {
        const QByteArray at = address(badge.path), top = QByteArray::number(badge.top);
        page += "<img style=\"left:10px;top:" + top + "px\" src=\"" + at + "?format=svg\" alt=\"\">\n"
                "<picture><source media=\"(prefers-color-scheme: dark)\" srcset=\"" + at + "?format=svg&amp;theme=dark\">"
                "<img style=\"left:150px;top:" + top + "px\" src=\"" + at + "?format=svg&amp;theme=light\" alt=\"\"></picture>\n"
                "<img style=\"left:290px;top:" + top + "px\" src=\"" + at + "\" alt=\"\">\n";
    }
    QFile file(m_dir.filePath(QStringLiteral("badges.html")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(page + "</body></html>\n");
}

QByteArray TestBadgeBrowser::address(const QByteArray &pathAndQuery) const
{
    return "http://127.0.0.1:" + QByteArray::number(m_port) + pathAndQuery;
}

QByteArray TestBadgeBrowser::chromium(const QStringList &options, const QString &address)
{
    // As root in a container: no sandbox, no GPU; nothing reaches beyond
    // loopback (no QUIC, no background or component updates, no sync).
    QStringList arguments{QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                          QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
                          QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
                          QStringLiteral("--disable-sync"), QStringLiteral("--hide-scrollbars"),
                          QStringLiteral("--user-data-dir=") + m_dir.filePath(QStringLiteral("profile"))};
    QProcess browser;
    browser.setProcessChannelMode(QProcess::SeparateChannels);
    browser.start(m_chromium, arguments + options + QStringList{address});
    if (!browser.waitForFinished(60'000)) {
        browser.kill();
        browser.waitForFinished(5000);
        return "chromium did not finish within 60 s";
    }
    return browser.readAllStandardOutput();
}

QImage TestBadgeBrowser::screenshot(bool dark)
{
    const QString file = m_dir.filePath(dark ? QStringLiteral("dark.png") : QStringLiteral("light.png"));
    QFile::remove(file);
    // Headless Chromium still takes a window's bars off its height: the
    // page's 110 pixels need a taller window.
    QStringList options{QStringLiteral("--window-size=450,300"), QStringLiteral("--virtual-time-budget=5000"),
                        QStringLiteral("--screenshot=") + file};
    if (dark)
        options.append(QStringLiteral("--force-dark-mode"));
    chromium(options, QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("badges.html"))).toString());
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

qint64 TestBadgeBrowser::notModified()
{
    static const QRegularExpression sample(QStringLiteral("\nquorvane_http_not_modified_total (\\d+)\n"));
    return sample.match(QString::fromUtf8(HttpFetch::get(address("/metrics")).body)).captured(1).toLongLong();
}

void TestBadgeBrowser::badgesShowTheirStatusColoursLightAndDark_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light") << false;
    QTest::newRow("dark") << true;
}

void TestBadgeBrowser::badgesShowTheirStatusColoursLightAndDark()
{
    QFETCH(bool, dark);
    const QImage shot = screenshot(dark);
    QVERIFY2(shot.width() >= 400 && shot.height() >= 100, "no screenshot");
    QSet<QRgb> statusColours;
    for (const Placed &badge : std::as_const(m_badges)) {
        const QByteArray svg = HttpFetch::get(address(badge.path + "?format=svg")).body;
        const QHash<QString, QColor> wanted = fills(svg, dark);
        QVERIFY2(wanted.contains("l") && wanted.contains("s"), svg.constData());
        const int width = badgeWidth(svg);
        QVERIFY(width > 40);
        // Above the text, clear of the rounded corners: the label's part at
        // the left, the status's at the right, alone and in the <picture>.
        for (const int left : {10, 150}) {
            const QColor label = shot.pixelColor(left + 5, badge.top + 3);
            const QColor status = shot.pixelColor(left + width - 5, badge.top + 3);
            QVERIFY2(near(label, wanted["l"]), qPrintable(QStringLiteral("%1 at %2: label %3, not %4")
                                                          .arg(badge.status).arg(left).arg(label.name(), wanted["l"].name())));
            QVERIFY2(near(status, wanted["s"]), qPrintable(QStringLiteral("%1 at %2: status %3, not %4")
                                                           .arg(badge.status).arg(left).arg(status.name(), wanted["s"].name())));
            // The badge ends where its width says: the page shows beyond.
            QVERIFY(near(shot.pixelColor(left + width + 2, badge.top + 10), QColor(0x80, 0x80, 0x80)));
        }
        statusColours.insert(wanted["s"].rgb());
        // The status picture, pixel for pixel where it is opaque.
        const QImage picture = QImage::fromData(HttpFetch::get(address(badge.path)).body).convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!picture.isNull());
        for (int y = 0; y < picture.height(); y += 3)
            for (int x = 0; x < picture.width(); x += 3)
                if (qAlpha(picture.pixel(x, y)) == 255)
                    QVERIFY2(near(shot.pixelColor(290 + x, badge.top + y), picture.pixelColor(x, y)),
                             qPrintable(QStringLiteral("%1 picture at %2,%3: %4, not %5")
                                            .arg(badge.status).arg(x).arg(y)
                                            .arg(shot.pixelColor(290 + x, badge.top + y).name(), picture.pixelColor(x, y).name())));
    }
    QCOMPARE(statusColours.size(), m_badges.size());
}

void TestBadgeBrowser::aSecondVisitRevalidatesWhatTheBrowserKept()
{
    // Both screenshots above kept every image in the profile's cache; a
    // third visit asks again for each, with If-None-Match, and the server
    // answers each 304: three badges, three themed badges, three pictures.
    const qint64 before = notModified();
    QVERIFY(!screenshot(false).isNull());
    QCOMPARE(notModified() - before, 9);
    // And what it shows is still the badges.
    const QByteArray svg = HttpFetch::get(address(m_badges.first().path + "?format=svg")).body;
    QVERIFY(near(screenshot(false).pixelColor(10 + badgeWidth(svg) - 5, 13), fills(svg, false)["s"]));
}

void TestBadgeBrowser::theBadgeSaysItsAnswerInWords()
{
    // An <img> of an SVG has no inner DOM: the badge's own address, read as
    // the browser parses it.
    const QByteArray dom = chromium({QStringLiteral("--dump-dom")},
                                    QString::fromLatin1(address("/msn/b%3Co%3Eb@hotmail.com?format=svg")));
    const QByteArray words = "b&lt;o&gt;b@hotmail.com on MSN: unknown, network closed";
    QVERIFY2(dom.startsWith("<svg "), dom.constData());
    QVERIFY(dom.contains("role=\"img\""));
    QVERIFY(dom.contains("aria-label=\"" + words + "\""));
    QVERIFY(dom.contains("<title>" + words + "</title>"));
    QVERIFY(!dom.contains("<o>"));
    const QByteArray online = chromium({QStringLiteral("--dump-dom")},
                                       QString::fromLatin1(address(m_badges.first().path + "?format=svg&theme=dark")));
    QVERIFY2(online.contains("<title>" QUORVANE_TEST_IRC_NICK " on 127.0.0.1:" + ircPort + ": online</title>"), online.constData());
}

QTEST_GUILESS_MAIN(TestBadgeBrowser)
#include "tst_badgebrowser.moc"
