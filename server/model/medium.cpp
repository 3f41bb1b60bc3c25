#include "model/medium.h"

namespace Media {

const QList<Medium> &all()
{
    // The legend's columns: MSN 1, AIM 2, IRC 3, Yahoo! 4, ICQ 5, as the
    // program's Help window shows them; Jabber's is the server's own sixth.
    static const QList<Medium> media{
        {QStringLiteral("msn"), {}, QStringLiteral("MSN"), 1, false, false, false},
        {QStringLiteral("aim"), {}, QStringLiteral("AIM"), 2, false, false, false},
        {QStringLiteral("yahoo"), {}, QStringLiteral("Yahoo!"), 4, false, false, false},
        {QStringLiteral("icq"), {}, QStringLiteral("ICQ"), 5, false, false, false},
        {QStringLiteral("irc"), {}, QStringLiteral("IRC"), 3, true, false, true},
        {QStringLiteral("jabber"), {QStringLiteral("xmpp")}, QStringLiteral("Jabber"), 6, true, true, false},
    };
    return media;
}

const Medium *find(const QString &name)
{
    for (const Medium &medium : all())
        if (medium.name == name || medium.aliases.contains(name))
            return &medium;
    return nullptr;
}

} // namespace Media
