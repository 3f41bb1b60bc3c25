#pragma once

#include <QString>
#include <QStringList>

// Every host name the program knows. All of them lie under names reserved
// for examples, so that the program never reaches a stranger's server.
namespace Hosts {

// The author group's web server: the web views' start pages, the donation
// page and server row 1 (the status checker on port 6969).
inline const QString groupServer = QStringLiteral("telmik-brasko.example");

// The author's web site, and the form the About window's web view starts on.
inline const QString authorSite = QStringLiteral("brasko.example");
inline const QString authorSiteWww = QStringLiteral("www.brasko.example");

// Hosts of the public status servers of server rows 2 to 12 and 14; row 13
// is row 12's host on another port.
inline const QString statusServer2 = QStringLiteral("osi.status-b.example");
inline const QString statusServer3 = QStringLiteral("osi.status-c.example");
inline const QString statusServer4 = QStringLiteral("osi.status-d.example");
inline const QString statusServer5 = QStringLiteral("osi.status-e.example");
inline const QString statusServer6 = QStringLiteral("osi.status-f.example");
inline const QString statusServer7 = QStringLiteral("osi.status-g.example");
inline const QString statusServer8 = QStringLiteral("osi.status-h.example");
inline const QString statusServer9 = QStringLiteral("osi.status-i.example");
inline const QString statusServer10 = QStringLiteral("osi.status-j.example");
inline const QString statusServer11 = QStringLiteral("osi.status-k.example");
inline const QString statusServer12 = QStringLiteral("osi.status-l.example");
inline const QString statusServer14 = QStringLiteral("osi.status-n.example");

// The e-mail domains of the messenger window's domain box (real ones: they
// are only ever text in an address, never contacted by the program).
inline const QString aolMail = QStringLiteral("aol.com");
inline const QString hotmailMail = QStringLiteral("hotmail.com");
inline const QString msnMail = QStringLiteral("msn.com");
inline const QString webtvMail = QStringLiteral("webtv.net");

// An example IRC identity (nick@ircserver), shown as text only.
inline const QString exampleIrcIdentity = QStringLiteral("Telmik@irc.libera.chat");

// Contact address of the help text.
inline const QString contactAddress = QStringLiteral("telmik@telmik-brasko.example");

// "http://" + host + path: the form of every address the program opens.
inline QString address(const QString &host, const QString &path)
{
    return QStringLiteral("http://") + host + path;
}

} // namespace Hosts
