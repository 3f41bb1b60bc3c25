// Mouse pointers showing the messengers' logos, drawn afresh at each size.
#include "canvas.h"
#include "motifs.h"
#include "pictures.h"

namespace {

// Draws the picture at one size for the ratio, with the hard edges a
// pointer needs.
QImage pointer(int size, const std::function<void(QPainter &, qreal)> &draw, qreal ratio)
{
    QImage image = Canvas::blank({size, size}, ratio);
    QPainter painter;
    Canvas::begin(painter, image);
    draw(painter, size);
    painter.end();
    return Canvas::hardAlpha(image);
}

// A purple speech bubble saying "Y!", a laughing face in front of it.
void yahooBubble(QPainter &painter, qreal size)
{
    const QColor purple(112, 36, 170);
    const QRectF bubble(0, 0, size * 0.84, size * 0.84);
    const QRectF room = Motif::speechBubble(painter, bubble, purple, purple.darker(170));
    Motif::letters(painter, room.adjusted(0, -room.height() * 0.1, 0, 0), QStringLiteral("Y!"),
                   Qt::white);
    const qreal face = size * 0.5 - 0.5;
    Motif::laughingSmiley(painter, QRectF(size - face - 0.5, size - face - 0.5, face, face),
                          QColor(255, 214, 0), QColor(60, 30, 0));
}

void orangeRunner(QPainter &painter, qreal size)
{
    Motif::runner(painter, QRectF(0, 0, size, size).adjusted(0.5, 0.5, -0.5, -0.5),
                  QColor(255, 176, 0), QColor(130, 60, 0));
}

// The windows wear the 32-pixel pointer, drawn for every ratio (at 1.5 × it
// is the 48-pixel pointer); the 16-pixel one is stored as drawn, at 1 × only.
PictureDrawing sized(const QString &name, int size, void (*draw)(QPainter &, qreal))
{
    return {QStringLiteral("%1-%2").arg(name).arg(size), {size, size},
            [=](qreal ratio) { return pointer(size, draw, ratio); }, size == 32};
}

} // namespace

std::vector<PictureDrawing> logoPointerPictures()
{
    std::vector<PictureDrawing> pictures;
    for (int size : {32, 16}) {
        pictures.push_back(sized(QStringLiteral("ybubble"), size, yahooBubble));
        pictures.push_back(sized(QStringLiteral("runner"), size, orangeRunner));
    }
    return pictures;
}
