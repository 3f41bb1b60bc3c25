#include "pages.h"

#include "assets/picturefiles.h"
#include "irc/ircpresence.h"
#include "status/serverstats.h"
#include "status/statuslookup.h"
#include "status/statuspictures.h"
#include "lookup/version.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Address path to the data file that holds it.
const QHash<QString, QString> &files()
{
    static const QHash<QString, QString> map{
        {QStringLiteral("/Msntv/"), QStringLiteral("index.html")},
        {QStringLiteral("/Msntv/msnexe6.html"), QStringLiteral("msnexe6.html")},
        {QStringLiteral("/Msntv/msnexe2.html"), QStringLiteral("msnexe2.html")},
        {QStringLiteral("/Msntv/msnexe4.html"), QStringLiteral("msnexe4.html")},
        {QStringLiteral("/Msntv/statusexe2.html"), QStringLiteral("statusexe2.html")},
        {QStringLiteral("/Msntv/msn2.html"), QStringLiteral("msn2.html")},
        {QStringLiteral("/Msntv/thanks.html"), QStringLiteral("thanks.html")},
        {QStringLiteral("/Msntv/quorvane.css"), QStringLiteral("quorvane.css")},
    };
    return map;
}

// The networks the status page lists by name; it must fit its web view.
constexpr int listedNetworks = 5;

const QHash<QString, QString> mediumNames{
    {QStringLiteral("msn"), QStringLiteral("MSN")},     {QStringLiteral("aim"), QStringLiteral("AIM")},
    {QStringLiteral("yahoo"), QStringLiteral("Yahoo!")}, {QStringLiteral("icq"), QStringLiteral("ICQ")},
    {QStringLiteral("irc"), QStringLiteral("IRC")},
};

} // namespace

Pages::Pages(const ServerStats &stats, const IrcPresence &irc, int maxNetworks)
    : m_stats(stats), m_irc(irc), m_maxNetworks(maxNetworks)
{
}

std::optional<Pages::Page> Pages::page(const QString &path) const
{
    static const QString pictures = QStringLiteral("/Msntv/pictures/");
    if (path.startsWith(pictures)) {
        const QString name = path.mid(pictures.size());
        QFile file(PictureFiles::path(name.chopped(4)));
        if (!StatusPictures::all().contains(name) || !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return Page{file.readAll(), "image/png"};
    }
    const QString name = files().value(path);
    QFile file(QStringLiteral(":/pages/") + name);
    if (name.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (name.endsWith(QLatin1String(".css")))
        return Page{file.readAll(), "text/css; charset=utf-8"};
    return Page{fill(QString::fromUtf8(file.readAll()), values()).toUtf8(), "text/html; charset=utf-8"};
}

// The template with each {{name}} replaced by its value, in one pass, so a
// value that holds braces is never read as a placeholder.
QString Pages::fill(const QString &text, const QHash<QString, QString> &values)
{
    static const QRegularExpression placeholder(QStringLiteral("\\{\\{([a-z]+)\\}\\}"));
    QString filled;
    qsizetype at = 0;
    for (auto match = placeholder.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        filled += text.mid(at, found.capturedStart() - at) + values.value(found.captured(1));
        at = found.capturedEnd();
    }
    return filled + text.mid(at);
}

QHash<QString, QString> Pages::values() const
{
    const int networks = int(m_irc.networks().size());
    const bool busy = networks >= m_maxNetworks;
    return {
        {QStringLiteral("product"), QString::fromLatin1(Version::product).toHtmlEscaped()},
        {QStringLiteral("version"), QString::fromLatin1(Version::text).toHtmlEscaped()},
        {QStringLiteral("company"), QString::fromLatin1(Version::company).toHtmlEscaped()},
        {QStringLiteral("ready"), busy ? QStringLiteral("Server busy: every IRC connection in use.")
                                       : QStringLiteral("Server ready.")},
        {QStringLiteral("readyclass"), busy ? QStringLiteral("busy") : QStringLiteral("ready")},
        {QStringLiteral("uptime"), uptime(m_stats.uptimeSeconds())},
        {QStringLiteral("lookups"), lookupCounts()},
        {QStringLiteral("cachehits"), QString::number(m_stats.cacheHits())},
        {QStringLiteral("networkcount"), QString::number(networks)},
        {QStringLiteral("maxnetworks"), QString::number(m_maxNetworks)},
        {QStringLiteral("networks"), networkRows()},
        {QStringLiteral("legend"), legendRows()},
    };
}

QString Pages::lookupCounts() const
{
    QStringList counts;
    for (const QString &medium : StatusLookup::media())
        counts.append(QStringLiteral("%1 %2").arg(mediumNames.value(medium)).arg(m_stats.lookups(medium)));
    return counts.join(QStringLiteral(", "));
}

QString Pages::networkRows() const
{
    const QList<IrcPresence::NetworkState> networks = m_irc.networks();
    if (networks.isEmpty())
        return QStringLiteral("<tr><td>none connected</td><td></td><td></td></tr>");
    QString rows;
    for (const IrcPresence::NetworkState &network : networks.mid(0, listedNetworks))
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                    .arg(network.name.toHtmlEscaped(), network.state.toHtmlEscaped())
                    .arg(network.queueLength);
    if (networks.size() > listedNetworks)
        rows += QStringLiteral("<tr><td>and %1 more</td><td></td><td></td></tr>").arg(networks.size() - listedNetworks);
    return rows;
}

// One row per medium and state, one column per picture set.
QString Pages::legendRows()
{
    QString rows = QStringLiteral("<tr><th></th><th>default</th>");
    for (int set = 1; set <= StatusPictures::sets; ++set)
        rows += QStringLiteral("<th>?set=%1</th>").arg(set);
    rows += QStringLiteral("</tr>\n");
    for (const QString &medium : StatusLookup::media())
        for (auto status : {StatusAnswer::Online, StatusAnswer::Offline, StatusAnswer::Unknown}) {
            const QString name = mediumNames.value(medium) + QLatin1Char(' ') + StatusAnswer::statusName(status);
            rows += QStringLiteral("<tr><th>%1</th>").arg(name.toHtmlEscaped());
            for (int set = 0; set <= StatusPictures::sets; ++set)
                rows += QStringLiteral("<td><img src=\"/Msntv/pictures/%1\" alt=\"%2\"></td>")
                            .arg(StatusPictures::fileName(medium, status, set), name.toHtmlEscaped());
            rows += QStringLiteral("</tr>\n");
        }
    return rows;
}

QString Pages::uptime(qint64 seconds)
{
    const qint64 days = seconds / 86400, hours = seconds / 3600 % 24, minutes = seconds / 60 % 60;
    if (days > 0)
        return QStringLiteral("%1 d %2 h").arg(days).arg(hours);
    if (hours > 0)
        return QStringLiteral("%1 h %2 min").arg(hours).arg(minutes);
    return QStringLiteral("%1 min %2 s").arg(minutes).arg(seconds % 60);
}
