#include "motifs.h"

#include "canvas.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>

namespace Motif {

namespace {

// Maps a square design grid of the given number of units onto the middle of
// a rectangle, so each motif is drawn once in its own units at any size.
class Grid
{
public:
    Grid(const QRectF &rect, qreal units)
        : m_scale(qMin(rect.width(), rect.height()) / units),
          m_origin(rect.center() - QPointF(units, units) * m_scale / 2)
    {
    }
    QPointF at(qreal x, qreal y) const { return m_origin + QPointF(x, y) * m_scale; }
    qreal len(qreal units) const { return units * m_scale; }
    QRectF box(qreal x, qreal y, qreal w, qreal h) const
    {
        return QRectF(at(x, y), QSizeF(w, h) * m_scale);
    }
    QRectF round(qreal x, qreal y, qreal radius) const
    {
        return box(x - radius, y - radius, 2 * radius, 2 * radius);
    }

private:
    qreal m_scale;
    QPointF m_origin;
};

QPen inkPen(const QColor &ink, qreal width = 1)
{
    return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Fills the shape and rims it with a one-pixel line.
void outlined(QPainter &painter, const QPainterPath &shape, const QBrush &fill, const QColor &ink)
{
    painter.setPen(inkPen(ink));
    painter.setBrush(fill);
    painter.drawPath(shape);
}

// A polyline through the points of the grid.
QPainterPath polyline(const Grid &grid, std::initializer_list<QPointF> points)
{
    QPainterPath path;
    for (const QPointF &point : points) {
        const QPointF mapped = grid.at(point.x(), point.y());
        if (path.elementCount() == 0)
            path.moveTo(mapped);
        else
            path.lineTo(mapped);
    }
    return path;
}

// Strokes drawn twice, wide in the ink then narrower in the colour, so that
// they get a rim; the round blobs get the same rim.
void rimmedStrokes(QPainter &painter, const QPainterPath &strokes, qreal width,
                   const std::vector<QRectF> &blobs, const QColor &colour, const QColor &ink)
{
    for (const auto &[paint, grow] : {std::pair{ink, 1.0}, std::pair{colour, 0.0}}) {
        painter.setPen(QPen(paint, width + 2 * grow, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(strokes);
        painter.setPen(Qt::NoPen);
        painter.setBrush(paint);
        for (const QRectF &blob : blobs)
            painter.drawEllipse(blob.adjusted(-grow, -grow, grow, grow));
    }
}

} // namespace

QColor grey(const QColor &colour)
{
    const int level = qGray(colour.rgb());
    return QColor(level, level, level, colour.alpha());
}

void greyed(QPainter &painter, const QRectF &rect, const Drawing &draw)
{
    // The layer has the device's pixels and lies on whole ones of them, so
    // it is drawn back without being resampled.
    const qreal ratio = painter.device()->devicePixelRatio();
    const QRect pixels = QRectF(rect.topLeft() * ratio, rect.size() * ratio).toAlignedRect();
    const QPointF origin = QPointF(pixels.topLeft()) / ratio;
    QImage layer(pixels.size(), QImage::Format_ARGB32);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    QPainter layerPainter;
    Canvas::begin(layerPainter, layer);
    layerPainter.translate(-origin);
    draw(layerPainter, rect);
    layerPainter.end();
    for (int y = 0; y < layer.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(layer.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const int level = qGray(line[x]);
            line[x] = qRgba(level, level, level, qAlpha(line[x]));
        }
    }
    painter.drawImage(origin, layer);
}

Drawing inGrey(const Drawing &draw)
{
    return [draw](QPainter &painter, const QRectF &rect) { greyed(painter, rect, draw); };
}

QFont boldFont(int pixelSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

void letters(QPainter &painter, const QRectF &rect, const QString &text, const QColor &colour)
{
    QPainterPath path;
    path.addText(0, 0, boldFont(100), text);
    const QRectF bounds = path.boundingRect();
    const qreal scale = qMin(rect.width() / bounds.width(), rect.height() / bounds.height());
    painter.save();
    painter.translate(rect.center());
    painter.scale(scale, scale);
    painter.translate(-bounds.center());
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(path);
    painter.restore();
}

QRectF tile(QPainter &painter, const QRect &rect, const TileLook &look)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The tile's pixel: one device pixel at 1 ×, two at 1.5 × and 2 ×, the
    // same at every edge, so that the rim is even.
    const qreal pixel = Canvas::onPixels(painter, QRectF(0, 0, 1, 1)).width();
    const QRectF outer = Canvas::onPixels(painter, rect);
    const QRectF inside = outer.adjusted(pixel, pixel, -pixel, -pixel);
    // A row of so many of those pixels across and down from the point.
    const auto dots = [pixel](qreal x, qreal y, int across, int down) {
        return QRectF(x, y, across * pixel, down * pixel);
    };
    painter.fillRect(inside, look.ground);
    // The rim without its corner pixels, which show what lies beneath.
    painter.fillRect(QRectF(inside.left(), outer.top(), inside.width(), pixel), look.frame);
    painter.fillRect(QRectF(inside.left(), inside.bottom(), inside.width(), pixel), look.frame);
    painter.fillRect(QRectF(outer.left(), inside.top(), pixel, inside.height()), look.frame);
    painter.fillRect(QRectF(inside.right(), inside.top(), pixel, inside.height()), look.frame);
    if (look.marks) {
        const QColor yellow(255, 220, 0);
        painter.fillRect(dots(inside.left(), outer.top(), 3, 1), yellow);
        painter.fillRect(dots(outer.left(), inside.top(), 1, 3), yellow);
        painter.fillRect(dots(inside.right() - 3 * pixel, inside.bottom(), 3, 1), yellow);
        painter.fillRect(dots(inside.right(), inside.bottom() - 3 * pixel, 1, 3), yellow);
    }
    for (const QPointF &corner : {outer.topLeft(), QPointF(inside.right(), outer.top()),
                                  QPointF(outer.left(), inside.bottom()), inside.bottomRight()})
        painter.fillRect(dots(corner.x(), corner.y(), 1, 1), look.corners);
    painter.restore();
    return inside;
}

void framed(QPainter &painter, const QRect &rect, const TileLook &look, const Drawing &draw,
            qreal inset)
{
    const QRectF interior = tile(painter, rect, look);
    painter.save();
    painter.setClipRect(interior);
    draw(painter, interior.adjusted(inset, inset, -inset, -inset));
    painter.restore();
}

QImage tilePicture(QSize size, const TileLook &look, const Drawing &draw, qreal inset, qreal ratio)
{
    QImage image = Canvas::blank(size, ratio);
    QPainter painter;
    Canvas::begin(painter, image);
    framed(painter, QRect(QPoint(0, 0), size), look, draw, inset);
    painter.end();
    return image;
}

void flower(QPainter &painter, const QRectF &rect, const QColor &petals, const QColor &centre,
            const QColor &ink)
{
    const Grid grid(rect, 16);
    painter.save();
    painter.setPen(inkPen(ink));
    painter.setBrush(petals);
    const int count = 7;
    for (int i = 0; i < count; ++i) {
        painter.save();
        painter.translate(grid.at(8, 8));
        painter.rotate(360.0 * i / count);
        painter.drawEllipse(QRectF(-grid.len(2.2), -grid.len(7.8), grid.len(4.4), grid.len(5.8)));
        painter.restore();
    }
    painter.setBrush(centre);
    painter.drawEllipse(grid.round(8, 8, 2.6));
    painter.restore();
}

void runner(QPainter &painter, const QRectF &rect, const QColor &body, const QColor &ink)
{
    const Grid grid(rect, 16);
    // The back, then the arms from hand to hand, then the legs from foot to foot.
    QPainterPath limbs = polyline(grid, {{9.6, 5.4}, {7.4, 9.4}});
    limbs.addPath(polyline(grid, {{4.0, 7.8}, {6.0, 5.6}, {9.2, 5.6}, {11.6, 7.8}, {14.0, 6.0}}));
    limbs.addPath(polyline(grid, {{1.4, 11.6}, {5, 12.4}, {7.4, 9.4}, {10.8, 10.6}, {10.4, 14.8}}));
    const QRectF head = grid.round(11.4, 2.6, 2.2);
    painter.save();
    rimmedStrokes(painter, limbs, qMax(grid.len(1.8), 1.4), {head}, body, ink);
    painter.restore();
}

void runnerOnDisc(QPainter &painter, const QRectF &rect, const QColor &body, const QColor &ink,
                  const QColor &disc)
{
    const Grid grid(rect, 16);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(grid.round(8, 8, 8));
    painter.restore();
    runner(painter, grid.box(2, 1.5, 12, 13), body, ink);
}

void questionMark(QPainter &painter, const QRectF &rect, const QColor &colour)
{
    const Grid grid(rect, 16);
    const QRectF bow = grid.round(8, 5.4, 3.6);
    QPainterPath hook;
    hook.arcMoveTo(bow, 170);
    hook.arcTo(bow, 170, -225);
    hook.quadTo(grid.at(8, 8.6), grid.at(8, 10.6));
    painter.save();
    painter.setPen(QPen(colour, grid.len(2.8), Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(hook);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(grid.round(8, 13.9, 1.7));
    painter.restore();
}

ButterflyColours plainButterfly(const QColor &wings, const QColor &ink)
{
    return {wings, wings, wings, wings, wings.darker(130), ink};
}

void butterfly(QPainter &painter, const QRectF &rect, const ButterflyColours &colours)
{
    const Grid grid(rect, 32);
    const QColor bodyInk = colours.ink.isValid() ? colours.ink : QColor(70, 40, 110);
    // One wing: an ellipse turned about its own centre.
    auto wing = [&](qreal x, qreal y, qreal w, qreal h, qreal angle, const QColor &colour) {
        painter.save();
        painter.translate(grid.at(x, y));
        painter.rotate(angle);
        painter.setPen(QPen(colours.ink.isValid() ? colours.ink : colour.darker(160), 1));
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(-grid.len(w) / 2, -grid.len(h) / 2, grid.len(w), grid.len(h)));
        painter.restore();
    };
    painter.save();
    wing(9.5, 10.5, 15, 11, 35, colours.upperLeft);
    wing(22.5, 10.5, 15, 11, -35, colours.upperRight);
    wing(10.5, 21.5, 11, 8, -30, colours.lowerLeft);
    wing(21.5, 21.5, 11, 8, 30, colours.lowerRight);
    painter.setPen(QPen(bodyInk, 1));
    painter.drawLine(grid.at(15.5, 7), grid.at(12.5, 3));
    painter.drawLine(grid.at(16.5, 7), grid.at(19.5, 3));
    painter.setBrush(colours.body);
    painter.drawRoundedRect(grid.box(14.5, 6.5, 3, 20), grid.len(1.5), grid.len(1.5));
    painter.restore();
}

QBrush chequered(const QColor &colour, int square)
{
    QImage pattern(2 * square, 2 * square, QImage::Format_ARGB32);
    pattern.fill(Qt::white);
    QPainter patternPainter(&pattern);
    patternPainter.fillRect(0, 0, square, square, colour);
    patternPainter.fillRect(square, square, square, square, colour);
    patternPainter.end();
    return QBrush(pattern);
}

void hattedSmiley(QPainter &painter, const QRectF &rect, const SmileyLook &look)
{
    const Grid grid(rect, 16);
    painter.save();
    painter.setPen(inkPen(look.ink));
    painter.setBrush(look.face);
    painter.drawEllipse(grid.box(2.2, 5.6, 11.6, 10));
    // The face: two eyes and a smile.
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.ink);
    painter.drawEllipse(grid.round(6.2, 9.6, 0.9));
    painter.drawEllipse(grid.round(9.8, 9.6, 0.9));
    painter.setPen(inkPen(look.ink, qMax(grid.len(1.0), 1.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(grid.box(5, 9.2, 6, 4.4), -25 * 16, -130 * 16);
    // The hat: a brim on the head, the "Y" rising from it, the "!" beside.
    QPainterPath hat;
    hat.addRoundedRect(grid.box(3.4, 5, 9.2, 2.4), grid.len(1.2), grid.len(1.2));
    QPainterPath y = polyline(grid, {{4.4, 0.4}, {7.6, 3.4}, {10.8, 0.4}});
    y.addPath(polyline(grid, {{7.6, 3}, {7.6, 5.6}}));
    QPainterPathStroker stroker;
    stroker.setWidth(grid.len(2.4));
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::MiterJoin);
    hat = hat.united(stroker.createStroke(y)).simplified();
    QPainterPath bang;
    bang.addRoundedRect(grid.box(12.8, 0.4, 2.4, 4.2), grid.len(0.8), grid.len(0.8));
    bang.addEllipse(grid.round(14, 6.2, 1.1));
    painter.setPen(inkPen(look.hatRim.isValid() ? look.hatRim : look.hat.darker(170)));
    painter.setBrush(look.hat);
    painter.drawPath(hat);
    painter.drawPath(bang);
    painter.restore();
}

void laughingSmiley(QPainter &painter, const QRectF &rect, const QColor &face, const QColor &ink)
{
    const Grid grid(rect, 16);
    const bool tiny = grid.len(16) < 10;
    painter.save();
    painter.setPen(inkPen(ink));
    painter.setBrush(face);
    painter.drawEllipse(grid.box(0.5, 0.5, 15, 15));
    if (tiny) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawEllipse(grid.round(5.5, 5.8, 1.3));
        painter.drawEllipse(grid.round(10.5, 5.8, 1.3));
        painter.drawChord(grid.box(3.5, 5.5, 9, 7.5), 0, -180 * 16);
    } else {
        // Eyes shut with laughing, and a wide open mouth.
        painter.setPen(inkPen(ink, grid.len(1.4)));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(polyline(grid, {{3.8, 7}, {5.5, 5}, {7, 7}}));
        painter.drawPath(polyline(grid, {{9, 7}, {10.5, 5}, {12.2, 7}}));
        painter.setPen(inkPen(ink, grid.len(1)));
        painter.setBrush(QColor(170, 20, 20));
        painter.drawChord(grid.box(3.2, 4.8, 9.6, 8.4), 0, -180 * 16);
    }
    painter.restore();
}

void hashSign(QPainter &painter, const QRectF &rect, const QColor &colour)
{
    const Grid grid(rect, 16);
    const qreal width = grid.len(2.2);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const qreal length = grid.len(12);
    for (qreal at : {5.6, 10.4}) {
        painter.drawRect(QRectF(grid.at(at, 2) - QPointF(width / 2, 0), QSizeF(width, length)));
        painter.drawRect(QRectF(grid.at(2, at) - QPointF(0, width / 2), QSizeF(length, width)));
    }
    painter.restore();
}

void lightBulb(QPainter &painter, const QRectF &rect, const QColor &glass, const QColor &ink,
               const QColor &base)
{
    const Grid grid(rect, 16);
    QPainterPath bulb;
    bulb.addEllipse(grid.round(8, 5.8, 5.2));
    QPainterPath neck;
    neck.addPolygon(QPolygonF({grid.at(4.2, 8.6), grid.at(11.8, 8.6), grid.at(10.4, 11.4),
                               grid.at(5.6, 11.4)}));
    bulb = bulb.united(neck).simplified();
    painter.save();
    QPainterPath screw;
    screw.addRoundedRect(grid.box(5.4, 11, 5.2, 3.6), grid.len(0.8), grid.len(0.8));
    screw.addEllipse(grid.box(6.6, 13.6, 2.8, 2));
    outlined(painter, screw.simplified(), base, ink);
    painter.setPen(inkPen(ink.lighter(150)));
    painter.drawLine(grid.at(5.6, 12.8), grid.at(10.4, 12.8));
    outlined(painter, bulb, glass, ink);
    painter.setPen(inkPen(QColor(255, 255, 255, 210), qMax(grid.len(1.3), 1.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(grid.round(8, 5.8, 3.3), 110 * 16, 70 * 16);
    painter.restore();
}

QRectF speechBubble(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink)
{
    const Grid grid(rect, 16);
    QPainterPath bubble;
    bubble.addEllipse(grid.box(0.8, 0.8, 14.4, 11));
    QPainterPath tail;
    tail.addPolygon(QPolygonF({grid.at(3.4, 9), grid.at(1.2, 15.2), grid.at(7.6, 11.2)}));
    painter.save();
    outlined(painter, bubble.united(tail).simplified(), fill, ink);
    painter.restore();
    return grid.box(3.2, 2.4, 9.6, 7.8);
}

void spiralBubble(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink)
{
    const QRectF room = speechBubble(painter, rect, fill, ink);
    QPainterPath spiral;
    const qreal turns = 2.2;
    const int steps = 60;
    for (int i = 0; i <= steps; ++i) {
        const qreal t = qreal(i) / steps;
        const qreal angle = t * turns * 2 * M_PI;
        const QPointF point(room.center().x() + std::cos(angle) * t * room.width() / 2,
                            room.center().y() + std::sin(angle) * t * room.height() / 2);
        if (i == 0)
            spiral.moveTo(point);
        else
            spiral.lineTo(point);
    }
    painter.save();
    painter.setPen(inkPen(ink, qMax(room.width() / 8, 1.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(spiral);
    painter.restore();
}

namespace {

// The Jabber balloon on a 16-unit grid, filled and rimmed: a box with round
// corners, its tail pointing down and out at the lower left.
void balloon(QPainter &painter, const Grid &grid, const QColor &fill, const QColor &ink)
{
    QPainterPath body;
    body.addRoundedRect(grid.box(0.8, 0.6, 14.4, 12.2), grid.len(4.2), grid.len(4.2));
    QPainterPath tail;
    tail.moveTo(grid.at(2.4, 10.6));
    tail.quadTo(grid.at(2.6, 13.8), grid.at(0.9, 15.4));
    tail.quadTo(grid.at(5, 14.8), grid.at(7, 12.6));
    tail.closeSubpath();
    painter.save();
    outlined(painter, body.united(tail).simplified(), fill, ink);
    painter.restore();
}

// A bold lower-case "j" with its stem at x: the dot, then the stem hooking
// to the left at its foot. Its strokes keep a pixel and a half at least, so
// the letter still reads in a 16-pixel icon.
void letterJ(QPainter &painter, const Grid &grid, qreal x, const QColor &colour)
{
    const qreal width = qMax(grid.len(2.4), 1.6);
    QPainterPath stem;
    stem.moveTo(grid.at(x, 5.2));
    stem.lineTo(grid.at(x, 8.8));
    stem.quadTo(grid.at(x, 11), grid.at(x - 2.6, 10.8));
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath j = stroker.createStroke(stem);
    j.addEllipse(QRectF(grid.at(x, 3) - QPointF(width, width) / 2, QSizeF(width, width)));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(j.simplified());
    painter.restore();
}

// A small clock face centred on the point, its hands at three o'clock:
// the sign of someone gone for a while. A crescent of that size reads as
// an "L" beside the "j".
void clockFace(QPainter &painter, const Grid &grid, qreal x, qreal y, const QColor &face,
               const QColor &hands)
{
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawEllipse(grid.round(x, y, 2.8));
    painter.setPen(inkPen(hands, qMax(grid.len(1), 1.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(polyline(grid, {{x, y - 1.8}, {x, y}, {x + 1.5, y}}));
    painter.restore();
}

} // namespace

void jabberBalloon(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink,
                   const QColor &mark)
{
    const Grid grid(rect, 16);
    balloon(painter, grid, fill, ink);
    letterJ(painter, grid, 9.2, mark);
}

void awayBalloon(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink,
                 const QColor &mark)
{
    const Grid grid(rect, 16);
    balloon(painter, grid, fill, ink);
    letterJ(painter, grid, 5.8, mark);
    clockFace(painter, grid, 11.4, 6.8, mark, fill);
}

void askingBalloon(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink,
                   const QColor &mark)
{
    const Grid grid(rect, 16);
    balloon(painter, grid, fill, ink);
    questionMark(painter, grid.box(3.6, 2.2, 8.8, 9.4), mark);
}

void person(QPainter &painter, const QRectF &rect, const QColor &colour, const QColor &ink)
{
    const Grid grid(rect, 16);
    QPainterPath body;
    body.moveTo(grid.at(2.2, 15.4));
    body.cubicTo(grid.at(2.2, 10.2), grid.at(4.6, 8.8), grid.at(8, 8.8));
    body.cubicTo(grid.at(11.4, 8.8), grid.at(13.8, 10.2), grid.at(13.8, 15.4));
    body.closeSubpath();
    QPainterPath head;
    head.addEllipse(grid.round(8, 4.6, 3.6));
    painter.save();
    outlined(painter, body, colour, ink);
    outlined(painter, head, colour.lighter(115), ink);
    painter.restore();
}

void letterLogo(QPainter &painter, const QRectF &rect, const LogoColours &colours)
{
    // Rims run along half units, so at twenty pixels across each is one crisp pixel.
    const Grid grid(rect, 20);
    // The "m": two rounded arches with their counters cut out.
    auto arch = [&](qreal left, qreal right, qreal top, qreal radius) {
        const qreal bottom = 9.5;
        QPainterPath path;
        const qreal corner = grid.len(radius);
        const QRectF box = grid.box(left, top, right - left, bottom - top + radius);
        path.addRoundedRect(box, corner, corner);
        QPainterPath below;
        below.addRect(grid.box(left - 1, bottom, right - left + 2, radius + 1));
        return path.subtracted(below);
    };
    QPainterPath m = arch(0.5, 11.5, 1.5, 3.5).united(arch(7.5, 18.5, 1.5, 3.5));
    m = m.subtracted(arch(4.5, 7.5, 3.5, 1.5)).subtracted(arch(11.5, 14.5, 3.5, 1.5));
    // Red letter blocks below it on the left: an "i" and an "r".
    QPainterPath blocks;
    blocks.addRect(grid.box(0.5, 11.5, 3, 7));
    QPainterPath r;
    r.addRect(grid.box(4.5, 11.5, 3, 7));
    r.addRect(grid.box(6.5, 11.5, 3.5, 3));
    blocks.addPath(r.simplified());
    // The curled letter at the lower right: a "C" with an eye, its mouth
    // open to the right.
    QPainterPath curl;
    const QRectF head = grid.box(10.5, 10.5, 9, 9);
    curl.moveTo(head.center());
    curl.arcTo(head, 30, 300);
    curl.closeSubpath();
    painter.save();
    outlined(painter, m.simplified(), colours.letterM, colours.ink);
    outlined(painter, blocks, colours.blocks, colours.ink);
    outlined(painter, curl, colours.curl, colours.ink);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.ink);
    painter.drawRect(grid.box(14, 12, 1.2, 1.4));
    painter.restore();
}

void swirlHeap(QPainter &painter, const QRectF &rect, const QColor &colour, const QColor &ink)
{
    const Grid grid(rect, 16);
    painter.save();
    // From the bottom coil up, each coil resting on the one below.
    const QRectF coils[] = {grid.box(0.6, 10.6, 14.8, 5), grid.box(2, 7.4, 12, 4.6),
                            grid.box(3.6, 4.6, 8.8, 4)};
    for (const QRectF &coil : coils) {
        QLinearGradient shade(coil.topLeft(), coil.bottomLeft());
        shade.setColorAt(0, colour.lighter(135));
        shade.setColorAt(1, colour.darker(115));
        QPainterPath path;
        path.addRoundedRect(coil, coil.height() / 2, coil.height() / 2);
        outlined(painter, path, shade, ink);
    }
    // The tip, curled over.
    QPainterPath tip;
    tip.moveTo(grid.at(5.6, 5.2));
    tip.cubicTo(grid.at(6.4, 1.6), grid.at(10.6, 0.8), grid.at(10, 3.2));
    tip.cubicTo(grid.at(9.6, 4.2), grid.at(9.6, 4.8), grid.at(10.6, 5.2));
    tip.closeSubpath();
    outlined(painter, tip, colour.lighter(130), ink);
    painter.restore();
}

void flag(QPainter &painter, const QRectF &rect)
{
    const Grid grid(rect, 8);
    const QColor colours[] = {QColor(240, 90, 20), QColor(60, 180, 40), QColor(30, 90, 230),
                              QColor(255, 205, 0)};
    painter.save();
    painter.setPen(inkPen(Qt::black, qMax(grid.len(0.8), 1.0)));
    painter.drawLine(grid.at(0.6, 0.4), grid.at(0.6, 8));
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(colours[i]);
        painter.drawRect(grid.box(1 + 3.4 * (i % 2), 0.4 + 2.6 * (i / 2), 3.4, 2.6));
    }
    painter.restore();
}

void pillBadge(QPainter &painter, const QRectF &rect, const QString &word, qreal covered)
{
    const QRectF rim = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient shade(rim.topLeft(), rim.bottomLeft());
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(1, QColor(184, 196, 214));
    QPainterPath pill;
    pill.addRoundedRect(rim, rim.height() / 2, rim.height() / 2);
    painter.save();
    outlined(painter, pill, shade, QColor(60, 70, 90));
    // The word as large as fits between the covered part and the round end.
    const QRectF room = rect.adjusted(covered + 1, 0, -rect.height() / 4, 0);
    int size = qRound(rect.height() * 0.62);
    while (size > 6 && QFontMetrics(boldFont(size)).horizontalAdvance(word) > room.width())
        --size;
    painter.setFont(boldFont(size));
    painter.setPen(Qt::black);
    painter.drawText(room, Qt::AlignCenter, word);
    painter.restore();
}

} // namespace Motif
