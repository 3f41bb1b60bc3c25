// The HTTP side of the server in this process, on loopback ports: the
// pages with their headers, the status addresses in every form, decoded
// once, the closed networks, the badges and their page, revalidation by
// ETag, and the bounds on requests and clients.
#include "support/httpfetch.h"
#include "support/loopbackoptions.h"
#include "support/scriptedircserver.h"

#include "assets/picturefiles.h"
#include "http/badgepage.h"
#include "http/statusbadge.h"
#include "http/statusreply.h"
#include "statusserver.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>
#include <QXmlStreamReader>
#include <array>
#include <cmath>

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

// One request written as given on a new connection, and its whole answer:
// the head, and the body its length announces unless it has none. The
// server runs in this process: the event loop turns while it waits.
QByteArray answerTo(quint16 port, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 2000))
        return "no connection";
    socket.write(request);
    QByteArray answer;
    const auto whole = [&] {
        answer += socket.readAll();
        const qsizetype end = answer.indexOf("\r\n\r\n");
        if (end < 0)
            return false;
        static const QRegularExpression length(QStringLiteral("\r\nContent-Length: (\\d+)\r\n"));
        const QRegularExpressionMatch match = length.match(QString::fromLatin1(answer.left(end + 2)));
        const qsizetype body = match.hasMatch() && !request.startsWith("HEAD") ? match.captured(1).toLongLong() : 0;
        return answer.size() >= end + 4 + body;
    };
    if (!QTest::qWaitFor(whole, 5000))
        qWarning("an answer cut short: %s", answer.constData());
    return answer;
}

QByteArray headerOf(const QByteArray &answer, const QByteArray &name)
{
    for (const QByteArray &line : answer.left(answer.indexOf("\r\n\r\n")).split('\n'))
        if (line.toLower().startsWith(name.toLower() + ':'))
            return line.mid(name.size() + 1).trimmed();
    return {};
}

QByteArray bodyOf(const QByteArray &answer)
{
    return answer.mid(answer.indexOf("\r\n\r\n") + 4);
}

qint64 notModifiedCount(const QByteArray &metricsUrl)
{
    static const QRegularExpression sample(QStringLiteral("\nquorvane_http_not_modified_total (\\d+)\n"));
    const QRegularExpressionMatch match = sample.match(QString::fromUtf8(HttpFetch::get(metricsUrl).body));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// A badge as an XML reader sees it: its elements in order, its title and
// label, and the colours its style gives each class, light and dark.
struct ReadBadge
{
    QString error;
    QStringList elements;
    QString title, label;
    int roots = 0;
    QHash<QString, QString> light, dark;
};

ReadBadge readBadge(const QByteArray &svg)
{
    ReadBadge badge;
    QXmlStreamReader xml(svg);
    int depth = 0;
    QString style;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            badge.roots += depth++ == 0 ? 1 : 0;
            const QString name = xml.name().toString();
            badge.elements.append(name);
            if (name == QLatin1String("svg"))
                badge.label = xml.attributes().value(QStringLiteral("aria-label")).toString();
            else if (name == QLatin1String("title"))
                badge.title = xml.readElementText(), --depth;
            else if (name == QLatin1String("style"))
                style = xml.readElementText(), --depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (xml.hasError())
        badge.error = xml.errorString();
    // ".l{fill:#555}..." then, when both, "@media (prefers-color-scheme:dark){...}".
    const qsizetype media = style.indexOf(QLatin1String("@media"));
    static const QRegularExpression rule(QStringLiteral("\\.([a-z])\\{fill:(#[0-9a-f]+)\\}"));
    for (auto match = rule.globalMatch(style); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        (media >= 0 && found.capturedStart() > media ? badge.dark : badge.light)[found.captured(1)] = found.captured(2);
    }
    return badge;
}

// "#rgb" or "#rrggbb" as red, green and blue from 0 to 1.
std::array<double, 3> channels(const QString &hex)
{
    const QString digits = hex.size() == 4 ? QString(hex[1]) + hex[1] + hex[2] + hex[2] + hex[3] + hex[3] : hex.mid(1);
    std::array<double, 3> rgb{};
    for (int i = 0; i < 3; ++i)
        rgb[size_t(i)] = digits.mid(i * 2, 2).toInt(nullptr, 16) / 255.0;
    return rgb;
}

double luminance(const QString &hex)
{
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const std::array<double, 3> c = channels(hex);
    return 0.2126 * linear(c[0]) + 0.7152 * linear(c[1]) + 0.0722 * linear(c[2]);
}

// The WCAG contrast ratio of two colours, 1 to 21.
double contrast(const QString &one, const QString &other)
{
    const double a = luminance(one), b = luminance(other);
    return (qMax(a, b) + 0.05) / (qMin(a, b) + 0.05);
}

StatusAnswer answerOf(const QString &medium, const QString &account, Presence presence)
{
    return {medium, account, presence, QDateTime::currentDateTimeUtc()};
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
    void aBadgeFollowsTheReadersThemeUnlessOneIsNamed();
    void theShieldsFormIsWhatEndpointBadgesRead();
    void composedBadgesAreKeptWithinTheirBoundAndStayRight();
    void everyFormIsRevalidatedByItsTag_data();
    void everyFormIsRevalidatedByItsTag();
    void theBadgePageWritesSnippetsForAnAccount();
    void theBadgePageGivesAReasonAndNoSnippetForABadAccount_data();
    void theBadgePageGivesAReasonAndNoSnippetForABadAccount();

    void aBrowserOpeningTheAddressGetsAPageThatSaysTheAnswer();
    void headIsAnsweredLikeGetWithoutTheBody();
    void pipelinedRequestsAreAnsweredInOrder();
    void itListensOnEveryAddressAskedForIpv6Too();
    void metricsAreForThisMachineAndAllowedNetworksOnly();
    void behindATrustedProxyEachForwardedClientHasItsOwnLimit();

    void anAddressOf100000CharactersIsAnswered();
    void requestsPastTheSizeBoundAreRefused();
    void aSlowClientIsDisconnected();
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
    QTest::addColumn<QString>("account");
    QTest::newRow("quotes") << QByteArray("a%22b'c@hotmail.com") << "a\"b'c@hotmail.com";
    QTest::newRow("markup") << QByteArray("%3C/title%3E%3Cscript%3Ex()%3C/script%3E")
                            << "</title><script>x()</script>";
    QTest::newRow("entities") << QByteArray("a%26amp;%26%23x41;%26lt;") << "a&amp;&#x41;&lt;";
    QTest::newRow("closing the svg") << QByteArray("%22%3E%3C/svg%3E%3Csvg%20onload=%22x()")
                                     << "\"></svg><svg onload=\"x()";
    QTest::newRow("CDATA end") << QByteArray("%5D%5D%3E%3C!--") << "]]><!--";
    QString controls = QStringLiteral("a") + QChar(1) + QChar(0x0b) + QChar(0x1f) + QChar(0x7f) + QChar(0x85)
                       + QStringLiteral("b");
    QTest::newRow("control characters") << QByteArray("a%01%0B%1F%7F%C2%85b") << controls;
    QTest::newRow("line breaks and tabs") << QByteArray("a%0D%0A%09b") << QString("a\r\n\tb");
    QTest::newRow("invalid UTF-8") << QByteArray("a%FF%FEb") << QString("a\uFFFD\uFFFDb");
    QTest::newRow("300 letters") << QByteArray(300, 'x') << QString(300, QLatin1Char('x'));
    QTest::newRow("300 quotes") << QByteArray("%22").repeated(300) << QString(300, QLatin1Char('"'));
    QTest::newRow("300 ampersands, a pair cut") << QByteArray("%26").repeated(30) + QByteArray("%F0%9F%98%80").repeated(150)
                                                << QString(30, QLatin1Char('&')) + QString::fromUtf8("\U0001F600").repeated(150);
}

void TestStatusHttp::aBadgeIsWellFormedWhateverTheAccount()
{
    QFETCH(QByteArray, encoded);
    QFETCH(QString, account);
    for (const QByteArray &theme : {QByteArray(), QByteArray("&theme=light"), QByteArray("&theme=dark")}) {
        const HttpFetch svg = HttpFetch::get(status("/msn/" + encoded + "?format=svg" + theme));
        QCOMPARE(svg.status, 200);
        QCOMPARE(svg.header("Content-Type"), QByteArray("image/svg+xml"));
        QVERIFY2(svg.body.size() <= 1024, qPrintable(QString::number(svg.body.size())));
        const ReadBadge badge = readBadge(svg.body);
        QVERIFY2(badge.error.isEmpty(), qPrintable(badge.error + QLatin1Char('\n') + QString::fromUtf8(svg.body)));
        // One root, and the badge's own elements only: nothing the account brought.
        QCOMPARE(badge.roots, 1);
        QCOMPARE(badge.elements, QStringList({"svg", "title", "style", "rect", "rect", "rect", "g", "text", "text"}));
        QVERIFY(!svg.body.contains("<script") && !svg.body.contains("href") && !svg.body.contains("url("));
        // The account in words, cut short with an ellipsis when long, what
        // XML cannot hold shown as U+FFFD, and nothing else changed.
        QString shown = account;
        for (QChar &c : shown)
            if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
                c = QChar::ReplacementCharacter;
        if (shown.size() > StatusBadge::maxAccountCharacters) {
            shown.truncate(StatusBadge::maxAccountCharacters - 1);
            if (shown.back().isHighSurrogate())
                shown.chop(1);
            shown += QChar(0x2026);
        }
        QCOMPARE(badge.title, shown + QStringLiteral(" on MSN: unknown, network closed"));
        QCOMPARE(badge.label, badge.title);
    }
}

void TestStatusHttp::badgeColoursReadAtAaContrastInBothThemes()
{
    using Theme = StatusBadge::Theme;
    QHash<QString, QString> lightFills, darkFills;
    for (const Presence::Status status : {Presence::Online, Presence::Away, Presence::Offline, Presence::Unknown}) {
        const QString name = Presence::statusName(status);
        const ReadBadge both = readBadge(StatusBadge::svg(answerOf("jabber", "a@b.example", Presence::known(status)), Theme::Both));
        const ReadBadge light = readBadge(StatusBadge::svg(answerOf("jabber", "a@b.example", Presence::known(status)), Theme::Light));
        const ReadBadge dark = readBadge(StatusBadge::svg(answerOf("jabber", "a@b.example", Presence::known(status)), Theme::Dark));
        // A forced theme is the same colours as that half of the reader's.
        QCOMPARE(light.light, both.light);
        QCOMPARE(dark.light, both.dark);
        QVERIFY(light.dark.isEmpty() && dark.dark.isEmpty());
        for (const auto &colours : {both.light, both.dark}) {
            QCOMPARE(colours.size(), 4);
            QVERIFY2(contrast(colours["l"], colours["t"]) >= 4.5, qPrintable(colours["l"] + " " + colours["t"]));
            QVERIFY2(contrast(colours["s"], colours["u"]) >= 4.5,
                     qPrintable(name + ": " + colours["s"] + " " + colours["u"] + " "
                                + QString::number(contrast(colours["s"], colours["u"]))));
        }
        lightFills[name] = both.light["s"];
        darkFills[name] = both.dark["s"];
    }
    for (const auto &fills : {lightFills, darkFills}) {
        const auto online = channels(fills["online"]), away = channels(fills["away"]);
        const auto offline = channels(fills["offline"]), unknown = channels(fills["unknown"]);
        QVERIFY(online[1] > online[0] + 0.2 && online[1] > online[2] + 0.2);   // green
        QVERIFY(away[0] > away[2] + 0.4 && away[1] > away[2] + 0.3 && away[0] >= away[1]); // amber
        for (const auto &grey : {offline, unknown})                          // greys
            QVERIFY(qAbs(grey[0] - grey[2]) < 0.12 && qAbs(grey[1] - grey[2]) < 0.12);
        QVERIFY(luminance(fills["unknown"]) > luminance(fills["offline"]) * 1.5); // a lighter grey
    }
}

void TestStatusHttp::aBadgeFollowsTheReadersThemeUnlessOneIsNamed()
{
    const QByteArray irc = "/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port());
    const HttpFetch online = HttpFetch::get(status(irc + "?format=svg"));
    QVERIFY(online.body.contains("@media (prefers-color-scheme:dark){"));
    QCOMPARE(readBadge(online.body).title, "Telmik on 127.0.0.1:" + QString::number(m_irc.port()) + ": online");
    QVERIFY(!HttpFetch::get(status(irc + "?format=svg&theme=dark")).body.contains("@media"));
    QVERIFY(!HttpFetch::get(status(irc + "?format=svg&theme=light")).body.contains("@media"));
    // The medium's name and the status word, measured: a longer word is a wider part.
    const auto width = [](const QString &medium, Presence::Status state) {
        static const QRegularExpression attribute(QStringLiteral("<svg [^>]*width=\"(\\d+)\""));
        const QByteArray svg = StatusBadge::svg(answerOf(medium, "a@b.example", Presence::known(state)), StatusBadge::Theme::Both);
        return attribute.match(QString::fromUtf8(svg)).captured(1).toInt();
    };
    QVERIFY(width("irc", Presence::Online) > 60 && width("irc", Presence::Online) < 90);
    QVERIFY(width("irc", Presence::Unknown) > width("irc", Presence::Online) + 5);
    QVERIFY(width("jabber", Presence::Online) > width("irc", Presence::Online) + 10);
    for (const QByteArray &other : {QByteArray("sepia"), QByteArray("Dark"), QByteArray("light,dark")}) {
        for (const QByteArray &format : {QByteArray("svg"), QByteArray("png")}) {
            const HttpFetch refused = HttpFetch::get(status("/msn/bob?format=" + format + "&theme=" + other));
            QCOMPARE(refused.status, 400);
            QVERIFY2(refused.body.contains("theme is light or dark"), refused.body.constData());
        }
    }
    // The picture sets stay the pictures': a badge is the same with or without one.
    QCOMPARE(HttpFetch::get(status("/yahoo/bob?format=svg&set=2")).body, HttpFetch::get(status("/yahoo/bob?format=svg")).body);
}

void TestStatusHttp::theShieldsFormIsWhatEndpointBadgesRead()
{
    const HttpFetch closed = HttpFetch::get(status("/yahoo/%22bob%3C?format=shields"));
    QCOMPARE(closed.header("Content-Type"), QByteArray("application/json"));
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(closed.body, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(json.keys(), QStringList({"cacheSeconds", "color", "label", "message", "schemaVersion"}));
    QCOMPARE(json.value("schemaVersion").toInt(), 1);
    QCOMPARE(json.value("label").toString(), QStringLiteral("Yahoo!"));
    QCOMPARE(json.value("message").toString(), QStringLiteral("unknown"));
    QCOMPARE(json.value("cacheSeconds").toInt(), StatusBadge::closedCacheSeconds);
    // The colour is the light badge's.
    const ReadBadge badge = readBadge(HttpFetch::get(status("/yahoo/bob?format=svg&theme=light")).body);
    QCOMPARE('#' + json.value("color").toString(), badge.light["s"]);

    const QByteArray irc = "/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port()) + "?format=shields";
    const QJsonObject online = QJsonDocument::fromJson(HttpFetch::get(status(irc)).body).object();
    QCOMPARE(online.value("label").toString(), QStringLiteral("IRC"));
    QCOMPARE(online.value("message").toString(), QStringLiteral("online"));
    QCOMPARE(online.value("cacheSeconds").toInt(), loopbackOptions(0).irc.cacheMs / 1000);
    QVERIFY(online.value("color").toString() != json.value("color").toString());
}

void TestStatusHttp::composedBadgesAreKeptWithinTheirBoundAndStayRight()
{
    StatusReply::Choice svg;
    svg.form = StatusReply::Svg;
    const auto whole = [&](const QString &account, Presence presence, StatusBadge::Theme theme) {
        svg.theme = theme;
        const StatusReply::Composed *composed = StatusReply::composedAnswer(answerOf("irc", account, presence), svg);
        return composed ? composed->whole : QByteArray();
    };
    const Presence online = Presence::known(Presence::Online), offline = Presence::known(Presence::Offline);
    const QByteArray first = whole("first@irc.example.org", online, StatusBadge::Theme::Both);
    QVERIFY(first.contains("<title>first on irc.example.org: online</title>"));
    // The same account in another state or theme is another answer.
    QVERIFY(whole("first@irc.example.org", offline, StatusBadge::Theme::Both).contains(": offline</title>"));
    QVERIFY(!whole("first@irc.example.org", online, StatusBadge::Theme::Dark).contains("@media"));
    // Past the bound the kept answers are forgotten, and made again right.
    for (int i = 0; i < StatusReply::maxComposed + 10; ++i)
        QVERIFY(whole(QStringLiteral("n%1@irc.example.org").arg(i), online, StatusBadge::Theme::Both)
                    .contains(QStringLiteral("<title>n%1 on irc.example.org").arg(i).toUtf8()));
    QCOMPARE(whole("first@irc.example.org", online, StatusBadge::Theme::Both), first);
    // Accounts alike in the words a badge shows share its answer.
    const QString longName = QString(40, QLatin1Char('x'));
    QCOMPARE(whole(longName + "a@irc.example.org", online, StatusBadge::Theme::Both),
             whole(longName + "b@irc.example.org", online, StatusBadge::Theme::Both));
    QCOMPARE(StatusReply::composedAnswer(answerOf("irc", "a@b", online), {StatusReply::Text}), nullptr);
}

void TestStatusHttp::everyFormIsRevalidatedByItsTag_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<bool>("varies");
    QTest::newRow("picture") << QByteArray() << QByteArray() << true;
    QTest::newRow("picture of a set, asked") << QByteArray("?format=png&set=3") << QByteArray() << false;
    QTest::newRow("page") << QByteArray() << QByteArray("Sec-Fetch-Dest: document\r\n") << true;
    QTest::newRow("text") << QByteArray("?format=text") << QByteArray() << false;
    QTest::newRow("svg") << QByteArray("?format=svg") << QByteArray() << false;
    QTest::newRow("svg, dark") << QByteArray("?format=svg&theme=dark") << QByteArray() << false;
    QTest::newRow("shields") << QByteArray("?format=shields") << QByteArray() << false;
}

void TestStatusHttp::everyFormIsRevalidatedByItsTag()
{
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, extra);
    QFETCH(bool, varies);
    const quint16 port = m_server->statusPort();
    const QByteArray path = "/irc/Telmik@127.0.0.1:" + QByteArray::number(m_irc.port()) + query;
    const auto ask = [&](const QByteArray &method, const QByteArray &ifNoneMatch) {
        return answerTo(port, method + ' ' + path + " HTTP/1.1\r\nHost: x\r\n" + extra
                                  + (ifNoneMatch.isEmpty() ? QByteArray() : "If-None-Match: " + ifNoneMatch + "\r\n") + "\r\n");
    };
    const qint64 before = notModifiedCount(status("/metrics"));
    const QByteArray first = ask("GET", {});
    QVERIFY2(first.startsWith("HTTP/1.1 200 OK\r\n"), first.constData());
    const QByteArray tag = headerOf(first, "ETag");
    QVERIFY2(QRegularExpression(QStringLiteral("^\"[0-9a-f]{16}\"$")).match(QString::fromLatin1(tag)).hasMatch(), tag.constData());
    QCOMPARE(headerOf(first, "Cache-Control"), QByteArray("no-cache"));
    QCOMPARE(headerOf(first, "Vary"), varies ? QByteArray("Accept, Sec-Fetch-Dest") : QByteArray());
    // The same bytes, the same tag; a changed answer (another nick) another.
    QCOMPARE(headerOf(ask("GET", {}), "ETag"), tag);
    QCOMPARE(headerOf(ask("HEAD", {}), "ETag"), tag);

    int notModified = 0;
    for (const QByteArray &method : {QByteArray("GET"), QByteArray("HEAD")}) {
        for (const QByteArray &condition : {tag, "\"0000000000000000\", W/" + tag, QByteArray("*"), "W/" + tag}) {
            const QByteArray again = ask(method, condition);
            QVERIFY2(again.startsWith("HTTP/1.1 304 Not Modified\r\n"), (method + ' ' + condition + '\n' + again).constData());
            ++notModified;
            QCOMPARE(bodyOf(again), QByteArray());
            QCOMPARE(headerOf(again, "ETag"), tag);
            QCOMPARE(headerOf(again, "Cache-Control"), QByteArray("no-cache"));
            QCOMPARE(headerOf(again, "Vary"), headerOf(first, "Vary"));
            QCOMPARE(headerOf(again, "Content-Length"), QByteArray());
        }
        // A tag that is not this answer's: the whole answer again.
        const QByteArray changed = ask(method, "\"0123456789abcdef\", W/\"" + tag.mid(1, 8) + '"');
        QVERIFY2(changed.startsWith("HTTP/1.1 200 OK\r\n"), changed.constData());
        QCOMPARE(bodyOf(changed), method == "GET" ? bodyOf(first) : QByteArray());
        QCOMPARE(headerOf(changed, "Content-Length").toInt(), bodyOf(first).size());
    }
    const QByteArray offline = "/irc/Brasko@127.0.0.1:" + QByteArray::number(m_irc.port()) + query;
    const QByteArray other = answerTo(port, "GET " + offline + " HTTP/1.1\r\nHost: x\r\n" + extra + "If-None-Match: " + tag + "\r\n\r\n");
    QVERIFY2(other.startsWith("HTTP/1.1 200 OK\r\n"), other.constData());
    QVERIFY(headerOf(other, "ETag") != tag);
    QCOMPARE(notModifiedCount(status("/metrics")), before + notModified);
}

void TestStatusHttp::theBadgePageWritesSnippetsForAnAccount()
{
    const QByteArray asked = "/Msntv/badge.html?account=irc/al%3Cb%3E%22ce@irc.example.org";
    const QByteArray statusPort = QByteArray::number(m_server->statusPort());
    for (const QByteArray &url : {status(asked), web(asked)}) {
        // As a proxy in front of the status port would say it, in capitals.
        const HttpFetch page = HttpFetch::get(url, 20'000, {{"Host", "Status.Example.org:8080"}});
        QCOMPARE(page.status, 200);
        const QByteArray origin = "http://status.example.org:" + (url.startsWith(status("")) ? QByteArray("8080") : statusPort);
        QCOMPARE(page.header("Content-Security-Policy"), BadgePage::policy(QString::fromLatin1(origin)));
        QVERIFY(page.header("Content-Security-Policy").contains("img-src 'self' " + origin + ';'));
        QVERIFY(!page.body.contains("<script") && !page.body.contains("<b>") && !page.body.contains("\"ce"));
        const QByteArray encoded = origin + "/irc/al%3Cb%3E%22ce@irc.example.org";
        // The live badges, light and dark, and the picture.
        QVERIFY(page.body.contains("<img src=\"" + encoded + "?format=svg&amp;theme=light\" alt=\"IRC status of al&lt;b&gt;&quot;ce on irc.example.org\">"));
        QVERIFY(page.body.contains("<img src=\"" + encoded + "?format=svg&amp;theme=dark\""));
        QVERIFY(page.body.contains("<img src=\"" + encoded + "\""));
        // The snippets, as text: what is pasted is the HTML once escaped.
        QVERIFY(page.body.contains("&lt;source media=&quot;(prefers-color-scheme: dark)&quot; srcset=&quot;" + encoded
                                   + "?format=svg&amp;amp;theme=dark&quot;&gt;"));
        QVERIFY(page.body.contains("&lt;img src=&quot;" + encoded + "?format=svg&quot; alt=&quot;IRC status of al&amp;lt;b&amp;gt;&amp;quot;ce on irc.example.org&quot;&gt;"));
        QVERIFY(page.body.contains("![IRC status of al&lt;b&gt;&quot;ce on irc.example.org](" + encoded + "?format=svg)"));
        QVERIFY(page.body.contains("[img]" + encoded + "[/img]"));
        QVERIFY(page.body.contains("shields.io badge: https://img.shields.io/endpoint?url=http%3A%2F%2Fstatus.example.org"));
        // The alternative text names the account, never its status.
        QVERIFY(!page.body.contains("online") && !page.body.contains("offline"));
        // Every snippet is readonly text to copy.
        QCOMPARE(page.body.count("<textarea readonly"), 3);
    }
    // No Host worth the name: the addresses are relative to the page.
    for (const QByteArray &host : {QByteArray("evil.example/\"><script>"), QByteArray("a b"), QByteArray("[::g]:80"),
                                   QByteArray("x.example:99999"), QByteArray("x.example:0")}) {
        const HttpFetch page = HttpFetch::get(status("/Msntv/badge.html?account=msn/bob@hotmail.com"), 20'000, {{"Host", host}});
        QVERIFY2(page.body.contains("<img src=\"/msn/bob@hotmail.com?format=svg&amp;theme=light\""), host.constData());
        QCOMPARE(page.header("Content-Security-Policy"), BadgePage::policy({}));
        QVERIFY(!page.body.contains("shields.io"));
    }
    QCOMPARE(BadgePage::origin("[::1]:6969", true, 6969), QStringLiteral("http://[::1]:6969"));
    QCOMPARE(BadgePage::origin("status.example.org", false, 6969), QStringLiteral("http://status.example.org:6969"));
    // The legend leads to it.
    QVERIFY(HttpFetch::get(web("/Msntv/")).body.contains("<a href=\"/Msntv/badge.html\">"));
}

void TestStatusHttp::theBadgePageGivesAReasonAndNoSnippetForABadAccount_data()
{
    QTest::addColumn<QByteArray>("account");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("none") << QByteArray() << QByteArray("no account given");
    QTest::newRow("no medium") << QByteArray("bob@hotmail.com") << QByteArray("no medium of that name");
    QTest::newRow("unknown medium") << QByteArray("gadu/%3Cb%3E") << QByteArray("no medium of that name");
    QTest::newRow("empty account") << QByteArray("msn/") << QByteArray("the account is empty");
    QTest::newRow("IRC without a server") << QByteArray("irc/alice") << QByteArray("an IRC account is nick@server");
    QTest::newRow("Jabber without a domain") << QByteArray("jabber/alice@") << QByteArray("a Jabber account is name@domain");
    QTest::newRow("control character") << QByteArray("msn/a%0Ab") << QByteArray("the account holds spaces or control characters");
    QTest::newRow("too long") << "msn/" + QByteArray(BadgePage::maxAccountLength + 1, 'a') << QByteArray("the account is longer than 512 characters");
}

void TestStatusHttp::theBadgePageGivesAReasonAndNoSnippetForABadAccount()
{
    QFETCH(QByteArray, account);
    QFETCH(QByteArray, reason);
    const HttpFetch page = HttpFetch::get(web("/Msntv/badge.html?account=" + account));
    QCOMPARE(page.status, 200);
    QVERIFY2(page.body.contains("<p class=\"reason\">No badge: " + reason), page.body.constData());
    QVERIFY(!page.body.contains("<textarea") && !page.body.contains("<img") && !page.body.contains("<b>"));
}

void TestStatusHttp::anAddressOf100000CharactersIsAnswered()
{
    const QByteArray account = QByteArray(100'000, 'a') + "@127.0.0.1:" + QByteArray::number(m_irc.port());
    const HttpFetch answer = HttpFetch::get(status("/irc/" + account + "?format=json"));
    QCOMPARE(answer.status, 200);
    const QJsonObject json = QJsonDocument::fromJson(answer.body).object();
    QCOMPARE(json.value("account").toString().size(), account.size());
    QCOMPARE(json.value("reason").toString(), Reasons::wording(Reason::NotAnIrcIdentity));
    // Non-Latin text, every character three escapes long.
    QByteArray wide;
    for (int i = 0; i < 100'000; ++i)
        wide += "%E6%97%A5";
    QCOMPARE(HttpFetch::get(status("/msn/" + wide + "?format=text")).body, QByteArray("unknown\n"));
}

void TestStatusHttp::requestsPastTheSizeBoundAreRefused()
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_server->statusPort());
    QVERIFY(socket.waitForConnected(2000));
    socket.write("GET /msn/" + QByteArray(2'000'000, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += socket.readAll(), socket.state() == QAbstractSocket::UnconnectedState), 5000);
    received += socket.readAll();
    QVERIFY2(received.startsWith("HTTP/1.1 431 "), received.left(60).constData());
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

void TestStatusHttp::connectionsPastTheBoundAreTurnedAway()
{
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 40; ++i) {
        held.push_back(std::make_unique<QTcpSocket>());
        held.back()->connectToHost(QHostAddress::LocalHost, m_server->statusPort());
        QVERIFY(held.back()->waitForConnected(2000));
    }
    QTcpSocket extra;
    extra.connectToHost(QHostAddress::LocalHost, m_server->statusPort());
    QTRY_COMPARE_WITH_TIMEOUT(extra.state(), QAbstractSocket::UnconnectedState, 1000);
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
    QVERIFY(exchange(m_server->statusPort(), "POST /msn/bob HTTP/1.1\r\nContent-Length: 0\r\n\r\n", 300)
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
    // One proxied connection, three requests of one client that wait for a
    // network that never answers: the third is one too many for that client.
    const QByteArray waiting = "GET /irc/nick@127.0.0.1:" + QByteArray::number(silent.port())
                               + "?format=text HTTP/1.1\r\nX-Forwarded-For: 198.51.100.1\r\n\r\n";
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, proxied.statusPort());
    QVERIFY(QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 2000));
    socket.write(waiting + waiting + waiting);
    // Meanwhile another client through the same proxy is answered at once.
    const HttpFetch other = HttpFetch::get("http://127.0.0.1:" + QByteArray::number(proxied.statusPort())
                                               + "/msn/bob?format=text",
                                           20'000, {{"X-Forwarded-For", "198.51.100.2"}});
    QCOMPARE(other.body, QByteArray("unknown\n"));
    QVERIFY2(other.elapsedMs < 500, qPrintable(QString::number(other.elapsedMs)));
    QByteArray answers;
    QTRY_VERIFY_WITH_TIMEOUT((answers += socket.readAll()).count("HTTP/1.1 ") == 3, 5000);
    QCOMPARE(answers.count("HTTP/1.1 200 OK"), 2);
    QCOMPARE(answers.count("HTTP/1.1 429 "), 1);
}

QTEST_GUILESS_MAIN(TestStatusHttp)
#include "tst_statushttp.moc"
