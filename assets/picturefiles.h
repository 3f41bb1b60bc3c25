#pragma once

#include <QSize>
#include <QString>

// Where the program's pictures are: drawn by tools/drawpictures at build time
// and bundled as resources, so every part that shows or serves a picture
// uses the same file. The generator names its files by the same rules.
namespace PictureFiles {

// The device pixel ratios the windows' pictures are drawn for, lowest first.
// The status server's pictures are drawn for the first only.
inline constexpr qreal ratios[] = {1, 1.5, 2};

// The ratio to take for a screen of that device pixel ratio: the lowest drawn
// ratio not below it, so a picture is only ever reduced, or the highest.
qreal drawnRatio(qreal screenRatio);

// The size in device pixels of a picture of that logical size drawn for the
// ratio: each side times the ratio, rounded to the nearest pixel with halves
// up, as Qt rounds a window's size (307 at 1.5 gives 461).
QSize deviceSize(QSize logical, qreal ratio);

// The file of the picture of that name (without ".png") drawn for the ratio:
// "name.png" at 1, "name@1.5x.png", "name@2x.png".
QString fileName(const QString &name, qreal ratio = 1);

// The resource path of that file.
QString path(const QString &name, qreal ratio = 1);

} // namespace PictureFiles
