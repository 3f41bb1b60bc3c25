#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

// One picture of the program: its name (the file is named from it by
// PictureFiles::fileName), the exact size it must have in logical pixels,
// the code that draws it for a device pixel ratio, and whether it is drawn
// for every ratio of PictureFiles::ratios, as everything the windows show
// is, or at 1 × only.
struct PictureDrawing
{
    QString name;
    QSize size;
    std::function<QImage(qreal ratio)> draw;
    bool everyRatio = true;
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
// Legend icons in the same style for media the status server answers for
// but the help window does not show.
std::vector<PictureDrawing> serverLegendPictures();
// The status icon sets to choose between.
std::vector<PictureDrawing> iconSetPictures();
// Backgrounds of single windows.
std::vector<PictureDrawing> windowPictures();

// Writes the advance widths of the status badges' font, a C++ header for
// the status server; false, having said why, when the font is missing.
bool writeBadgeFontWidths(const QString &file);

// The program icon drawn for the ratio, reduced to 256 colours with a
// one-bit transparency mask, as stored in the Windows icon file at 1 ×.
QImage programIcon(qreal ratio = 1);
