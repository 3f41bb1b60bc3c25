#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The media the server answers for, each named by the first part of a
// status address ("/irc/nick@host"). This catalogue is the one list of
// them: the lookup, the pictures and the pages read it. A medium that is
// checked live also needs its checker, which the server registers under
// the medium's name.
struct Medium
{
    QString name;        // as in the address and in answers: "irc"
    QStringList aliases; // other first parts that mean the same medium
    QString title;       // as people write it: "IRC"
    int legendColumn;    // its column of status pictures in the default set
    bool live;           // checked live; the others have closed
    bool showsAway;      // its accounts may be away, which has a picture of its own
    bool namesNetwork;   // an account "nick@server" names the network after the @
};

namespace Media {

// Every medium, in the order the pages list them.
const QList<Medium> &all();

// The medium an address names, by its name or an alias; null for none.
const Medium *find(const QString &name);

} // namespace Media
