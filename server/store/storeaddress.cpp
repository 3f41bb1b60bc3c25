#include "store/storeaddress.h"

#include <QUrl>
#include <QUrlQuery>

namespace {

// Redis has 16 databases unless configured otherwise; more is a typing error.
constexpr int maxDatabase = 255;

std::optional<StoreAddress> refused(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return std::nullopt;
}

bool readDatabase(const QString &text, int *database)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0 || value > maxDatabase)
        return false;
    *database = value;
    return true;
}

} // namespace

std::optional<StoreAddress> StoreAddress::parse(const QString &url, QString *why)
{
    StoreAddress address;
    if (url.startsWith(QLatin1String("unix:"))) {
        const QString rest = url.mid(5);
        const int query = rest.indexOf(QLatin1Char('?'));
        address.unixPath = rest.left(query);
        if (!address.unixPath.startsWith(QLatin1Char('/')))
            return refused(why, QStringLiteral("a local socket is named by its whole path: unix:/run/redis/redis.sock"));
        if (query >= 0) {
            const QUrlQuery options(rest.mid(query + 1));
            if (!readDatabase(options.queryItemValue(QStringLiteral("db")), &address.database))
                return refused(why, QStringLiteral("the database is a number from 0 to %1").arg(maxDatabase));
        }
        return address;
    }
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.scheme() != QLatin1String("redis") || parsed.host().isEmpty())
        return refused(why, QStringLiteral("the store is redis://host:port/db or unix:/path"));
    if (!parsed.password().isEmpty() || !parsed.userName().isEmpty())
        return refused(why, QStringLiteral("the store's password is read from a file (--redis-password-file), "
                                           "never given on the command line"));
    address.host = parsed.host();
    const int port = parsed.port(6379);
    if (port <= 0)
        return refused(why, QStringLiteral("the store's port is a number from 1 to 65535"));
    address.port = quint16(port);
    const QString path = parsed.path().mid(1);
    if (!path.isEmpty() && !readDatabase(path, &address.database))
        return refused(why, QStringLiteral("the database is a number from 0 to %1").arg(maxDatabase));
    return address;
}

// One arg() for all the parts: a "%0" in a path or host is text, not a
// place for the next part.
QString StoreAddress::display() const
{
    if (!unixPath.isEmpty())
        return QStringLiteral("unix:%1?db=%2").arg(unixPath, QString::number(database));
    const QString shownHost = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return QStringLiteral("redis://%1:%2/%3").arg(shownHost, QString::number(port), QString::number(database));
}
