#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

class IrcPresence;
class ServerStats;

// The server's pages: HTML and CSS data files bundled as resources, with
// the live values filled in where a template names them ({{uptime}}). Every
// value is escaped, since IRC host names in it were typed by strangers.
class Pages
{
public:
    Pages(const ServerStats &stats, const IrcPresence &irc, int maxNetworks);

    struct Page
    {
        QByteArray body;
        QByteArray contentType;
    };
    // The page at the address path ("/Msntv/msnexe6.html"), if there is one.
    std::optional<Page> page(const QString &path) const;

private:
    QHash<QString, QString> values() const;
    QString networkRows() const;
    QString lookupCounts() const;
    static QString legendRows();
    static QString fill(const QString &text, const QHash<QString, QString> &values);
    static QString uptime(qint64 seconds);

    const ServerStats &m_stats;
    const IrcPresence &m_irc;
    int m_maxNetworks;
};
