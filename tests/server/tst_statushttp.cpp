// The HTTP side of the server in this process, on loopback ports: the
// pages with their headers, the status addresses in every form, decoded
// once, the closed networks, the badges and their page, revalidation by
// ETag, and the bounds on requests and clients.
#include "support/eventwait.h"
#include "support/httpfetch.h"
#include "support/keepaliveclient.h"
#include "support/loopbackoptions.h"
#include "support/scriptedircserver.h"

#include "assets/picturefiles.h"
#include "http/badgepage.h"
#include "http/statusreply.h"
#include "service/recentanswers.h"
#include "statusserver.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QXmlStreamReader>
#include <cmath>
#include <memory>
#include <vector>

namespace {

QByteArray picture(const QString &name)
{
    QFile file(PictureFiles::path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sends raw bytes on one connection and reads what comes back for the time given.
QByteArray exchange(quint16 port, const QByteArray &request, int forMs)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 2000))
        return "no connection";
    socket.write(request);
    QTest::qWait(forMs);
    return socket.readAll();
}

// Each answer in what came back on one connection.
QByteArrayList split(const QByteArray &answers)
{
    QByteArrayList each;
    for (qsizetype at = answers.indexOf("HTTP/1.1 "), next; at >= 0; at = next) {
        next = answers.indexOf("HTTP/1.1 ", at + 1);
        each.append(answers.mid(at, next < 0 ? -1 : next - at));
    }
    return each;
}

QByteArray headerOf(const QByteArray &answer, const QByteArray &name)
{
    for (const QByteArray &line : answer.left(answer.indexOf("\r\n\r\n")).split('\n'))
        if (line.toLower().startsWith(name.toLower() + ':'))
            return line.mid(name.size() + 1).trimmed();
    return {};
}

// A badge as an XML reader sees it: its elements, how many at the top, its
// title and label, or why it is not well-formed.
struct ReadBadge
{
    QString error, title, label;
    QStringList elements;
    int roots = 0;
};

ReadBadge readBadge(const QByteArray &svg)
{
    ReadBadge badge;
    QXmlStreamReader xml(svg);
    for (int depth = 0; !xml.atEnd();) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        depth += token == QXmlStreamReader::StartElement ? 1 : token == QXmlStreamReader::EndElement ? -1 : 0;
        if (token != QXmlStreamReader::StartElement)
            continue;
        badge.roots += depth == 1 ? 1 : 0;
        badge.elements.append(xml.name().toString());
        if (xml.name() == QLatin1String("svg"))
            badge.label = xml.attributes().value(QStringLiteral("aria-label")).toString();
        if (xml.name() == QLatin1String("title"))
            badge.title = xml.readElementText(), --depth;
    }
    badge.error = xml.hasError() ? xml.errorString() : QString();
    return badge;
}

// The fill a badge's style gives each class: the light rules, or the dark
// media query's.
QHash<QString, QString> fills(const QByteArray &svg, bool dark)
{
    static const QRegularExpression rule(QStringLiteral("\\.([a-z])\\{fill:#([0-9a-f]{6})\\}"));
    const qsizetype media = svg.indexOf("@media");
    QHash<QString, QString> found;
    for (auto match = rule.globalMatch(QString::fromUtf8(svg)); match.hasNext();) {
        const QRegularExpressionMatch one = match.next();
        if ((media >= 0 && one.capturedStart() > media) == dark)
            found[one.captured(1)] = one.captured(2);
    }
    return found;
}

// The WCAG relative luminance of "rrggbb", and the contrast of two colours.
double luminance(const QString &hex)
{
    double sum = 0;
    for (const auto &[at, weight] : {std::pair(0, 0.2126), std::pair(2, 0.7152), std::pair(4, 0.0722)}) {
        const double c = hex.mid(at, 2).toInt(nullptr, 16) / 255.0;
        sum += weight * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return sum;
}

double contrast(const QString &one, const QString &other)
{
    const double a = luminance(one), b = luminance(other);
    return (qMax(a, b) + 0.05) / (qMin(a, b) + 0.05);
}

qint64 notModifiedCount(const QByteArray &metricsUrl)
{
    static const QRegularExpression sample(QStringLiteral("\nquorvane_http_not_modified_total (\\d+)\n"));
    return sample.match(QString::fromUtf8(HttpFetch::get(metricsUrl).body)).captured(1).toLongLong();
}

} // namespace

class TestStatusHttp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void everyPageIsServedWithItsHeaders_data();
    void everyPageIsServedWithItsHeaders();
    void pagesNeedNoScriptAndReachNothingOutside();
    void theStatusPageShowsTheLiveNumbers();
    void theWebPortServesPagesButNoStatus();

    void closedNetworksAnswerUnknownAtOnceInEveryForm_data();
    void closedNetworksAnswerUnknownAtOnceInEveryForm();
    void pictureTextAndJsonAgreeForIrc_data();
    void pictureTextAndJsonAgreeForIrc();
    void iconSetsAnswerWithTheirOwnPictures();
    void theAccountIsDecodedOnceAndJudgedAsDecoded();
    void aLineBreakInAnIdentityNeverReachesTheWire();
    void malformedQueriesAndUnknownPathsAreRefused();

    void aBadgeIsWellFormedWhateverTheAccount_data();
    void aBadgeIsWellFormedWhateverTheAccount();
    void badgeColoursReadAtAaContrastInBothThemes();
    void badgeThemesAndTheShieldsForm();
    void everyFormIsRevalidatedByItsTag_data();
    void everyFormIsRevalidatedByItsTag();
    void theBadgePageWritesEscapedSnippetsOrSaysWhyNot();

    void aBrowserOpeningTheAddressGetsAPageThatSaysTheAnswer();
    void liveAnswersAreKeptForTheDoorsForASecondAndNoMore();
    void headIsAnsweredLikeGetWithoutTheBody();
    void pipelinedRequestsAreAnsweredInOrder();
    void itListensOnEveryAddressAskedForIpv6Too();
    void metricsAreForThisMachineAndAllowedNetworksOnly();
    void behindATrustedProxyEachForwardedClientHasItsOwnLimit();
    void everyThreadsAnswersAreCountedExactly();
    void aServerStoppingAnswersTheRequestsItHolds();

    void theLongestAccountOfAnyNetworkIsAnswered();
    void requestsPastTheSizeBoundAreRefused();
    void aSlowClientIsDisconnected();
    void aLookupInHandHasTheHandlersTimeThenTheClientHasItsOwn();
    void connectionsPastTheBoundAreTurnedAway();

private:
    QByteArray status(const QByteArray &pathAndQuery) const;
    QByteArray web(const QByteArray &pathAndQuery) const;

    ScriptedIrcServer m_irc{ScriptedIrcServer::Behaviour::Answer};
    std::unique_ptr<StatusServer> m_server;
};

void TestStatusHttp::initTestCase()
{
    ServerOptions options = loopbackOptions(m_irc.port());
    options.limits.requestMs = 500;
    options.limits.maxPerClient = 40;
    m_irc.setOnline({"Telmik"});
    m_server = std::make_unique<StatusServer>(options);
    QVERIFY(m_server->start());
    QVERIFY(m_server->statusPort() != 0 && m_server->webPort() != 0);
    QVERIFY(m_server->statusPort() != m_server->webPort());
}

QByteArray TestStatusHttp::status(const QByteArray &pathAndQuery) const
{
    return "http://127.0.0.1:" + QByteArray::number(m_server->statusPort()) + pathAndQuery;
}

QByteArray TestStatusHttp::web(const QByteArray &pathAndQuery) const
{
    return "http://127.0.0.1:" + QByteArray::number(m_server->webPort()) + pathAndQuery;
}

void TestStatusHttp::everyPageIsServedWithItsHeaders_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("type");
    for (const char *page : {"/Msntv/msnexe6.html", "/Msntv/msnexe2.html", "/Msntv/msnexe4.html",
                             "/Msntv/statusexe2.html", "/Msntv/msn2.html", "/Msntv/thanks.html", "/Msntv/"})
        QTest::newRow(page) << QByteArray(page) << QByteArray("text/html; charset=utf-8");
    QTest::newRow("stylesheet") << QByteArray("/Msntv/quorvane.css") << QByteArray("text/css; charset=utf-8");
    QTest::newRow("legend picture") << QByteArray("/Msntv/pictures/legend3-online.png") << QByteArray("image/png");
}

void TestStatusHttp::everyPageIsServedWithItsHeaders()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, type);
    for (const QByteArray &url : {web(path), status(path)}) {
        const HttpFetch page = HttpFetch::get(url);
        QCOMPARE(page.status, 200);
        QCOMPARE(page.header("Content-Type"), type);
        QCOMPARE(page.header("X-Content-Type-Options"), QByteArray("nosniff"));
        if (type.startsWith("text/html")) {
            const QByteArray policy = page.header("Content-Security-Policy");
            QVERIFY(policy.startsWith("default-src 'none';"));
            QVERIFY(!policy.contains("script"));
            QVERIFY(!page.body.contains("{{")); // every placeholder filled
        }
    }
}

void TestStatusHttp::pagesNeedNoScriptAndReachNothingOutside()
{
    for (const char *path : {"/Msntv/msnexe6.html", "/Msntv/msnexe2.html", "/Msntv/msnexe4.html",
                             "/Msntv/statusexe2.html", "/Msntv/msn2.html", "/Msntv/thanks.html", "/Msntv/"}) {
        const QByteArray body = HttpFetch::get(web(path)).body.toLower();
        QVERIFY2(!body.contains("<script") && !body.contains("javascript:"), path);
        QVERIFY2(!QString::fromUtf8(body).contains(QRegularExpression(QStringLiteral("\\son[a-z]+\\s*="))), path);
        QVERIFY2(!body.contains("http://") && !body.contains("https://"), path);
    }
    // The legend shows every picture it names, and they are served.
    const QByteArray legend = HttpFetch::get(web("/Msntv/")).body;
    QCOMPARE(legend.count("<img "), 5 * 3 * 5 + 4 * 5); // Jabber with away besides, in the default and 4 sets
    QCOMPARE(HttpFetch::get(web("/Msntv/pictures/legend6-away.png")).body, picture(QStringLiteral("legend6-away")));
    const HttpFetch set4 = HttpFetch::get(web("/Msntv/pictures/set4-yahoo-unknown.png"));
    QCOMPARE(set4.body, picture(QStringLiteral("set4-yahoo-unknown")));
    QCOMPARE(HttpFetch::get(web("/Msntv/pictures/background.png")).status, 404); // only status pictures
}

void TestStatusHttp::theStatusPageShowsTheLiveNumbers()
{
    const QByteArray before = HttpFetch::get(web("/Msntv/statusexe2.html")).body;
    QVERIFY(before.contains("ICQ 0") || before.contains("ICQ "));
    const int icqBefore = before.mid(before.indexOf("ICQ ") + 4).split(',').value(0).toInt();
    HttpFetch::get(status("/icq/12345678?format=text"));
    HttpFetch::get(status("/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port()) + "?format=text"));
    HttpFetch::get(status("/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port()) + "?format=text"));
    const HttpFetch page = HttpFetch::get(web("/Msntv/statusexe2.html"));
    QCOMPARE(page.header("Cache-Control"), QByteArray("no-cache"));
    QVERIFY(page.body.contains("ICQ " + QByteArray::number(icqBefore + 1)));
    QVERIFY(page.body.contains("<td>127.0.0.1:" + QByteArray::number(m_irc.port()) + "</td><td>connected</td><td>ISON</td><td>0</td>"));
    QVERIFY(page.body.contains("from cache: ") && !page.body.contains("from cache: 0."));
    QVERIFY(page.body.contains(" up "));
}

void TestStatusHttp::theWebPortServesPagesButNoStatus()
{
    QCOMPARE(HttpFetch::get(web("/msn/bob@hotmail.com")).status, 404);
    QCOMPARE(HttpFetch::get(status("/msn/bob@hotmail.com")).status, 200);
    const HttpFetch root = HttpFetch::get(web("/"));
    QCOMPARE(root.status, 200); // the redirect to the legend, followed
    QVERIFY(root.body.contains("status pictures"));
}

void TestStatusHttp::closedNetworksAnswerUnknownAtOnceInEveryForm_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("medium");
    QTest::addColumn<QString>("account");
    QTest::newRow("msn") << QByteArray("/msn/bob@hotmail.com") << "msn" << "bob@hotmail.com";
    QTest::newRow("aim") << QByteArray("/aim/bob@aol.com") << "aim" << "bob@aol.com";
    QTest::newRow("yahoo, no domain") << QByteArray("/yahoo/bob") << "yahoo" << "bob";
    QTest::newRow("icq") << QByteArray("/icq/12345678") << "icq" << "12345678";
    QTest::newRow("msn, start values") << QByteArray("/msn/@hotmail.com") << "msn" << "@hotmail.com";
    QTest::newRow("icq, nothing typed") << QByteArray("/icq/") << "icq" << "";
}

void TestStatusHttp::closedNetworksAnswerUnknownAtOnceInEveryForm()
{
    QFETCH(QByteArray, path);
    QFETCH(QString, medium);
    QFETCH(QString, account);
    const HttpFetch png = HttpFetch::get(status(path));
    QCOMPARE(png.status, 200);
    QCOMPARE(png.header("Content-Type"), QByteArray("image/png"));
    QCOMPARE(png.header("Cache-Control"), QByteArray("no-cache"));
    QCOMPARE(png.header("X-Content-Type-Options"), QByteArray("nosniff"));
    QCOMPARE(png.body, picture(QStringLiteral("unknown")));
    QVERIFY(png.elapsedMs < 1000);
    const HttpFetch text = HttpFetch::get(status(path + "?format=text"));
    QCOMPARE(text.body, QByteArray("unknown\n"));
    QCOMPARE(text.header("Content-Type"), QByteArray("text/plain; charset=utf-8"));
    const HttpFetch json = HttpFetch::get(status(path + "?format=json"));
    QCOMPARE(json.header("Content-Type"), QByteArray("application/json"));
    QCOMPARE(json.header("Cache-Control"), QByteArray("no-cache"));
    const QJsonObject object = QJsonDocument::fromJson(json.body).object();
    QCOMPARE(object.value("medium").toString(), medium);
    QCOMPARE(object.value("account").toString(), account);
    QCOMPARE(object.value("status").toString(), QStringLiteral("unknown"));
    QCOMPARE(object.value("reason").toString(), Reasons::wording(Reason::NetworkClosed));
    const QDateTime checked = QDateTime::fromString(object.value("checked").toString(), Qt::ISODate);
    QVERIFY(checked.isValid() && checked.timeSpec() == Qt::UTC);
    QVERIFY(qAbs(checked.secsTo(QDateTime::currentDateTimeUtc())) < 5);
}

void TestStatusHttp::pictureTextAndJsonAgreeForIrc_data()
{
    QTest::addColumn<QByteArray>("nick");
    QTest::addColumn<QString>("state");
    QTest::newRow("online") << QByteArray("Telmik") << "online";
    QTest::newRow("offline") << QByteArray("Brasko") << "offline";
    QTest::newRow("invalid") << QByteArray("9lives") << "unknown";
}

void TestStatusHttp::pictureTextAndJsonAgreeForIrc()
{
    QFETCH(QByteArray, nick);
    QFETCH(QString, state);
    const QByteArray path = "/irc/" + nick + "@127.0.0.1:" + QByteArray::number(m_irc.port());
    const QByteArray png = HttpFetch::get(status(path)).body;
    const QByteArray text = HttpFetch::get(status(path + "?format=text")).body;
    const QJsonObject json = QJsonDocument::fromJson(HttpFetch::get(status(path + "?format=json")).body).object();
    QCOMPARE(text, state.toUtf8() + '\n');
    QCOMPARE(json.value("status").toString(), state);
    QCOMPARE(json.value("medium").toString(), QStringLiteral("irc"));
    QCOMPARE(png, picture(state == QLatin1String("unknown") ? QStringLiteral("unknown") : "legend3-" + state));
    QCOMPARE(json.value("reason").isNull(), state != QLatin1String("unknown"));
    if (state == QLatin1String("unknown"))
        QCOMPARE(json.value("reason").toString(), Reasons::wording(Reason::NotAnIrcIdentity));
}

void TestStatusHttp::iconSetsAnswerWithTheirOwnPictures()
{
    const QByteArray irc = "/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port());
    QList<QByteArray> seen;
    for (int set = 1; set <= 4; ++set) {
        const QByteArray number = QByteArray::number(set);
        const QByteArray online = HttpFetch::get(status(irc + "?set=" + number)).body;
        const QByteArray closed = HttpFetch::get(status("/yahoo/bob?set=" + number)).body;
        QCOMPARE(online, picture("set" + QString::number(set) + "-irc-online"));
        QCOMPARE(closed, picture("set" + QString::number(set) + "-yahoo-unknown"));
        QVERIFY(!seen.contains(online));
        seen.append(online);
    }
    QCOMPARE(HttpFetch::get(status("/yahoo/bob?set=5")).status, 400);
    QCOMPARE(HttpFetch::get(status("/yahoo/bob?set=0")).status, 400);
}

void TestStatusHttp::theAccountIsDecodedOnceAndJudgedAsDecoded()
{
    // Spaces, non-Latin text, an encoded slash and an encoded percent sign.
    const HttpFetch json = HttpFetch::get(status("/msn/a%20b%2Fc%2541%D0%96@hotmail.com?format=json"));
    QCOMPARE(QJsonDocument::fromJson(json.body).object().value("account").toString(),
             QStringLiteral("a b/c%41\u0416@hotmail.com"));
    // "%2540" decodes once to "%40", not to "@": no identity.
    const QByteArray port = QByteArray::number(m_irc.port());
    const HttpFetch once = HttpFetch::get(status("/irc/Telmik%2540127.0.0.1:" + port + "?format=json"));
    QCOMPARE(QJsonDocument::fromJson(once.body).object().value("reason").toString(),
             Reasons::wording(Reason::NotAnIrcIdentity));
    const HttpFetch encoded = HttpFetch::get(status("/irc/Telmik%40127.0.0.1%3A" + port + "?format=text"));
    QCOMPARE(encoded.body, QByteArray("online\n"));
}

void TestStatusHttp::aLineBreakInAnIdentityNeverReachesTheWire()
{
    const QByteArray port = QByteArray::number(m_irc.port());
    const qsizetype before = m_irc.bytes().size();
    for (const QByteArray &account : {QByteArray("Telmik%0D%0AJOIN%20%23x@127.0.0.1:") + port,
                                      QByteArray("Telmik@127.0.0.1:") + port + "%0D%0A",
                                      QByteArray("Tel%0Amik@127.0.0.1:") + port,
                                      QByteArray("Tel%00mik@127.0.0.1:") + port,
                                      QByteArray("Tel%2Cmik@127.0.0.1:") + port}) {
        const QJsonObject json = QJsonDocument::fromJson(HttpFetch::get(status("/irc/" + account + "?format=json")).body).object();
        QCOMPARE(json.value("reason").toString(), Reasons::wording(Reason::NotAnIrcIdentity));
    }
    QTest::qWait(100);
    QCOMPARE(m_irc.bytes().mid(before), QByteArray());
    QVERIFY(!m_irc.bytes().contains("JOIN"));
}

void TestStatusHttp::malformedQueriesAndUnknownPathsAreRefused()
{
    QCOMPARE(HttpFetch::get(status("/msn/bob?format=xml")).status, 400);
    QCOMPARE(HttpFetch::get(status("/gadu/bob@example.org")).status, 404);
    QCOMPARE(HttpFetch::get(status("/msn")).status, 404);
    QCOMPARE(HttpFetch::get(status("/Msntv/nothing.html")).status, 404);
    const HttpFetch missing = HttpFetch::get(status("/Msntv/../../etc/passwd"));
    QCOMPARE(missing.status, 404);
    QCOMPARE(missing.header("X-Content-Type-Options"), QByteArray("nosniff"));
}

void TestStatusHttp::aBadgeIsWellFormedWhateverTheAccount_data()
{
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QString>("shown"); // in the badge's words
    QTest::newRow("quotes") << QByteArray("a%22b'c") << "a\"b'c";
    QTest::newRow("markup") << QByteArray("%3C/title%3E%3Cscript%3E") << "</title><script>";
    QTest::newRow("out of the svg") << QByteArray("%22%3E%3C/svg%3E%3Csvg%20onload=%22x") << "\"></svg><svg onload=\"x";
    QTest::newRow("entities, CDATA end") << QByteArray("%26amp;%26%23x41;]]%3E") << "&amp;&#x41;]]>";
    QTest::newRow("controls") << QByteArray("a%01%0B%0D%0A%09%7F%C2%85b") << QString("a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDb");
    QTest::newRow("300 letters") << QByteArray(300, 'x') << QString(23, 'x') + u'\u2026';
    QTest::newRow("300 quotes") << QByteArray("%22").repeated(300) << QString(23, '"') + u'\u2026';
    QTest::newRow("a pair not cut") << "%26%26" + QByteArray("%F0%9F%98%80").repeated(150)
                                    << "&&" + QString::fromUtf8("\U0001F600").repeated(10) + u'\u2026';
}

void TestStatusHttp::aBadgeIsWellFormedWhateverTheAccount()
{
    QFETCH(QByteArray, encoded);
    QFETCH(QString, shown);
    for (const QByteArray &theme : {QByteArray(), QByteArray("&theme=light"), QByteArray("&theme=dark")}) {
        const HttpFetch svg = HttpFetch::get(status("/msn/" + encoded + "?format=svg" + theme));
        QCOMPARE(svg.header("Content-Type"), QByteArray("image/svg+xml"));
        QCOMPARE(svg.header("Content-Security-Policy"), QByteArray("default-src 'none'; style-src 'unsafe-inline'"));
        QVERIFY2(svg.body.size() <= 1024, qPrintable(QString::number(svg.body.size())));
        const ReadBadge badge = readBadge(svg.body);
        QVERIFY2(badge.error.isEmpty(), qPrintable(badge.error + '\n' + svg.body));
        // One root and the badge's own elements: nothing the account brought.
        QCOMPARE(badge.roots, 1);
        QCOMPARE(badge.elements, QStringList({"svg", "title", "style", "rect", "rect", "rect", "g", "text", "text"}));
        QVERIFY(!svg.body.contains("<script") && !svg.body.contains("href") && !svg.body.contains("url("));
        QCOMPARE(badge.title, shown + QStringLiteral(" on MSN: unknown, network closed"));
        QCOMPARE(badge.label, badge.title);
    }
}

void TestStatusHttp::badgeColoursReadAtAaContrastInBothThemes()
{
    QHash<QString, QString> light, dark; // each state's fill
    for (const Presence::Status state : {Presence::Online, Presence::Away, Presence::Offline, Presence::Unknown}) {
        const StatusAnswer answer{"jabber", "a@b.example", Presence::known(state), {}};
        const QByteArray both = StatusBadge::svg(answer, StatusBadge::Theme::Both);
        // A forced theme has the colours of that half of the reader's.
        QCOMPARE(fills(StatusBadge::svg(answer, StatusBadge::Theme::Light), false), fills(both, false));
        QCOMPARE(fills(StatusBadge::svg(answer, StatusBadge::Theme::Dark), false), fills(both, true));
        for (const bool inDark : {false, true}) {
            const QHash<QString, QString> fill = fills(both, inDark);
            QVERIFY(contrast(fill["l"], fill["t"]) >= 4.5); // the label
            QVERIFY2(contrast(fill["s"], fill["u"]) >= 4.5, qPrintable(fill["s"] + ' ' + fill["u"]));
            (inDark ? dark : light)[Presence::statusName(state)] = fill["s"];
        }
    }
    for (const QHash<QString, QString> &fill : {light, dark}) {
        const auto channel = [&](const char *state, int i) { return fill[state].mid(i * 2, 2).toInt(nullptr, 16); };
        QVERIFY(channel("online", 1) > channel("online", 0) + 50 && channel("online", 1) > channel("online", 2) + 50);
        QVERIFY(channel("away", 0) >= channel("away", 1) && channel("away", 1) > channel("away", 2) + 100);
        for (const char *grey : {"offline", "unknown"})
            QVERIFY(qAbs(channel(grey, 0) - channel(grey, 2)) < 30 && qAbs(channel(grey, 1) - channel(grey, 2)) < 30);
        QVERIFY(luminance(fill["unknown"]) > 1.5 * luminance(fill["offline"])); // a lighter grey
    }
}

void TestStatusHttp::badgeThemesAndTheShieldsForm()
{
    const QByteArray irc = "/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port());
    QVERIFY(HttpFetch::get(status(irc + "?format=svg")).body.contains("@media (prefers-color-scheme:dark){"));
    QVERIFY(!HttpFetch::get(status(irc + "?format=svg&theme=dark")).body.contains("@media"));
    for (const char *query : {"format=svg&theme=sepia", "format=png&theme=Dark", "theme=light,dark"}) {
        const HttpFetch refused = HttpFetch::get(status(QByteArray("/msn/bob?") + query));
        QCOMPARE(refused.status, 400);
        QVERIFY(refused.body.startsWith("theme is light or dark"));
    }
    // Kept answers past their bound are forgotten and made again, right.
    for (int i = 0; i <= ComposedAnswers::maxComposed; ++i)
        HttpFetch::get(status("/icq/" + QByteArray::number(i) + "?format=svg"));
    QVERIFY(HttpFetch::get(status("/icq/0?format=svg")).body.contains("<title>0 on ICQ: unknown"));

    const QJsonObject closed = QJsonDocument::fromJson(HttpFetch::get(status("/yahoo/bob?format=shields")).body).object();
    QCOMPARE(closed.keys(), QStringList({"cacheSeconds", "color", "label", "message", "schemaVersion"}));
    QCOMPARE(closed.value("schemaVersion").toInt(), 1);
    QCOMPARE(closed.value("label").toString(), QStringLiteral("Yahoo!"));
    QCOMPARE(closed.value("message").toString(), QStringLiteral("unknown"));
    QCOMPARE(closed.value("cacheSeconds").toInt(), 86'400);
    QCOMPARE(closed.value("color").toString(), fills(HttpFetch::get(status("/yahoo/bob?format=svg")).body, false)["s"]);
    const QJsonObject online = QJsonDocument::fromJson(HttpFetch::get(status(irc + "?format=shields")).body).object();
    QCOMPARE(online.value("label").toString() + ' ' + online.value("message").toString(), QStringLiteral("IRC online"));
    QCOMPARE(online.value("cacheSeconds").toInt(), loopbackOptions(0).irc.cacheMs / 1000);
}

void TestStatusHttp::everyFormIsRevalidatedByItsTag_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("picture") << QByteArray() << QByteArray();
    QTest::newRow("picture of a set") << QByteArray("?format=png&set=3") << QByteArray();
    QTest::newRow("page") << QByteArray() << QByteArray("Sec-Fetch-Dest: document\r\n");
    QTest::newRow("text") << QByteArray("?format=text") << QByteArray();
    QTest::newRow("svg, dark") << QByteArray("?format=svg&theme=dark") << QByteArray();
    QTest::newRow("shields") << QByteArray("?format=shields") << QByteArray();
}

void TestStatusHttp::everyFormIsRevalidatedByItsTag()
{
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, header);
    const QByteArray path = "/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port()) + query;
    const auto request = [&](const char *method, const QByteArray &condition, const QByteArray &to) {
        return method + (' ' + to) + " HTTP/1.1\r\nHost: x\r\n" + header + "If-None-Match: " + condition + "\r\n\r\n";
    };
    const qint64 before = notModifiedCount(status("/metrics"));
    const QByteArray first = split(exchange(m_server->statusPort(), request("GET", "\"none\"", path), 300)).value(0);
    const QByteArray tag = headerOf(first, "ETag"), body = first.mid(first.indexOf("\r\n\r\n") + 4);
    QVERIFY2(QRegularExpression(QStringLiteral("^\"[0-9a-f]{16}\"$")).match(QString::fromLatin1(tag)).hasMatch(), first.constData());
    QCOMPARE(headerOf(first, "Cache-Control"), QByteArray("no-cache"));
    QCOMPARE(headerOf(first, "Vary"), query.isEmpty() ? QByteArray("Accept, Sec-Fetch-Dest") : QByteArray());
    // Sent at once on one connection: the tag, a list holding it weak, any,
    // then a tag of another answer, and the answer of another nick.
    QByteArray sent;
    for (const char *method : {"GET", "HEAD"})
        for (const QByteArray &condition : {tag, "\"x,y\", W/" + tag, QByteArray("*"), "W/\"" + tag.mid(1, 8) + '"'})
            sent += request(method, condition, path);
    sent += request("GET", tag, "/irc/Brasko@127.0.0.1:" + QByteArray::number(m_irc.port()) + query);
    const QByteArrayList answers = split(exchange(m_server->statusPort(), sent, 500));
    QCOMPARE(answers.size(), 9);
    for (int i : {0, 1, 2, 4, 5, 6}) {
        QVERIFY2(answers[i].endsWith("\r\n\r\n") && answers[i].startsWith("HTTP/1.1 304 Not Modified\r\n"), answers[i].constData());
        QCOMPARE(headerOf(answers[i], "ETag"), tag);
        QCOMPARE(headerOf(answers[i], "Cache-Control") + headerOf(answers[i], "Vary"),
                 headerOf(first, "Cache-Control") + headerOf(first, "Vary"));
        // A length, if any, is the one the 200 would have had.
        const QByteArray length = headerOf(answers[i], "Content-Length");
        QVERIFY2(length.isEmpty() || length.toLongLong() == body.size(), length.constData());
    }
    QVERIFY(answers[3].startsWith("HTTP/1.1 200 OK\r\n") && answers[3].endsWith("\r\n\r\n" + body));
    QVERIFY(answers[7].startsWith("HTTP/1.1 200 OK\r\n") && answers[7].endsWith("Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n"));
    QVERIFY(answers[8].startsWith("HTTP/1.1 200 OK\r\n") && headerOf(answers[8], "ETag") != tag);
    QCOMPARE(notModifiedCount(status("/metrics")), before + 6);
}

void TestStatusHttp::theBadgePageWritesEscapedSnippetsOrSaysWhyNot()
{
    const QByteArray asked = "/Msntv/badge.html?account=irc/al%3Cb%3E%22ce@irc.example.org";
    for (const QByteArray &url : {status(asked), web(asked)}) {
        const HttpFetch page = HttpFetch::get(url, 20'000, {{"Host", "Status.Example.org:8080"}});
        // On the web port the addresses are the status port's.
        const QByteArray origin = "http://status.example.org:"
                                  + (url == status(asked) ? QByteArray("8080") : QByteArray::number(m_server->statusPort()));
        QVERIFY(page.header("Content-Security-Policy").contains("; img-src 'self' " + origin + "; "));
        QVERIFY(!page.body.contains("<script") && !page.body.contains("<b>") && !page.body.contains("\"ce"));
        const QByteArray at = origin + "/irc/al%3Cb%3E%22ce@irc.example.org";
        const QByteArray alt = "IRC status of al&lt;b&gt;&quot;ce on irc.example.org";
        QVERIFY(page.body.contains("<img src=\"" + at + "?format=svg&amp;theme=light\" alt=\"" + alt + "\">"));
        QVERIFY(page.body.contains("<img src=\"" + at + "?format=svg&amp;theme=dark\""));
        // What is pasted is the snippet's HTML, escaped once more to be shown.
        QVERIFY(page.body.contains("srcset=&quot;" + at + "?format=svg&amp;amp;theme=dark&quot;&gt;"));
        QVERIFY(page.body.contains("alt=&quot;IRC status of al&amp;lt;b&amp;gt;&amp;quot;ce on irc.example.org&quot;&gt;"));
        QVERIFY(page.body.contains("![" + alt + "](" + at + "?format=svg)"));
        QVERIFY(page.body.contains("[img]" + at + "[/img]"));
        QVERIFY(!page.body.contains("online")); // the account's name, never its status
    }
    // A Host that is no host at all is refused; one that is not a plain
    // name or address gets relative addresses.
    QCOMPARE(HttpFetch::get(status("/Msntv/badge.html?account=msn/bob"), 20'000, {{"Host", "x/\"><script>"}}).status, 400);
    for (const QByteArray &host : {QByteArray("[::g]"), QByteArray("x.example:99999")}) {
        const HttpFetch page = HttpFetch::get(status("/Msntv/badge.html?account=msn/bob"), 20'000, {{"Host", host}});
        QVERIFY2(page.body.contains("<img src=\"/msn/bob?format=svg&amp;theme=light\""), host.constData());
        QVERIFY(page.header("Content-Security-Policy").contains("img-src 'self';"));
    }
    // A bad account: the reason, and no snippet.
    for (const auto &[account, reason] : {std::pair("", "no account given"), std::pair("gadu/%3Cb%3E", "no medium"),
                                          std::pair("msn/", "the account is empty"), std::pair("irc/al", "an IRC account is nick@server"),
                                          std::pair("msn/a%0Ab", "the account holds spaces or control characters")}) {
        const QByteArray body = HttpFetch::get(web("/Msntv/badge.html?account=") + account).body;
        QVERIFY2(body.contains(QByteArray("<p class=\"reason\">No badge: ") + reason), body.constData());
        QVERIFY(!body.contains("<textarea") && !body.contains("<img") && !body.contains("<b>"));
    }
    QVERIFY(HttpFetch::get(web("/Msntv/")).body.contains("<a href=\"/Msntv/badge.html\">"));
}

void TestStatusHttp::theLongestAccountOfAnyNetworkIsAnswered()
{
    // A Jabber address of three parts of 1,023 bytes each: nobody's, but the longest there is.
    const QByteArray jid = QByteArray(1023, 'a') + '@' + QByteArray(1023, 'b') + '/' + QByteArray(1023, 'c');
    const HttpFetch answer = HttpFetch::get(status("/jabber/" + jid + "?format=json"));
    QCOMPARE(answer.status, 200);
    const QJsonObject json = QJsonDocument::fromJson(answer.body).object();
    QCOMPARE(json.value("account").toString().size(), jid.size());
    // Non-Latin text, every character three escapes long: 1,500 characters.
    QByteArray wide;
    for (int i = 0; i < 1'500; ++i)
        wide += "%E6%97%A5";
    QCOMPARE(HttpFetch::get(status("/msn/" + wide + "?format=text")).body, QByteArray("unknown\n"));
}

void TestStatusHttp::requestsPastTheSizeBoundAreRefused()
{
    // Past the bytes a request may take: in its target, in its headers. Each
    // is read whole before the refusal, which the client therefore reads.
    const QByteArray longTarget = "GET /msn/" + QByteArray(20'000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n";
    const QByteArray longHeader = "GET /msn/bob HTTP/1.1\r\nHost: x\r\nX: " + QByteArray(20'000, 'a') + "\r\n\r\n";
    for (const auto &[request, status] : {std::pair(longTarget, QByteArray("414")), std::pair(longHeader, QByteArray("431"))}) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_server->statusPort());
        QVERIFY(socket.waitForConnected(2000));
        socket.write(request);
        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT((received += socket.readAll(), socket.state() == QAbstractSocket::UnconnectedState), 5000);
        received += socket.readAll();
        QVERIFY2(received.startsWith("HTTP/1.1 " + status + ' '), received.left(60).constData());
    }
}

void TestStatusHttp::aSlowClientIsDisconnected()
{
    QTcpSocket slow, idle;
    for (QTcpSocket *socket : {&slow, &idle}) {
        socket->connectToHost(QHostAddress::LocalHost, m_server->webPort());
        QVERIFY(socket->waitForConnected(2000));
    }
    slow.write("GET /Msntv/ HTTP/1.1\r\nHost: x\r\n");
    QElapsedTimer clock;
    clock.start();
    // A byte now and then does not keep a request open past its time (0.5 s here).
    while (slow.state() == QAbstractSocket::ConnectedState && clock.elapsed() < 3000) {
        slow.write("X");
        QTest::qWait(100);
    }
    QCOMPARE(slow.state(), QAbstractSocket::UnconnectedState);
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(idle.state(), QAbstractSocket::UnconnectedState, 1500);
    // The server still answers.
    QCOMPARE(HttpFetch::get(web("/Msntv/msnexe4.html")).status, 200);
}

// A request in the lookup's hands outlives the request time (0.3 s here,
// the bound 1 s): its answer comes; then the connection, idle, has the
// request time again, and no more.
void TestStatusHttp::aLookupInHandHasTheHandlersTimeThenTheClientHasItsOwn()
{
    ScriptedIrcServer silent(ScriptedIrcServer::Behaviour::Silent);
    ServerOptions options = loopbackOptions(silent.port());
    options.irc.lookupBoundMs = 1000;
    options.limits.requestMs = 300;
    StatusServer server(options);
    QVERIFY(server.start());
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, server.statusPort());
    QVERIFY(socket.waitForConnected(2000));
    socket.write("GET /irc/nick@127.0.0.1:" + QByteArray::number(silent.port()) + "?format=text HTTP/1.1\r\nHost: x\r\n\r\n");
    QElapsedTimer clock;
    clock.start();
    QByteArray received;
    QVERIFY(runUntil([&] { return (received += socket.readAll()).endsWith("unknown\n"); }, 3000));
    QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    const qint64 answeredAt = clock.elapsed();
    QVERIFY(runUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 2000));
    const qint64 idle = clock.elapsed() - answeredAt;
    QVERIFY2(idle >= 250 && idle < 300 + 2 * ConnectionWatch::tickMs + 200, qPrintable(QString::number(idle)));
}

void TestStatusHttp::connectionsPastTheBoundAreTurnedAway()
{
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 40; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(QHostAddress::LocalHost, m_server->statusPort());
        QVERIFY(held.back()->waitForConnected(2000));
    }
    // Counted once for the whole process: the web port's door turns the
    // same address away too, and so does the status port's other thread.
    for (const quint16 port : {m_server->statusPort(), m_server->webPort(), m_server->statusPort()}) {
        QTcpSocket extra;
        extra.connectToHost(QHostAddress::LocalHost, port);
        QTRY_COMPARE_WITH_TIMEOUT(extra.state(), QAbstractSocket::UnconnectedState, 1000);
    }
    // Another address still has its share.
    QTcpSocket other;
    QVERIFY(other.bind(QHostAddress(QStringLiteral("127.0.0.2"))));
    other.connectToHost(QHostAddress::LocalHost, m_server->webPort());
    QVERIFY(other.waitForConnected(2000));
    other.write("GET /Msntv/quorvane.css HTTP/1.1\r\nHost: x\r\n\r\n");
    QVERIFY(runUntil([&] { return other.peek(16).startsWith("HTTP/1.1 200 "); }, 2000));
    held.clear();
    QTRY_COMPARE(HttpFetch::get(status("/icq/1?format=text")).body, QByteArray("unknown\n"));
}

void TestStatusHttp::aBrowserOpeningTheAddressGetsAPageThatSaysTheAnswer()
{
    const QByteArray path = "/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port());
    const HttpFetch page = HttpFetch::get(status(path), 20'000, {{"Sec-Fetch-Dest", "document"}});
    QCOMPARE(page.header("Content-Type"), QByteArray("text/html; charset=utf-8"));
    QCOMPARE(page.header("Cache-Control"), QByteArray("no-cache"));
    QVERIFY(page.header("Content-Security-Policy").startsWith("default-src 'none'; img-src data:;"));
    const QByteArray words = "Telmik on 127.0.0.1:" + QByteArray::number(m_irc.port()) + ": online";
    QVERIFY2(page.body.contains("<title>" + words + "</title>"), page.body.constData());
    QVERIFY(page.body.contains("alt=\"" + words + "\""));
    QVERIFY(!page.body.contains("<script"));
    // The same picture, byte for byte, as an <img> or curl gets.
    const QByteArray png = picture("legend3-online");
    QVERIFY(page.body.contains("data:image/png;base64," + png.toBase64() + "\""));
    QCOMPARE(HttpFetch::get(status(path), 20'000, {{"Sec-Fetch-Dest", "image"}}).body, png);
    QCOMPARE(HttpFetch::get(status(path + "?format=png"), 20'000, {{"Sec-Fetch-Dest", "document"}}).body, png);
    // Unknown says why, and what a stranger typed is only ever text.
    const HttpFetch unknown = HttpFetch::get(status("/msn/%3Cb%3Ebob@hotmail.com"), 20'000, {{"Sec-Fetch-Dest", "document"}});
    QVERIFY2(unknown.body.contains("<title>&lt;b&gt;bob@hotmail.com on MSN: unknown, network closed</title>"),
             unknown.body.constData());
}

// What the doors' threads answer without the event loop: a definite answer
// of a moment ago, never an unknown one (its reason may be the asker's own),
// for no longer than a second, and never more accounts than the bound.
void TestStatusHttp::liveAnswersAreKeptForTheDoorsForASecondAndNoMore()
{
    RecentAnswers recent;
    const auto answer = [](const QString &account, Presence presence) {
        return StatusAnswer{QStringLiteral("irc"), account, presence, QDateTime::currentDateTimeUtc()};
    };
    recent.remember(answer(QStringLiteral("alice@irc.example"), Presence::known(Presence::Away)));
    recent.remember(answer(QStringLiteral("bob@irc.example"), Presence::unknown(Reason::TooManyNewNetworks)));
    QCOMPARE(recent.find(QStringLiteral("irc"), QStringLiteral("alice@irc.example"))->presence.status, Presence::Away);
    QVERIFY(!recent.find(QStringLiteral("jabber"), QStringLiteral("alice@irc.example")));
    QVERIFY(!recent.find(QStringLiteral("irc"), QStringLiteral("bob@irc.example")));
    for (int i = 0; i < RecentAnswers::maxAnswers + 100; ++i)
        recent.remember(answer(QString::number(i), Presence::known(Presence::Online)));
    QTest::qWait(RecentAnswers::publishMs);
    recent.remember(answer(QStringLiteral("carol@irc.example"), Presence::known(Presence::Offline)));
    QVERIFY(!recent.find(QStringLiteral("irc"), QString::number(RecentAnswers::maxAnswers + 50)));
    QTest::qWait(RecentAnswers::keepMs + 50);
    QVERIFY(!recent.find(QStringLiteral("irc"), QStringLiteral("alice@irc.example")));
    // Room again once the old ones have gone.
    recent.remember(answer(QStringLiteral("dave@irc.example"), Presence::known(Presence::Online)));
    QVERIFY(recent.find(QStringLiteral("irc"), QStringLiteral("dave@irc.example")));
}

void TestStatusHttp::headIsAnsweredLikeGetWithoutTheBody()
{
    // Three requests on one connection: the HEAD answers carry the length
    // of the body they leave out, so the GET's answer follows at once.
    const QByteArray answers = exchange(m_server->statusPort(),
                                        "HEAD /msn/bob?format=text HTTP/1.1\r\nHost: x\r\n\r\n"
                                        "HEAD /Msntv/msnexe6.html HTTP/1.1\r\nHost: x\r\n\r\n"
                                        "GET /msn/bob?format=text HTTP/1.1\r\nHost: x\r\n\r\n",
                                        500);
    QCOMPARE(answers.count("HTTP/1.1 200 OK"), 3);
    QVERIFY2(answers.startsWith("HTTP/1.1 200 OK\r\n"), answers.constData());
    QVERIFY(answers.contains("Content-Length: 8\r\n\r\nHTTP/1.1 200 OK"));
    QVERIFY(answers.endsWith("Content-Length: 8\r\n\r\nunknown\n"));
    QCOMPARE(answers.count("unknown\n"), 1);
    QCOMPARE(HttpFetch::get(status("/msn/bob?format=text")).status, 200);
    QVERIFY(exchange(m_server->statusPort(), "POST /msn/bob HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 300)
                .startsWith("HTTP/1.1 405 "));
}

void TestStatusHttp::pipelinedRequestsAreAnsweredInOrder()
{
    // The first waits for the IRC network; the second, of a closed network,
    // is ready at once and must still come second.
    const QByteArray slow = "GET /irc/Pipelined@127.0.0.1:" + QByteArray::number(m_irc.port())
                            + "?format=text HTTP/1.1\r\nHost: x\r\n\r\n";
    const QByteArray fast = "GET /aim/bob?format=json HTTP/1.1\r\nHost: x\r\n\r\n";
    const QByteArray answers = exchange(m_server->statusPort(), slow + fast + slow + fast, 1500);
    QCOMPARE(answers.count("HTTP/1.1 200 OK"), 4);
    const qsizetype first = answers.indexOf("\r\n\r\noffline\n");
    const qsizetype second = answers.indexOf("\"medium\":\"aim\"");
    const qsizetype third = answers.indexOf("\r\n\r\noffline\n", second);
    const qsizetype fourth = answers.indexOf("\"medium\":\"aim\"", third);
    QVERIFY2(first >= 0 && first < second && second < third && third < fourth, answers.constData());
}

void TestStatusHttp::itListensOnEveryAddressAskedForIpv6Too()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHostIPv6))
        QSKIP("this machine has no IPv6 loopback address");
    probe.close();
    ServerOptions options = loopbackOptions(m_irc.port());
    options.listen = {QHostAddress::LocalHostIPv6, QHostAddress::LocalHost};
    StatusServer server(options);
    QVERIFY(server.start());
    const QByteArray port = QByteArray::number(server.statusPort());
    const HttpFetch six = HttpFetch::get("http://[::1]:" + port + "/msn/bob?format=text");
    const HttpFetch four = HttpFetch::get("http://127.0.0.1:" + port + "/msn/bob?format=text");
    QCOMPARE(six.body, QByteArray("unknown\n"));
    QCOMPARE(four.body, QByteArray("unknown\n"));
    QCOMPARE(HttpFetch::get("http://[::1]:" + QByteArray::number(server.webPort()) + "/Msntv/msnexe6.html").status, 200);
}

void TestStatusHttp::metricsAreForThisMachineAndAllowedNetworksOnly()
{
    HttpFetch::get(status("/aim/bob?format=json"));
    const HttpFetch metrics = HttpFetch::get(status("/metrics"));
    QCOMPARE(metrics.status, 200);
    QVERIFY(metrics.header("Content-Type").startsWith("text/plain; version=0.0.4"));
    QVERIFY(metrics.body.contains("# TYPE quorvane_requests_total counter\n"));
    QVERIFY(metrics.body.contains("quorvane_requests_total{medium=\"aim\",form=\"json\"} "));
    QVERIFY(metrics.body.contains("quorvane_irc_lines_total{command=\"ISON\"} "));
    QVERIFY(metrics.body.contains("quorvane_connections_refused_total{limit=\"per_client\"} "));
    // Said by a client that is not a trusted proxy, a forwarded address means nothing.
    QCOMPARE(HttpFetch::get(status("/metrics"), 20'000, {{"X-Forwarded-For", "203.0.113.7"}}).status, 200);
    QCOMPARE(HttpFetch::get(web("/metrics")).status, 404);

    // Behind a trusted proxy the forwarded client counts: a stranger is refused.
    ServerOptions options = loopbackOptions(m_irc.port());
    options.trustedProxies.add(QStringLiteral("127.0.0.0/8"));
    options.metricsAllowed.add(QStringLiteral("198.51.100.0/24"));
    StatusServer proxied(options);
    QVERIFY(proxied.start());
    const QByteArray metricsBehind = "http://127.0.0.1:" + QByteArray::number(proxied.statusPort()) + "/metrics";
    QCOMPARE(HttpFetch::get(metricsBehind, 20'000, {{"X-Forwarded-For", "203.0.113.7"}}).status, 403);
    QCOMPARE(HttpFetch::get(metricsBehind, 20'000, {{"X-Forwarded-For", "203.0.113.7, 127.0.0.9"}}).status, 403);
    QCOMPARE(HttpFetch::get(metricsBehind, 20'000, {{"X-Forwarded-For", "198.51.100.4"}}).status, 200);
    QCOMPARE(HttpFetch::get(metricsBehind, 20'000, {{"Forwarded", "for=\"[2001:db8::1]:4711\""}}).status, 403);
    QCOMPARE(HttpFetch::get(metricsBehind).status, 200); // the proxy's own machine
}

void TestStatusHttp::behindATrustedProxyEachForwardedClientHasItsOwnLimit()
{
    ScriptedIrcServer silent(ScriptedIrcServer::Behaviour::Silent);
    ServerOptions options = loopbackOptions(silent.port());
    options.irc.lookupBoundMs = 1000;
    options.trustedProxies.add(QStringLiteral("127.0.0.0/8"));
    options.limits.maxPerClient = 2;
    StatusServer proxied(options);
    QVERIFY(proxied.start());
    // A proxy that speaks HTTPS to its clients: the badge page's addresses
    // are its; a client that is no proxy saying so changes nothing.
    const HttpFetch::Headers https{{"Host", "status.example"}, {"X-Forwarded-Proto", "https"}};
    const QByteArray page = "/Msntv/badge.html?account=msn/bob";
    QVERIFY(HttpFetch::get("http://127.0.0.1:" + QByteArray::number(proxied.statusPort()) + page, 20'000, https)
                .body.contains("src=\"https://status.example/msn/bob?format=svg"));
    QVERIFY(HttpFetch::get(status(page), 20'000, https).body.contains("src=\"http://status.example/msn/bob?format=svg"));
    // Three proxied connections, a request of one client on each, waiting
    // for a network that never answers: the third is one too many for that client.
    const QByteArray waiting = "GET /irc/nick@127.0.0.1:" + QByteArray::number(silent.port())
                               + "?format=text HTTP/1.1\r\nHost: x\r\nX-Forwarded-For: 198.51.100.1\r\n\r\n";
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < 3; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        sockets.back()->connectToHost(QHostAddress::LocalHost, proxied.statusPort());
        QVERIFY(sockets.back()->waitForConnected(2000));
        sockets.back()->write(waiting);
        QVERIFY(sockets.back()->waitForBytesWritten(2000));
        QTest::qWait(50); // in this order
    }
    // Meanwhile another client through the same proxy is answered at once.
    const HttpFetch other = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(proxied.statusPort())
                                               + "/msn/bob?format=text",
                                           20'000, {{"X-Forwarded-For", "198.51.100.2"}});
    QCOMPARE(other.body, QByteArray("unknown\n"));
    QVERIFY2(other.elapsedMs < 500, qPrintable(QString::number(other.elapsedMs)));
    QByteArray answers;
    QTRY_VERIFY_WITH_TIMEOUT((answers += sockets[0]->readAll() + sockets[1]->readAll() + sockets[2]->readAll())
                                 .count("HTTP/1.1 ") == 3, 5000);
    QCOMPARE(answers.count("HTTP/1.1 200 OK"), 2);
    QCOMPARE(answers.count("HTTP/1.1 429 Too Many Requests"), 1);
}

// The doors' threads answer and count at once, side by side: not an answer
// or a count may be lost, and a live answer given once is given by them.
void TestStatusHttp::everyThreadsAnswersAreCountedExactly()
{
    const auto sample = [this](const QByteArray &line) {
        const QByteArray metrics = HttpFetch::get(status("/metrics")).body;
        const qsizetype at = metrics.indexOf('\n' + line + ' ');
        return at < 0 ? 0 : metrics.mid(at + line.size() + 2, metrics.indexOf('\n', at + 1) - at - line.size() - 2).toLongLong();
    };
    const QByteArray live = "/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port()) + "?format=text";
    QCOMPARE(HttpFetch::get(status(live)).body, QByteArray("online\n"));
    const qint64 closedBefore = sample("quorvane_requests_total{medium=\"yahoo\",form=\"text\"}");
    const qint64 liveBefore = sample("quorvane_requests_total{medium=\"irc\",form=\"text\"}");
    constexpr int clients = 8, each = 400;
    int answered = 0, online = 0, asked = 0;
    std::vector<std::unique_ptr<KeepAliveClient>> pool;
    for (int i = 0; i < clients; ++i)
        pool.push_back(std::make_unique<KeepAliveClient>(
            m_server->statusPort(),
            [&]() -> QByteArray { return asked < clients * each ? (asked++ % 2 ? "/yahoo/bob?format=text" : live) : QByteArray(); },
            [&](int code, const QByteArray &body) { answered += code == 200; online += body == "online\n"; }));
    QVERIFY(runUntil([&] { return answered == clients * each; }, 30'000));
    QCOMPARE(online, clients * each / 2);
    QCOMPARE(sample("quorvane_requests_total{medium=\"yahoo\",form=\"text\"}") - closedBefore, clients * each / 2);
    QCOMPARE(sample("quorvane_requests_total{medium=\"irc\",form=\"text\"}") - liveBefore, clients * each / 2);
}

// A server that stops while a lookup waits (systemd's SIGTERM, say) tells
// that client so, and stops: the HTTP layer cannot stop with a request held.
void TestStatusHttp::aServerStoppingAnswersTheRequestsItHolds()
{
    ScriptedIrcServer silent(ScriptedIrcServer::Behaviour::Silent);
    auto stopping = std::make_unique<StatusServer>(loopbackOptions(silent.port()));
    QVERIFY(stopping->start());
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, stopping->statusPort());
    QVERIFY(socket.waitForConnected(2000));
    socket.write("GET /irc/nick@127.0.0.1:" + QByteArray::number(silent.port()) + "?format=text HTTP/1.1\r\nHost: x\r\n\r\n");
    QVERIFY(socket.waitForBytesWritten(2000));
    QTest::qWait(300); // in the lookup's hands
    stopping.reset();
    QByteArray received;
    QVERIFY(readUntilClosed(socket, received, 3000));
    QVERIFY2(received.startsWith("HTTP/1.1 503 "), received.constData());
}

QTEST_GUILESS_MAIN(TestStatusHttp)
#include "tst_statushttp.moc"
