#pragma once

#include <QString>

// Where the program's pictures are: drawn by tools/drawpictures at build time
// and bundled as resources, so every part that shows or serves a picture
// uses the same file.
namespace PictureFiles {

// The resource path of the picture of that name (without ".png").
QString path(const QString &name);

} // namespace PictureFiles
