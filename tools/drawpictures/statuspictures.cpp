// The status samples of the ICQ and IRC windows and the help window's legend.
#include "canvas.h"
#include "motifs.h"
#include "pictures.h"

namespace {

using namespace Motif;

const TileLook blackTile{};
const TileLook brownTile{brownFrame};
const TileLook markedTile{Qt::black, Qt::white, Qt::transparent, true};
// Laid on the field, its cut corners show the field's blue.
const TileLook fieldTile{Qt::black, Qt::white, Canvas::fieldBlue};

const Drawing greenFlower = with(flower, flowerGreen, flowerCentre, Qt::black);
const Drawing redFlower = with(flower, flowerRed, flowerCentre, Qt::black);

// The soft swirl with its flag at the right.
Drawing heapWithFlag(const QColor &heap, const QColor &ink)
{
    return [heap, ink](QPainter &painter, const QRectF &rect) {
        swirlHeap(painter, QRectF(rect.left(), rect.top() + 3, 16, 16), heap, ink);
        flag(painter, QRectF(rect.right() - 7.5, rect.top() + 2, 7, 7));
    };
}

// A picture that is just the drawing on a tile; logos fill the tile's inside,
// other drawings keep a pixel off its rim.
PictureDrawing tiled(const char *name, QSize size, const TileLook &look, const Drawing &draw,
                  qreal inset = 1)
{
    return {QString::fromLatin1(name), size,
            [=](qreal ratio) { return tilePicture(size, look, draw, inset, ratio); }};
}

const QSize square(22, 22);
const QSize narrow(21, 22);

} // namespace

std::vector<PictureDrawing> statusPictures()
{
    return {
        tiled("icq-online", square, blackTile, greenFlower),
        tiled("icq-offline", narrow, brownTile, redFlower),
        tiled("unknown", narrow, brownTile, with(questionMark, Qt::black)),
        tiled("irc-online", square, blackTile, with(letterLogo, ircLogo), 0),
        tiled("irc-offline", square, fieldTile, inGrey(with(letterLogo, ircLogo)), 0),
    };
}

std::vector<PictureDrawing> legendPictures()
{
    const QColor brown(150, 90, 40), darkBrown(80, 40, 10), lightGrey(150, 150, 150);
    return {
        tiled("legend1-online", square, markedTile, heapWithFlag(brown, darkBrown), 0),
        tiled("legend1-offline", square, blackTile,
              heapWithFlag(grey(brown).lighter(120), grey(darkBrown)), 0),
        tiled("legend2-online", square, markedTile,
              with(runnerOnDisc, runnerYellow, Qt::black, discBlue), 0),
        tiled("legend2-offline", narrow, TileLook{lightGrey},
              with(runner, QColor(215, 215, 215), lightGrey.darker(110))),
        tiled("legend3-online", square, markedTile, with(letterLogo, blockLogo), 0),
        tiled("legend3-offline", square, fieldTile, inGrey(with(letterLogo, blockLogo)), 0),
        tiled("legend4-online", square, markedTile, with(hattedSmiley, yahooSmiley)),
        tiled("legend4-offline", narrow, brownTile,
              with(hattedSmiley, SmileyLook{chequered(QColor(40, 90, 230)), yahooSmiley.hat})),
        tiled("legend5-online", square, markedTile, greenFlower),
        tiled("legend5-offline", narrow, brownTile, redFlower),
    };
}

std::vector<PictureDrawing> serverLegendPictures()
{
    const Drawing online = with(jabberBalloon, balloonGreen, balloonGreenInk, Qt::white);
    // The status server's only, at 1 × as its other pictures; it answers
    // for an unknown Jabber account with the shared question mark.
    const auto alone = [](PictureDrawing picture) {
        picture.everyRatio = false;
        return picture;
    };
    return {
        alone(tiled("legend6-online", square, markedTile, online)),
        alone(tiled("legend6-away", square, markedTile,
                    with(awayBalloon, balloonAmber, balloonAmberInk, Qt::white))),
        alone(tiled("legend6-offline", square, blackTile, inGrey(online))),
    };
}
