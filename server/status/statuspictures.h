#pragma once

#include "statusanswer.h"

#include <QString>
#include <QStringList>

// Which of the program's generated pictures shows an answer. By default the
// Help window's legend: MSN column 1, AIM column 2, IRC column 3 (the block
// letter logo, as on the IRC window), Yahoo! column 4, ICQ column 5, and
// the shared question mark for unknown. Sets 1 to 4 are the icon sets of
// the Status Icon Sets window, each icon drawn alone.
namespace StatusPictures {

// The file name of the picture ("legend3-online.png"); set 0 is the default.
QString fileName(const QString &medium, StatusAnswer::Status status, int set);
// Its resource path.
QString path(const QString &medium, StatusAnswer::Status status, int set);
// The file names of every picture the server may answer with.
QStringList all();

inline constexpr int sets = 4;

} // namespace StatusPictures
