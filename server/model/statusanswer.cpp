#include "model/statusanswer.h"

#include "model/medium.h"

QString StatusAnswer::inWords() const
{
    const Medium *known = Media::find(medium);
    const qsizetype at = account.indexOf(QLatin1Char('@'));
    const QString who = known && known->namesNetwork && at > 0
                            ? account.left(at) + QStringLiteral(" on ") + account.mid(at + 1)
                            : account + QStringLiteral(" on ") + (known ? known->title : medium);
    const QString status = Presence::statusName(presence.status);
    if (presence.status != Presence::Unknown)
        return who + QStringLiteral(": ") + status;
    return who + QStringLiteral(": ") + status + QStringLiteral(", ") + presence.reasonText();
}
