#include "model/presence.h"

QString Presence::statusName(Status status)
{
    switch (status) {
    case Online: return QStringLiteral("online");
    case Away: return QStringLiteral("away");
    case Offline: return QStringLiteral("offline");
    case Unknown: return QStringLiteral("unknown");
    }
    return {};
}

QString Presence::reasonText() const
{
    const QString words = Reasons::wording(reason);
    return words.contains(QLatin1String("%1")) ? words.arg(about) : words;
}

Presence Presence::unknown(Reason why, const QString &about)
{
    Presence presence;
    presence.reason = why;
    presence.about = about;
    return presence;
}

Presence Presence::known(Status status, bool cached, const QDateTime &since)
{
    Presence presence;
    presence.status = status;
    presence.cached = cached;
    presence.since = since;
    return presence;
}
