#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

// One picture of the program: the file it is saved as, the exact size it
// must have, and the code that draws it.
struct PictureSpec
{
    QString file;
    QSize size;
    std::function<QImage()> draw;
};

// Background and bars shared by the windows.
std::vector<PictureSpec> framePictures();
// Mouse pointers and the program icon.
std::vector<PictureSpec> pointerPictures();
// Mouse pointers showing the messengers' logos, at three sizes each.
std::vector<PictureSpec> logoPointerPictures();
// Status samples of the ICQ and IRC windows.
std::vector<PictureSpec> statusPictures();
// The help window's legend icons.
std::vector<PictureSpec> legendPictures();
// The status icon sets to choose between.
std::vector<PictureSpec> iconSetPictures();
// Backgrounds of single windows.
std::vector<PictureSpec> windowPictures();

// The program icon, reduced to 256 colours with a one-bit transparency mask,
// as stored in the Windows icon file.
QImage programIcon();
