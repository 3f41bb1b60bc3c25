#include "model/statuspictures.h"

#include "assets/picturefiles.h"

namespace StatusPictures {

QString fileName(const Medium &medium, Presence::Status status, int set)
{
    const QString state = Presence::statusName(status);
    if (set > 0)
        return QStringLiteral("set%1-%2-%3.png").arg(set).arg(medium.name, state);
    if (status == Presence::Unknown)
        return QStringLiteral("unknown.png");
    return QStringLiteral("legend%1-%2.png").arg(medium.legendColumn).arg(state);
}

QString path(const Medium &medium, Presence::Status status, int set)
{
    return PictureFiles::path(fileName(medium, status, set).chopped(4));
}

QList<Presence::Status> states(const Medium &medium)
{
    if (medium.showsAway)
        return {Presence::Online, Presence::Away, Presence::Offline, Presence::Unknown};
    return {Presence::Online, Presence::Offline, Presence::Unknown};
}

QStringList all()
{
    QStringList names;
    for (int set = 0; set <= sets; ++set)
        for (const Medium &medium : Media::all())
            for (const Presence::Status status : states(medium))
                if (!names.contains(fileName(medium, status, set)))
                    names.append(fileName(medium, status, set));
    return names;
}

} // namespace StatusPictures
