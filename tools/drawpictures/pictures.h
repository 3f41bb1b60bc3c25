#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

// One picture of the program: the file it is saved as, the exact size it
// must have, and the code that draws it.
struct PictureDrawing
{
    QString file;
    QSize size;
    std::function<QImage()> draw;
};

// Background and bars shared by the windows.
std::vector<PictureDrawing> framePictures();
// Mouse pointers and the program icon.
std::vector<PictureDrawing> pointerPictures();
// Mouse pointers showing the messengers' logos, at three sizes each.
std::vector<PictureDrawing> logoPointerPictures();
// Status samples of the ICQ and IRC windows.
std::vector<PictureDrawing> statusPictures();
// The help window's legend icons.
std::vector<PictureDrawing> legendPictures();
// The status icon sets to choose between.
std::vector<PictureDrawing> iconSetPictures();
// Backgrounds of single windows.
std::vector<PictureDrawing> windowPictures();

// The program icon, reduced to 256 colours with a one-bit transparency mask,
// as stored in the Windows icon file.
QImage programIcon();
