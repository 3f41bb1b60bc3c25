// The about window's background.
#include "canvas.h"
#include "pictures.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace {

const QColor aboutBlue(145, 190, 247);
const QColor stripLine(73, 100, 129);
const QSize aboutSize(498, 250);

// A yellow bar with a white gloss along its upper half.
void glossyBar(QPainter &painter, const QRectF &rect)
{
    Canvas::roundedBar(painter, rect, Canvas::yellowBar);
    const QRectF gloss(rect.left() + rect.height() / 2, rect.top() + 1.5,
                       rect.width() - rect.height(), rect.height() * 0.36);
    QLinearGradient shine(gloss.topLeft(), gloss.bottomLeft());
    shine.setColorAt(0, QColor(255, 255, 255, 220));
    shine.setColorAt(1, QColor(255, 255, 255, 40));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(shine);
    painter.drawRoundedRect(gloss, gloss.height() / 2, gloss.height() / 2);
    painter.restore();
}

// A strip across the window whose edge towards the field runs along the
// line's centre at edgeY and bends away round the bar, "away" being +1 for
// a strip above the field and -1 for one below it.
void barStrip(QPainter &painter, qreal edgeY, int away, const QRectF &bar)
{
    // The line on whole device pixels, so that it is as sharp at 1.5 × as
    // at 1 × and 2 ×.
    const QRectF line = Canvas::onPixels(painter, QRectF(0, edgeY - 0.5, 1, 1));
    edgeY = line.center().y();
    const qreal far = away > 0 ? -2 : aboutSize.height() + 2;
    const qreal bend = edgeY + away * 2;    // how far the edge gives way
    const qreal reach = bar.height() / 2 + 4; // where the bend starts, off the bar's end
    QPainterPath shape;
    shape.moveTo(-2, far);
    shape.lineTo(-2, edgeY);
    shape.lineTo(bar.left() - reach, edgeY);
    shape.cubicTo(bar.left(), edgeY, bar.left(), bend, bar.left() + reach, bend);
    shape.lineTo(bar.right() - reach, bend);
    shape.cubicTo(bar.right(), bend, bar.right(), edgeY, bar.right() + reach, edgeY);
    shape.lineTo(aboutSize.width() + 2, edgeY);
    shape.lineTo(aboutSize.width() + 2, far);
    shape.closeSubpath();

    const qreal top = away > 0 ? 0 : edgeY;
    const qreal bottom = away > 0 ? edgeY : aboutSize.height();
    QLinearGradient shade(0, top, 0, bottom);
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(1, QColor(214, 216, 220));
    painter.save();
    painter.setPen(QPen(stripLine, line.height()));
    painter.setBrush(shade);
    painter.drawPath(shape);
    painter.restore();
    glossyBar(painter, bar);
}

QImage aboutBackground(qreal ratio)
{
    QImage image = Canvas::blank(aboutSize, ratio, aboutBlue);
    QPainter painter;
    Canvas::begin(painter, image);
    barStrip(painter, 19.5, +1, QRectF(9, 5, 223, 11));
    barStrip(painter, 230.5, -1, QRectF(267, 234, 223, 11));
    return image;
}

} // namespace

std::vector<PictureDrawing> windowPictures()
{
    return {{QStringLiteral("about-background"), aboutSize, aboutBackground}};
}
