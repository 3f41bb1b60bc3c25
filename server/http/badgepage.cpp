#include "http/badgepage.h"

#include "http/markup.h"
#include "model/medium.h"
#include "model/statusanswer.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

// What is wrong with the account asked for, in words; empty when nothing.
QString problem(const QString &asked, const Medium *medium, const QString &account)
{
    if (asked.isEmpty())
        return QStringLiteral("no account given: write it as medium/account, e.g. irc/alice@irc.libera.chat");
    if (!medium)
        return QStringLiteral("no medium of that name: it is irc, jabber, msn, aim, yahoo or icq, then / and the account");
    if (account.isEmpty())
        return QStringLiteral("the account is empty");
    if (account.size() > BadgePage::maxAccountLength)
        return QStringLiteral("the account is longer than %1 characters").arg(BadgePage::maxAccountLength);
    for (const QChar c : account)
        if (c.category() == QChar::Other_Control || c.isSpace())
            return QStringLiteral("the account holds spaces or control characters");
    const qsizetype at = account.indexOf(QLatin1Char('@'));
    const bool bothSides = at > 0 && at < account.size() - 1;
    if (medium->live && !bothSides)
        return medium->namesNetwork ? QStringLiteral("an IRC account is nick@server") : QStringLiteral("a Jabber account is name@domain");
    return {};
}

// The status addresses of the account and their snippets.
struct Addresses
{
    QString svg, light, dark, png, shields, json, text;
};

Addresses addresses(const QString &origin, const Medium &medium, const QString &account)
{
    const QString path = origin + QLatin1Char('/') + medium.name + QLatin1Char('/')
                         + QString::fromLatin1(QUrl::toPercentEncoding(account, "@:"));
    return {path + QStringLiteral("?format=svg"),  path + QStringLiteral("?format=svg&theme=light"),
            path + QStringLiteral("?format=svg&theme=dark"), path,
            path + QStringLiteral("?format=shields"), path + QStringLiteral("?format=json"),
            path + QStringLiteral("?format=text")};
}

// A snippet shown as text: each line escaped, the lines kept.
QByteArray shown(const QStringList &lines)
{
    QByteArrayList escaped;
    for (const QString &line : lines)
        escaped.append(Markup::escaped(line));
    return escaped.join('\n');
}

QByteArray snippet(const char *title, const QStringList &lines)
{
    return QByteArray("<h2>") + title + "</h2>\n<textarea readonly rows=\"" + QByteArray::number(lines.size() + 1)
           + "\" cols=\"90\" spellcheck=\"false\">" + shown(lines) + "</textarea>\n";
}

QString markdownText(QString text)
{
    for (const char *special : {"\\", "[", "]"})
        text.replace(QLatin1String(special), QLatin1Char('\\') + QLatin1String(special));
    return text;
}

QByteArray snippets(const Addresses &at, const QString &alt, const QString &origin)
{
    const QString attribute = QString::fromUtf8(Markup::escaped(alt));
    auto amp = [](QString address) { return address.replace(QLatin1Char('&'), QLatin1String("&amp;")); };
    QByteArray html = snippet("HTML", {QStringLiteral("<picture>"),
                                       QStringLiteral("  <source media=\"(prefers-color-scheme: dark)\" srcset=\"%1\">").arg(amp(at.dark)),
                                       QStringLiteral("  <img src=\"%1\" alt=\"%2\">").arg(at.svg, attribute),
                                       QStringLiteral("</picture>")});
    html += snippet("Markdown", {QStringLiteral("![%1](%2)").arg(markdownText(alt), at.svg)});
    // Forums seldom take SVG: the status picture.
    html += snippet("BBCode", {QStringLiteral("[img]%1[/img]").arg(at.png)});
    QStringList plain{QStringLiteral("badge, following the reader's theme: ") + at.svg,
                      QStringLiteral("badge, light: ") + at.light, QStringLiteral("badge, dark: ") + at.dark,
                      QStringLiteral("status picture: ") + at.png, QStringLiteral("JSON: ") + at.json,
                      QStringLiteral("text: ") + at.text, QStringLiteral("shields endpoint JSON: ") + at.shields};
    if (!origin.isEmpty())
        plain.append(QStringLiteral("shields.io badge: https://img.shields.io/endpoint?url=")
                     + QString::fromLatin1(QUrl::toPercentEncoding(at.shields)));
    return html + "<h2>Addresses</h2>\n<pre>" + shown(plain) + "</pre>\n";
}

QByteArray head(const QString &value)
{
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Status badge</title>\n"
           "<link rel=\"stylesheet\" href=\"/Msntv/quorvane.css\"></head>\n<body class=\"page wide\">\n<h1>Status badge</h1>\n"
           "<form action=\"/Msntv/badge.html\" method=\"get\"><label>Account <input name=\"account\" size=\"48\" value=\""
           + Markup::escaped(value) + "\" placeholder=\"irc/alice@irc.libera.chat\"></label> <button>Show</button></form>\n";
}

} // namespace

QByteArray BadgePage::html(const QString &asked, const QString &origin)
{
    const qsizetype slash = asked.indexOf(QLatin1Char('/'));
    const Medium *medium = slash < 0 ? nullptr : Media::find(asked.left(slash));
    const QString account = slash < 0 ? QString() : asked.mid(slash + 1);
    QByteArray page = head(asked.left(maxAccountLength * 2));
    const QString wrong = problem(asked, medium, account);
    if (!wrong.isEmpty())
        return page + "<p class=\"reason\">No badge: " + Markup::escaped(wrong) + ".</p>\n</body></html>\n";

    // "IRC status of alice on irc.libera.chat", "MSN status of alice@hotmail.com": the medium named once.
    const QString alt = medium->title + QStringLiteral(" status of ")
        + (medium->namesNetwork ? StatusAnswer{medium->name, account, {}, {}}.who() : account);
    const Addresses at = addresses(origin, *medium, account);
    const QByteArray altText = Markup::escaped(alt);
    page += "<h2>" + altText + "</h2>\n<p class=\"badges\"><span class=\"on-light\"><img src=\""
            + Markup::escaped(at.light) + "\" alt=\"" + altText + "\"></span> <span class=\"on-dark\"><img src=\""
            + Markup::escaped(at.dark) + "\" alt=\"" + altText + "\"></span> <span class=\"on-light\"><img src=\""
            + Markup::escaped(at.png) + "\" alt=\"" + altText + "\"></span></p>\n"
            "<p>The badge says the status when it is read; it follows the reader's light or dark theme unless "
            "<code>&amp;theme=</code> names one. Its alternative text names the account, never a status that "
            "may have changed.</p>\n";
    return page + snippets(at, alt, origin) + "</body></html>\n";
}

QByteArray BadgePage::policy(const QString &origin)
{
    return "default-src 'none'; style-src 'self'; img-src 'self'" + (origin.isEmpty() ? QByteArray() : ' ' + origin.toLatin1())
           + "; base-uri 'none'; form-action 'self'; frame-ancestors 'none'";
}

QString BadgePage::origin(const QByteArray &host, bool onStatusPort, quint16 statusPort, bool secure)
{
    // Anchored at both ends of the text itself ("$" would let a last line feed pass).
    static const QRegularExpression plain(QRegularExpression::anchoredPattern(QStringLiteral(
        "(?:(\\[[0-9A-Fa-f:.]+\\])|([A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}"
        "[A-Za-z0-9])?)*))(?::([0-9]{1,5}))?")));
    const QRegularExpressionMatch match = plain.match(QString::fromLatin1(host.trimmed()));
    if (!match.hasMatch() || host.size() > 260 || statusPort == 0)
        return {};
    const QString bracketed = match.captured(1);
    if (!bracketed.isEmpty() && QHostAddress(bracketed.mid(1, bracketed.size() - 2)).protocol() != QAbstractSocket::IPv6Protocol)
        return {};
    const QString name = bracketed.isEmpty() ? match.captured(2).toLower() : bracketed.toLower();
    const QString port = onStatusPort ? match.captured(3) : QString::number(statusPort);
    if (!port.isEmpty() && (port.toUInt() == 0 || port.toUInt() > 65535))
        return {};
    return (secure ? QStringLiteral("https://") : QStringLiteral("http://")) + name + (port.isEmpty() ? QString() : QLatin1Char(':') + port);
}
