#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

// The program's pictures and pointers as the windows show them, each drawn
// for the device pixel ratio of the primary screen: the file drawn for the
// nearest ratio not below the screen's (PictureFiles::drawnRatio), carrying
// that ratio, so that its size in logical pixels is the same on every screen
// and nothing is scaled up.
namespace Pictures {

// The picture of that name (without ".png"); a missing picture is a fault of
// the build, caught by the tests.
QPixmap get(const QString &name);

// A picture used as the mouse pointer, its hot spot at the centre as for any
// icon used as a pointer. Of a pointer drawn in several sizes ("name-16",
// "name-32", "name-48") the windows wear the 32-pixel one, like any other.
QCursor pointer(const QString &name);

// The picture in every size it is drawn in, for the window manager to take
// the one it shows.
QIcon icon(const QString &name);

} // namespace Pictures
