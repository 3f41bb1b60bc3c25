#pragma once

#include <QCursor>
#include <QPixmap>

// The program's pictures and pointers as the windows show them.
namespace Pictures {

// The picture of that name (without ".png"); a missing picture is a fault of
// the build, caught by the tests.
QPixmap get(const QString &name);

// A picture used as the mouse pointer, its hot spot at the centre as for any
// icon used as a pointer. A pointer drawn in several sizes ("name-16",
// "name-32", "name-48") is taken in the size the screen wants.
QCursor pointer(const QString &name);

} // namespace Pictures
