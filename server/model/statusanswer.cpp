#include "model/statusanswer.h"

#include "model/medium.h"

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
    if (presence.status != Presence::Unknown)
        return who() + QStringLiteral(": ") + status;
    return who() + QStringLiteral(": ") + status + QStringLiteral(", ") + presence.reasonText();
}
