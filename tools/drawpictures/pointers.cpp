// Mouse pointers and the program icon.
#include "canvas.h"
#include "motifs.h"
#include "pictures.h"

#include <QPainterPath>

namespace {

// The messenger butterfly with spread wings: blue over green on the left,
// orange-red over yellow on the right, a narrow violet body between them.
QImage butterfly(qreal ratio)
{
    QImage image = Canvas::blank({32, 32}, ratio);
    QPainter painter;
    Canvas::begin(painter, image);
    Motif::butterfly(painter, QRectF(0, 0, 32, 32), Motif::messengerButterfly);
    painter.end();
    return Canvas::hardAlpha(image);
}

// A grey messenger contact behind a red prohibition sign.
QImage iconArtwork(qreal ratio)
{
    QImage image = Canvas::blank({32, 32}, ratio);
    QPainter painter;
    Canvas::begin(painter, image);
    const QColor grey(150, 152, 156);
    painter.setPen(QPen(grey.darker(150), 1));
    painter.setBrush(grey);
    QPainterPath body;
    body.moveTo(7.5, 29.5);
    body.cubicTo(7.5, 19.5, 11.5, 17.5, 16, 17.5);
    body.cubicTo(20.5, 17.5, 24.5, 19.5, 24.5, 29.5);
    body.closeSubpath();
    painter.drawPath(body);
    painter.drawEllipse(QPointF(16, 11), 5.5, 5.5);
    const QColor red(214, 24, 24);
    painter.setPen(QPen(red, 3.5, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(16, 16), 13.5, 13.5);
    const qreal reach = 13.5 * 0.7071;
    painter.drawLine(QPointF(16 - reach, 16 - reach), QPointF(16 + reach, 16 + reach));
    painter.end();
    return image;
}

} // namespace

QImage programIcon(qreal ratio)
{
    const QImage opaque = Canvas::hardAlpha(iconArtwork(ratio));
    // 256 colours at most: an exact palette when the picture has that few,
    // the toolkit's colour cube otherwise.
    QImage indexed = opaque.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    return indexed.convertToFormat(QImage::Format_ARGB32);
}

std::vector<PictureDrawing> pointerPictures()
{
    return {
        {QStringLiteral("butterfly"), {32, 32}, butterfly},
        {QStringLiteral("quorvane"), {32, 32}, programIcon},
    };
}
