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
