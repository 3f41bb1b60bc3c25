#pragma once

#include <QByteArray>
#include <QString>

// The page that writes a status badge's snippets for one account
// ("/Msntv/badge.html?account=irc/alice@irc.libera.chat"): the live badge
// in the light and the dark theme and the status picture, then what to
// paste where (HTML, Markdown, BBCode) and the plain addresses. No script;
// the account is only ever text on it. An account the server cannot answer
// for gets the reason and no snippet.
class BadgePage
{
public:
    // asked: the account query ("irc/alice@irc.libera.chat"); origin: where
    // the status addresses are ("http://status.example.org:6969"), or empty
    // for addresses relative to the page.
    static QByteArray html(const QString &asked, const QString &origin);
    // The page's policy: its own styles, pictures from itself and the origin.
    static QByteArray policy(const QString &origin);

    // The origin of the status addresses from the Host a request came on,
    // with the status port in place of its own when it came on the web
    // port; empty when the Host is not a plain name or address (or the
    // server has no status port).
    // secure: the request came through a trusted proxy that speaks HTTPS.
    static QString origin(const QByteArray &host, bool onStatusPort, quint16 statusPort, bool secure = false);

    // Longer accounts get a reason, not a page of snippets: no medium's
    // address is that long, and the page stays small.
    static constexpr int maxAccountLength = 512;
};
