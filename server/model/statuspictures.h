#pragma once

#include "model/medium.h"
#include "model/presence.h"

#include <QString>
#include <QStringList>

// Which of the generated pictures shows an answer. By default the Help
// window's legend, each medium in its column ("legend3-online.png"), and the
// shared question mark for unknown. Sets 1 to 4 are the icon sets of the
// Status Icon Sets window, each icon drawn alone ("set2-irc-offline.png").
namespace StatusPictures {

inline constexpr int sets = 4;

// The file name of the picture; set 0 is the default.
QString fileName(const Medium &medium, Presence::Status status, int set);
// Its resource path.
QString path(const Medium &medium, Presence::Status status, int set);
// The states a medium's pictures show: away only where the medium has it.
QList<Presence::Status> states(const Medium &medium);
// The file names of every picture the server may answer with.
QStringList all();

} // namespace StatusPictures
