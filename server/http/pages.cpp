#include "http/pages.h"

#include "assets/picturefiles.h"
#include "lookup/version.h"
#include "model/medium.h"
#include "model/serverstats.h"
#include "model/statuspictures.h"
#include "service/statuslookup.h"

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
constexpr int listedNetworks = 5; // of each medium

// The rows of every live medium's checker, and how many it may hold.
struct Connections
{
    QList<PresenceChecker::Row> rows;
    int capacity = 0;
    bool full = false;
};

Connections connections(const StatusLookup &lookup)
{
    Connections all;
    for (const Medium &medium : Media::all())
        if (const PresenceChecker *checker = lookup.checker(medium.name)) {
            all.rows += checker->rows();
            all.capacity += checker->capacity();
            all.full = all.full || checker->full();
        }
    return all;
}

} // namespace

const QByteArray Pages::policy = "default-src 'none'; style-src 'self'; img-src 'self'; base-uri 'none'; "
                                 "form-action 'none'; frame-ancestors 'none'";

Pages::Pages(const ServerStats &stats, const StatusLookup &lookup) : m_stats(stats), m_lookup(lookup)
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
    const Connections held = connections(m_lookup);
    return {
        {QStringLiteral("product"), QString::fromLatin1(Version::product).toHtmlEscaped()},
        {QStringLiteral("version"), QString::fromLatin1(Version::text).toHtmlEscaped()},
        {QStringLiteral("company"), QString::fromLatin1(Version::company).toHtmlEscaped()},
        {QStringLiteral("ready"), held.full ? QStringLiteral("Server busy: every network connection in use.")
                                            : QStringLiteral("Server ready.")},
        {QStringLiteral("readyclass"), held.full ? QStringLiteral("busy") : QStringLiteral("ready")},
        {QStringLiteral("uptime"), uptime(m_stats.uptimeSeconds())},
        {QStringLiteral("lookups"), lookupCounts()},
        {QStringLiteral("cachehits"), QString::number(m_stats.cacheHits())},
        {QStringLiteral("cluster"), clusterCounts()},
        {QStringLiteral("networkcount"), QString::number(held.rows.size())},
        {QStringLiteral("maxnetworks"), QString::number(held.capacity)},
        {QStringLiteral("networks"), networkRows()},
        {QStringLiteral("legend"), legendRows()},
    };
}

QString Pages::lookupCounts() const
{
    QStringList counts;
    for (const Medium &medium : Media::all())
        counts.append(QStringLiteral("%1 %2").arg(medium.title).arg(m_stats.lookups(medium.name)));
    return counts.join(QStringLiteral(", "));
}

QString Pages::clusterCounts() const
{
    const ServerStats::Cluster &cluster = m_stats.cluster();
    if (cluster.instances == 0)
        return {};
    QStringList counts;
    for (const Medium &medium : Media::all())
        counts.append(QStringLiteral("%1 %2").arg(medium.title).arg(cluster.lookups.value(medium.name)));
    return QStringLiteral("<p>By the whole cluster of %1 (the line above is this instance's): %2; "
                          "from cache: %3.</p>")
        .arg(cluster.instances == 1 ? QStringLiteral("1 instance") : QStringLiteral("%1 instances").arg(cluster.instances),
             counts.join(QStringLiteral(", ")))
        .arg(cluster.cacheHits);
}

QString Pages::networkRows() const
{
    // Each live medium's first rows, so that many IRC networks do not hide
    // the Jabber account.
    QString html;
    for (const Medium &medium : Media::all()) {
        const PresenceChecker *checker = m_lookup.checker(medium.name);
        const QList<PresenceChecker::Row> rows = checker ? checker->rows() : QList<PresenceChecker::Row>();
        for (const PresenceChecker::Row &row : rows.mid(0, listedNetworks))
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                        .arg(row.name.toHtmlEscaped(), row.state.toHtmlEscaped(), row.mechanism.toHtmlEscaped())
                        .arg(row.waiting);
        if (rows.size() > listedNetworks)
            html += QStringLiteral("<tr><td>and %1 more</td><td></td><td></td><td></td></tr>\n")
                        .arg(rows.size() - listedNetworks);
    }
    return html.isEmpty() ? QStringLiteral("<tr><td>none connected</td><td></td><td></td><td></td></tr>") : html;
}

// One row per medium and state, one column per picture set.
QString Pages::legendRows()
{
    QString rows = QStringLiteral("<tr><th></th><th>default</th>");
    for (int set = 1; set <= StatusPictures::sets; ++set)
        rows += QStringLiteral("<th>?set=%1</th>").arg(set);
    rows += QStringLiteral("</tr>\n");
    for (const Medium &medium : Media::all())
        for (const Presence::Status status : StatusPictures::states(medium)) {
            const QString name = medium.title + QLatin1Char(' ') + Presence::statusName(status);
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
