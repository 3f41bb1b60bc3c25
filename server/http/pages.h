#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

class ServerStats;
class StatusLookup;

// The server's pages: HTML and CSS data files bundled as resources, with
// the live values filled in where a template names them ({{uptime}}). Every
// value is escaped, since network names in it were typed by strangers.
class Pages
{
public:
    Pages(const ServerStats &stats, const StatusLookup &lookup);

    struct Page
    {
        QByteArray body;
        QByteArray contentType;
    };
    // The page at the address path ("/Msntv/msnexe6.html"), if there is one.
    std::optional<Page> page(const QString &path) const;

    // The pages' policy: their own styles and pictures only, no script.
    static const QByteArray policy;

private:
    QHash<QString, QString> values() const;
    QString networkRows() const;
    QString lookupCounts() const;
    QString clusterCounts() const;
    static QString legendRows();
    static QString fill(const QString &text, const QHash<QString, QString> &values);
    static QString uptime(qint64 seconds);

    const ServerStats &m_stats;
    const StatusLookup &m_lookup;
};
