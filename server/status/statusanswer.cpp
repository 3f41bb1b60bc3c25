#include "statusanswer.h"

QString StatusAnswer::statusName(Status status)
{
    switch (status) {
    case Online: return QStringLiteral("online");
    case Offline: return QStringLiteral("offline");
    case Unknown: return QStringLiteral("unknown");
    }
    return {};
}
