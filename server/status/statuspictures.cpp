#include "statuspictures.h"

#include "statuslookup.h"

#include "assets/picturefiles.h"

QString StatusPictures::fileName(const QString &medium, StatusAnswer::Status status, int set)
{
    if (set > 0)
        return QStringLiteral("set%1-%2-%3.png").arg(set).arg(medium, StatusAnswer::statusName(status));
    if (status == StatusAnswer::Unknown)
        return QStringLiteral("unknown.png");
    const int column = int(QStringList{QStringLiteral("msn"), QStringLiteral("aim"), QStringLiteral("irc"),
                                       QStringLiteral("yahoo"), QStringLiteral("icq")}
                               .indexOf(medium)) + 1;
    return QStringLiteral("legend%1-%2.png").arg(column).arg(StatusAnswer::statusName(status));
}

QString StatusPictures::path(const QString &medium, StatusAnswer::Status status, int set)
{
    return PictureFiles::path(fileName(medium, status, set).chopped(4));
}

QStringList StatusPictures::all()
{
    QStringList names;
    for (int set = 0; set <= sets; ++set)
        for (const QString &medium : StatusLookup::media())
            for (auto status : {StatusAnswer::Online, StatusAnswer::Offline, StatusAnswer::Unknown})
                if (!names.contains(fileName(medium, status, set)))
                    names.append(fileName(medium, status, set));
    return names;
}
