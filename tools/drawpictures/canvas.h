#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

// Drawing helpers shared by the pictures.
namespace Canvas {

// The light blue of the windows' field.
inline const QColor fieldBlue(143, 181, 230);

// An image of the logical size drawn for the device pixel ratio: as many
// pixels as PictureFiles::deviceSize gives, carrying the ratio, so that a
// painter on it keeps drawing in logical pixels and fine detail (curves,
// text) comes out at the device's resolution.
QImage blank(QSize size, qreal ratio, const QColor &fill = Qt::transparent);

// A painter with antialiasing on, ready to draw into the image.
void begin(QPainter &painter, QImage &image);

// The rectangle moved onto whole pixels of the device the painter draws on:
// its top-left rounded to the nearest pixel corner, its width and height to
// whole pixels, one at least. A line or rim one logical pixel wide stays
// sharp at 1.5 ×, two device pixels wide instead of one and a half blurred.
QRectF onPixels(const QPainter &painter, const QRectF &rect);

struct BarColours
{
    QColor fill;    // the bar's face
    QColor shade;   // along its top and bottom edge
    QColor outline; // the one-pixel rim
};

inline const BarColours yellowBar{QColor(255, 232, 80), QColor(214, 160, 20), QColor(95, 70, 0)};
inline const BarColours greyBar{QColor(207, 205, 210), QColor(168, 168, 174), QColor(90, 95, 100)};

// A horizontal bar with fully rounded ends filling the rectangle.
void roundedBar(QPainter &painter, const QRectF &rect, const BarColours &colours);

// Makes every pixel, each device pixel, fully opaque or fully transparent.
QImage hardAlpha(const QImage &image);

} // namespace Canvas
