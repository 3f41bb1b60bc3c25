#include "canvas.h"

#include "assets/picturefiles.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace Canvas {

QImage blank(QSize size, qreal ratio, const QColor &fill)
{
    QImage image(PictureFiles::deviceSize(size, ratio), QImage::Format_ARGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(fill);
    return image;
}

void begin(QPainter &painter, QImage &image)
{
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);
}

QRectF onPixels(const QPainter &painter, const QRectF &rect)
{
    const qreal ratio = painter.device()->devicePixelRatio();
    const auto pixels = [ratio](qreal length) { return qMax(1, qRound(length * ratio)); };
    return QRectF(qRound(rect.left() * ratio) / ratio, qRound(rect.top() * ratio) / ratio,
                  pixels(rect.width()) / ratio, pixels(rect.height()) / ratio);
}

void roundedBar(QPainter &painter, const QRectF &rect, const BarColours &colours)
{
    const QRectF rim = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = rim.height() / 2;
    QLinearGradient face(rim.topLeft(), rim.bottomLeft());
    face.setColorAt(0.0, colours.shade);
    face.setColorAt(0.3, colours.fill.lighter(104));
    face.setColorAt(0.6, colours.fill);
    face.setColorAt(1.0, colours.shade);
    QPainterPath capsule;
    capsule.addRoundedRect(rim, radius, radius);
    painter.save();
    painter.setPen(QPen(colours.outline, 1));
    painter.setBrush(face);
    painter.drawPath(capsule);
    painter.restore();
}

QImage hardAlpha(const QImage &image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb pixel = line[x];
            if (qAlpha(pixel) < 128) {
                line[x] = qRgba(0, 0, 0, 0);
            } else {
                // Un-premultiplied colour, made opaque.
                line[x] = qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
            }
        }
    }
    return result;
}

} // namespace Canvas
