// The window background and the two bars laid under labels.
#include "canvas.h"
#include "pictures.h"

#include <QLinearGradient>

namespace {

const QColor stripGrey(239, 239, 239);
const QColor stripLine(73, 100, 129);
const QSize backgroundSize(307, 304);

// A light grey strip across the window with its dark line towards the field.
void strip(QPainter &painter, int top, int bottom, int lineRow)
{
    // Both reach past the right edge: at 1.5 × the picture is 461 device
    // pixels wide, a third of a logical pixel more than 307.
    const int width = backgroundSize.width() + 1;
    QLinearGradient grey(0, top, 0, bottom);
    grey.setColorAt(0, stripGrey.lighter(103));
    grey.setColorAt(1, stripGrey.darker(102));
    painter.fillRect(QRect(0, top, width, bottom - top + 1), grey);
    painter.fillRect(Canvas::onPixels(painter, QRectF(0, lineRow, width, 1)), stripLine);
}

QImage windowBackground(qreal ratio)
{
    QImage image = Canvas::blank(backgroundSize, ratio, Canvas::fieldBlue);
    QPainter painter;
    Canvas::begin(painter, image);
    strip(painter, 0, 20, 20);
    strip(painter, 280, 303, 280);
    Canvas::roundedBar(painter, QRectF(3, 3, 231, 15), Canvas::yellowBar);
    Canvas::roundedBar(painter, QRectF(74, 284, 227, 17), Canvas::yellowBar);
    return image;
}

QImage bar(QSize size, const Canvas::BarColours &colours, qreal ratio)
{
    QImage image = Canvas::blank(size, ratio, Canvas::fieldBlue);
    QPainter painter;
    Canvas::begin(painter, image);
    Canvas::roundedBar(painter, QRectF(QPointF(0, 0), size), colours);
    return image;
}

} // namespace

std::vector<PictureDrawing> framePictures()
{
    return {
        {QStringLiteral("background"), backgroundSize, windowBackground},
        {QStringLiteral("fieldbar"), {90, 15},
         [](qreal ratio) { return bar({90, 15}, Canvas::yellowBar, ratio); }},
        {QStringLiteral("buttonbar"), {90, 14},
         [](qreal ratio) { return bar({90, 14}, Canvas::greyBar, ratio); }},
    };
}
