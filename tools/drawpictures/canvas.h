#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

// Drawing helpers shared by the pictures.
namespace Canvas {

// The light blue of the windows' field.
inline const QColor fieldBlue(143, 181, 230);

QImage blank(QSize size, const QColor &fill = Qt::transparent);

// A painter with antialiasing on, ready to draw into the image.
void begin(QPainter &painter, QImage &image);

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

// Makes every pixel fully opaque or fully transparent.
QImage hardAlpha(const QImage &image);

} // namespace Canvas
