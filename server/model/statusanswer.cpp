#include "model/statusanswer.h"

#include "model/medium.h"

#include <algorithm>

QString StatusAnswer::who() const
{
    const Medium *known = Media::find(medium);
    const qsizetype at = account.indexOf(QLatin1Char('@'));
    return known && known->namesNetwork && at > 0 ? account.left(at) + QStringLiteral(" on ") + account.mid(at + 1)
                                                  : account + QStringLiteral(" on ") + (known ? known->title : medium);
}

QString StatusAnswer::inWords() const
{
    const QString status = Presence::statusName(presence.status);
    if (presence.status == Presence::Unknown)
        return who() + QStringLiteral(": ") + status + QStringLiteral(", ") + presence.reasonText();
    const QString held = heldInWords();
    return who() + QStringLiteral(": ") + status + (held.isEmpty() ? QString() : u' ' + held);
}

namespace {

QString counted(qint64 count, const char *unit)
{
    return QString::number(count) + u' ' + QLatin1String(unit) + (count == 1 ? QString() : QStringLiteral("s"));
}

} // namespace

QString StatusAnswer::heldInWords() const
{
    if (!presence.since.isValid() || presence.status == Presence::Unknown)
        return {};
    const QDateTime since = presence.since.toUTC();
    const QDateTime now = checked.isValid() ? checked.toUTC() : since;
    // Someone gone is said to be gone since a time of day, as people say it;
    // someone here, for how long.
    if (presence.status == Presence::Offline) {
        const QString format = since.date() == now.date() ? QStringLiteral("HH:mm") : QStringLiteral("yyyy-MM-dd HH:mm");
        return QStringLiteral("since ") + since.toString(format) + QStringLiteral(" UTC");
    }
    const qint64 minutes = std::max<qint64>(0, since.secsTo(now)) / 60;
    if (minutes < 1)
        return QStringLiteral("for less than a minute");
    if (minutes < 120)
        return QStringLiteral("for ") + counted(minutes, "minute");
    if (minutes < 48 * 60)
        return QStringLiteral("for ") + counted(minutes / 60, "hour");
    return QStringLiteral("for ") + counted(minutes / (24 * 60), "day");
}
