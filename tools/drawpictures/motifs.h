#pragma once

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QRect>
#include <QString>
#include <functional>
#include <type_traits>

// The small drawings the program's status pictures are made of. Each one
// draws itself scaled into the rectangle it is given, in the colours given,
// so the same flower or figure serves a 14-pixel icon and a 48-pixel pointer.
namespace Motif {

// Something drawn into a rectangle: a motif with its colours filled in.
using Drawing = std::function<void(QPainter &, const QRectF &)>;

template <typename T>
struct Given
{
    using Type = T;
};
// The motif as a drawing in these colours, e.g. with(flower, petals, centre, ink).
template <typename... Colours>
Drawing with(void (*motif)(QPainter &, const QRectF &, Colours...),
             typename Given<std::decay_t<Colours>>::Type... colours)
{
    return [=](QPainter &painter, const QRectF &rect) { motif(painter, rect, colours...); };
}

// The grey of the same lightness as the colour.
QColor grey(const QColor &colour);
// Draws the drawing in greys only, as offline pictures show it.
void greyed(QPainter &painter, const QRectF &rect, const Drawing &draw);
// The drawing in greys only.
Drawing inGrey(const Drawing &draw);

// Bold sans-serif lettering, as in the pictures' captions and badges.
QFont boldFont(int pixelSize);
// Letters scaled to fill the rectangle, centred in it.
void letters(QPainter &painter, const QRectF &rect, const QString &text, const QColor &colour);

// A small square frame: a one-pixel rim round a plain ground, its corner
// pixels left out so the corners look curved. Drawn for a ratio above 1 its
// pixels are squares of whole device pixels, the rim as crisp as at 1 ×.
struct TileLook
{
    QColor frame = Qt::black;
    QColor ground = Qt::white;
    QColor corners = Qt::transparent; // laid on the cut corners, else what is beneath shows
    bool marks = false;               // yellow ticks on the top-left and bottom-right corners
};
inline const QColor brownFrame(128, 64, 0);
// Draws the tile filling the rectangle; returns the rectangle inside its rim.
QRectF tile(QPainter &painter, const QRect &rect, const TileLook &look);
// The drawing on a tile filling the rectangle, kept the inset off its rim.
void framed(QPainter &painter, const QRect &rect, const TileLook &look, const Drawing &draw,
            qreal inset = 1);
// A picture of the given size, drawn for the ratio, that is just the drawing
// on a tile.
QImage tilePicture(QSize size, const TileLook &look, const Drawing &draw, qreal inset, qreal ratio);

// A daisy of outlined petals round a round centre.
void flower(QPainter &painter, const QRectF &rect, const QColor &petals, const QColor &centre,
            const QColor &ink);
inline const QColor flowerGreen(40, 200, 40);
inline const QColor flowerRed(225, 30, 30);
inline const QColor flowerCentre(255, 222, 0);

// A figure running to the right, its limbs outlined in the ink colour.
void runner(QPainter &painter, const QRectF &rect, const QColor &body, const QColor &ink);
// The same figure on a round disc filling the rectangle.
void runnerOnDisc(QPainter &painter, const QRectF &rect, const QColor &body, const QColor &ink,
                  const QColor &disc);
inline const QColor runnerYellow(255, 214, 0);
inline const QColor runnerOrange(255, 160, 0);
inline const QColor discBlue(30, 70, 200);

// A bold question mark.
void questionMark(QPainter &painter, const QRectF &rect, const QColor &colour);

// The messenger butterfly with spread wings.
struct ButterflyColours
{
    QColor upperLeft, lowerLeft, upperRight, lowerRight, body;
    QColor ink = QColor(); // the wings' rim; by default each wing's own colour, darker
};
inline const ButterflyColours messengerButterfly{QColor(38, 96, 214), QColor(64, 172, 58),
                                                 QColor(236, 84, 34), QColor(250, 206, 36),
                                                 QColor(128, 64, 176)};
// One colour for all four wings.
ButterflyColours plainButterfly(const QColor &wings, const QColor &ink);
void butterfly(QPainter &painter, const QRectF &rect, const ButterflyColours &colours);

// A round smiling face wearing a hat shaped like the letters "Y!".
struct SmileyLook
{
    QBrush face;
    QColor hat;
    QColor ink = Qt::black;  // eyes, mouth and the face's rim
    QColor hatRim = QColor(); // by default the hat's colour, darker
};
inline const SmileyLook yahooSmiley{QColor(255, 220, 0), QColor(220, 0, 20)};
// A face of blue and white squares, as the offline Yahoo! icon shows.
QBrush chequered(const QColor &colour, int square = 2);
void hattedSmiley(QPainter &painter, const QRectF &rect, const SmileyLook &look);
// A round face laughing with its eyes shut.
void laughingSmiley(QPainter &painter, const QRectF &rect, const QColor &face, const QColor &ink);

// A bold "#".
void hashSign(QPainter &painter, const QRectF &rect, const QColor &colour);

// A light bulb with a screw base.
void lightBulb(QPainter &painter, const QRectF &rect, const QColor &glass, const QColor &ink,
               const QColor &base);
inline const QColor bulbYellow(255, 230, 40);
inline const QColor bulbInk(90, 70, 0);
inline const QColor bulbBase(170, 170, 176);

// A round speech bubble with its tail at the lower left; returns the room
// inside it for whatever it says.
QRectF speechBubble(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink);
// A speech bubble saying a spiral.
void spiralBubble(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink);

// The Jabber balloon: a rounded speech balloon, its tail at the lower left,
// saying a bold lower-case "j" in the mark's colour. Away it also shows a
// small clock beside the "j", so that away differs from online by its shape
// and not only by its colour; asking, it says a question mark instead.
void jabberBalloon(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink,
                   const QColor &mark);
void awayBalloon(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink,
                 const QColor &mark);
void askingBalloon(QPainter &painter, const QRectF &rect, const QColor &fill, const QColor &ink,
                   const QColor &mark);
inline const QColor balloonGreen(46, 178, 72);
inline const QColor balloonGreenInk(20, 96, 36);
inline const QColor balloonAmber(246, 158, 20);
inline const QColor balloonAmberInk(150, 80, 0);
inline const QColor balloonGrey(150, 150, 150);
inline const QColor balloonGreyInk(90, 90, 90);

// A person seen from the front: a round head over rounded shoulders.
void person(QPainter &painter, const QRectF &rect, const QColor &colour, const QColor &ink);

// The chat network's letter logo: a block "m" over letter blocks, the last
// letter curled, with a small face.
struct LogoColours
{
    QColor letterM, blocks, curl;
    QColor ink = Qt::black;
};
inline const LogoColours ircLogo{QColor(40, 90, 235), QColor(225, 30, 30), QColor(255, 214, 0)};
inline const LogoColours blockLogo{QColor(20, 35, 140), QColor(210, 20, 20), QColor(255, 214, 0)};
void letterLogo(QPainter &painter, const QRectF &rect, const LogoColours &colours);

// A swirled heap, like soft ice cream, and the four-coloured flag beside it.
void swirlHeap(QPainter &painter, const QRectF &rect, const QColor &colour, const QColor &ink);
void flag(QPainter &painter, const QRectF &rect);

// A pale pill-shaped badge bearing a word in black capitals, centred in what
// is left of it when its left end is covered that far.
void pillBadge(QPainter &painter, const QRectF &rect, const QString &word, qreal covered = 0);

} // namespace Motif
