// The pictures of the status icon sets one can choose between: three rows
// of icons, online, offline and unknown, each behind its caption.
#include "canvas.h"
#include "motifs.h"
#include "pictures.h"

#include <QFontMetrics>

namespace {

using namespace Motif;

// What one row of a set shows, each drawing filling its cell.
using Row = std::vector<Drawing>;

struct SetLayout
{
    QSize size;
    int captionX;   // where the captions start
    int fontSize;   // the captions' pixel size
    QSize cell;     // the room each icon gets
    int gap;        // between two cells
};

// A whole set: its layout, its online, offline and unknown rows, and
// anything its white ground bears besides. Its Jabber icons, online, away,
// offline and unknown, are drawn alone only, for the status server: the
// set's picture, which a window shows, has no Jabber column.
struct IconSet
{
    SetLayout layout;
    Row rows[3];
    Row jabber;
    std::function<void(QPainter &)> ground = {};
};

// The set on a white ground (with anything else the ground bears), drawn
// for the ratio: the rows spread evenly down, their icons lined up after the
// longest caption.
QImage iconSet(const SetLayout &layout, const Row (&rows)[3],
               const std::function<void(QPainter &)> &ground, qreal ratio)
{
    const QString captions[] = {QStringLiteral("Default online icons:"),
                                QStringLiteral("Default offline icons:"),
                                QStringLiteral("Default unknown icons:")};
    QImage image = Canvas::blank(layout.size, ratio, Qt::white);
    QPainter painter;
    Canvas::begin(painter, image);
    if (ground)
        ground(painter);
    const QFont font = boldFont(layout.fontSize);
    const QFontMetrics metrics(font);
    int captionWidth = 0;
    for (const QString &caption : captions)
        captionWidth = qMax(captionWidth, metrics.horizontalAdvance(caption));
    const int iconsX = layout.captionX + captionWidth + 6;
    painter.setFont(font);
    for (int row = 0; row < 3; ++row) {
        const int middle = layout.size.height() * (2 * row + 1) / 6;
        painter.setPen(Qt::black);
        painter.drawText(QRect(layout.captionX, middle - 10, captionWidth, 20),
                         Qt::AlignLeft | Qt::AlignVCenter, captions[row]);
        for (std::size_t i = 0; i < rows[row].size(); ++i) {
            const QRect cell(QPoint(iconsX + int(i) * (layout.cell.width() + layout.gap),
                                    middle - layout.cell.height() / 2),
                             layout.cell);
            rows[row][i](painter, cell);
        }
    }
    return image;
}

// The row in greys only.
Row greyRow(const Row &row)
{
    Row greys;
    for (const Drawing &draw : row)
        greys.push_back(inGrey(draw));
    return greys;
}

// Each drawing on a tile filling its cell.
Row onTiles(const Row &row, const TileLook &look)
{
    Row tiles;
    for (const Drawing &draw : row)
        tiles.push_back([=](QPainter &painter, const QRectF &cell) {
            framed(painter, cell.toRect(), look, draw);
        });
    return tiles;
}

// One drawing on a tile of its own look.
Drawing onTile(const Drawing &draw, const TileLook &look)
{
    return onTiles({draw}, look).front();
}

const QColor tileGrey(192, 192, 192);
const QColor red(220, 20, 20);
const QColor runnerInk(120, 60, 0);

const Drawing greenFlower = with(flower, flowerGreen, flowerCentre, Qt::black);
const Drawing redFlower = with(flower, flowerRed, flowerCentre, Qt::black);
const Drawing yellowBulb = with(lightBulb, bulbYellow, bulbInk, bulbBase);
const Drawing hash = with(hashSign, Qt::black);
const Drawing aimOnDisc = with(runnerOnDisc, runnerYellow, Qt::black, discBlue);
const Drawing msnButterfly = with(butterfly, messengerButterfly);
const Drawing yahoo = with(hattedSmiley, yahooSmiley);
const Drawing jabber = with(jabberBalloon, balloonGreen, balloonGreenInk, Qt::white);
const Drawing jabberAway = with(awayBalloon, balloonAmber, balloonAmberInk, Qt::white);

// Small unframed icons; the unknown ones question marks in the icons' colours.
IconSet iconSet1()
{
    const Row online{
        with(runner, runnerOrange, runnerInk),
        greenFlower,
        with(spiralBubble, QColor(196, 220, 250), QColor(70, 110, 170)),
        yellowBulb,
        msnButterfly,
        [](QPainter &painter, const QRectF &rect) {
            letters(painter, rect.adjusted(1, 0, -1, 0), QStringLiteral("Y!"), QColor(150, 0, 20));
        },
    };
    Row unknown;
    for (const QColor &colour : {QColor(205, 160, 100), QColor(30, 170, 30), QColor(110, 140, 175),
                                 QColor(240, 200, 0), QColor(40, 90, 220), red})
        unknown.push_back(with(questionMark, colour));
    // Jabber's question mark in its balloon's dark rim colour: in the
    // balloon's own green it would pass for ICQ's.
    const Row jabbers{jabber, jabberAway, inGrey(jabber), with(questionMark, balloonGreenInk)};
    return {{{280, 100}, 4, 11, {16, 16}, 4}, {online, greyRow(online), unknown}, jabbers};
}

// Framed icons with black rims.
IconSet iconSet2()
{
    const TileLook look{};
    const TileLook greyGround{Qt::black, tileGrey};
    const Row online =
        onTiles({aimOnDisc, greenFlower, hash, yellowBulb, msnButterfly, yahoo}, look);
    const Row offline{
        onTile(with(runner, Qt::white, Qt::black), look),
        onTile(with(flower, Qt::white, Qt::white, Qt::black), look),
        onTile(hash, greyGround),
        onTile(with(lightBulb, Qt::white, Qt::black, Qt::white), look),
        onTile(with(butterfly, plainButterfly(Qt::white, Qt::black)), look),
        onTile(with(hattedSmiley, SmileyLook{Qt::white, Qt::white, Qt::black, Qt::black}), look),
    };
    const Drawing asking = onTile(with(questionMark, QColor(0, 160, 0)), greyGround);
    const Row unknown(6, asking);
    const Row jabbers{onTile(jabber, look), onTile(jabberAway, look),
                      onTile(with(jabberBalloon, Qt::white, Qt::black, Qt::black), look), asking};
    return {{{304, 120}, 4, 11, {22, 22}, 3}, {online, offline, unknown}, jabbers};
}

// Framed icons with brown rims, beside a grey edge down the left.
IconSet iconSet3()
{
    const TileLook look{brownFrame};
    const TileLook greyGround{brownFrame, tileGrey};
    const QColor teal(0, 150, 150);
    const Row online = onTiles(
        {aimOnDisc, greenFlower, hash, yellowBulb, with(person, teal, teal.darker(180)), yahoo},
        look);
    const Row offline{
        onTile(with(runner, runnerYellow, Qt::black), look),
        onTile(redFlower, look),
        onTile(hash, greyGround),
        onTile(with(lightBulb, QColor(205, 205, 205), QColor(90, 90, 90), bulbBase), look),
        onTile(with(person, red, red.darker(180)), look),
        onTile(inGrey(yahoo), look),
    };
    const Row unknown{
        onTile(with(runnerOnDisc, red, Qt::black, discBlue), look),
        onTile(redFlower, look),
        onTile(with(questionMark, red), greyGround),
        onTile(with(lightBulb, red, red.darker(200), bulbBase), look),
        onTile(with(butterfly, plainButterfly(red, red.darker(200))), look),
        onTile(with(hattedSmiley, SmileyLook{QColor(230, 40, 40), QColor(150, 0, 10)}), look),
    };
    const Row jabbers = onTiles(
        {jabber, jabberAway, inGrey(jabber), with(askingBalloon, red, red.darker(200), Qt::white)},
        look);
    const auto edge = [](QPainter &painter) {
        painter.fillRect(0, 0, 2, 122, QColor(160, 160, 160));
    };
    return {{{315, 122}, 10, 11, {22, 22}, 4}, {online, offline, unknown}, jabbers, edge};
}

// The icon overlapping the left end of a badge bearing the word.
Drawing badged(const Drawing &icon, const QString &word)
{
    return [=](QPainter &painter, const QRectF &cell) {
        const QRectF iconRect(cell.topLeft(), QSizeF(cell.height(), cell.height()));
        const QRectF badge(cell.left() + 9, cell.center().y() - 7, cell.width() - 9, 14);
        pillBadge(painter, badge, word, iconRect.right() - badge.left());
        icon(painter, iconRect);
    };
}

// Each icon so on its badge.
Row withBadge(const Row &icons, const QString &word)
{
    Row cells;
    for (const Drawing &icon : icons)
        cells.push_back(badged(icon, word));
    return cells;
}

// Icons overlapping the left end of a badge naming the state.
IconSet iconSet4()
{
    const Row icons{with(runner, runnerOrange, runnerInk), greenFlower, hash, msnButterfly, yahoo};
    // The unknown balloon asks instead of saying "j", in grey as the
    // offline one, so the two differ by more than their badges.
    const Drawing asking = with(askingBalloon, balloonGrey, balloonGreyInk, Qt::white);
    const Row jabbers{badged(jabber, QStringLiteral("ONLINE")),
                      badged(jabberAway, QStringLiteral("AWAY")),
                      badged(inGrey(jabber), QStringLiteral("OFFLINE")),
                      badged(asking, QStringLiteral("?"))};
    return {{{407, 124}, 4, 10, {55, 16}, 1},
            {withBadge(icons, QStringLiteral("ONLINE")),
             withBadge(greyRow(icons), QStringLiteral("OFFLINE")),
             withBadge(greyRow(icons), QStringLiteral("?"))},
            jabbers};
}

// The whole set as one picture.
QImage composite(const IconSet &set, qreal ratio)
{
    return iconSet(set.layout, set.rows, set.ground, ratio);
}

// One icon of a set, alone on the set's white ground at the size of its cell.
QImage single(const IconSet &set, const Drawing &icon, qreal ratio)
{
    QImage image = Canvas::blank(set.layout.cell, ratio, Qt::white);
    QPainter painter;
    Canvas::begin(painter, image);
    icon(painter, QRectF(QPointF(0, 0), QSizeF(set.layout.cell)));
    return image;
}

// Where each messenger's icon stands in a set's rows. The third icon of
// sets 2 to 4 is IRC's "#"; set 1 has a speech bubble in its place. The
// light bulb of sets 1 to 3 belongs to none of the five.
struct Column
{
    const char *medium;
    int inSets1To3, inSet4;
};
const Column columns[] = {{"aim", 0, 0}, {"icq", 1, 1}, {"irc", 2, 2}, {"msn", 4, 3}, {"yahoo", 5, 4}};
const char *const states[] = {"online", "offline", "unknown"};
// The states of a set's Jabber icons, in the order of IconSet::jabber.
const char *const jabberStates[] = {"online", "away", "offline", "unknown"};

// The picture of one icon alone, named as the status server asks for it.
PictureDrawing singlePicture(int set, const char *medium, const char *state,
                             const std::function<QImage(qreal)> &draw)
{
    const QSize cells[] = {{16, 16}, {22, 22}, {22, 22}, {55, 16}};
    return {QStringLiteral("set%1-%2-%3").arg(set + 1).arg(QLatin1String(medium),
                                                          QLatin1String(state)),
            cells[set], draw, false};
}

} // namespace

std::vector<PictureDrawing> iconSetPictures()
{
    const std::function<IconSet()> sets[] = {iconSet1, iconSet2, iconSet3, iconSet4};
    const QSize sizes[] = {{280, 100}, {304, 120}, {315, 122}, {407, 124}};
    std::vector<PictureDrawing> pictures;
    for (int set = 0; set < 4; ++set) {
        const auto draw = sets[set];
        pictures.push_back({QStringLiteral("iconset%1").arg(set + 1), sizes[set],
                            [draw](qreal ratio) { return composite(draw(), ratio); }});
        // Each icon also alone, as the status server answers with it: at 1 ×
        // only, for the server's pages are not the program's windows.
        for (const Column &column : columns)
            for (int row = 0; row < 3; ++row) {
                const std::size_t at = std::size_t(set == 3 ? column.inSet4 : column.inSets1To3);
                const auto icon = [draw, row, at](qreal ratio) {
                    const IconSet drawn = draw();
                    return single(drawn, drawn.rows[row][at], ratio);
                };
                pictures.push_back(singlePicture(set, column.medium, states[row], icon));
            }
        for (std::size_t state = 0; state < 4; ++state) {
            const auto icon = [draw, state](qreal ratio) {
                const IconSet drawn = draw();
                return single(drawn, drawn.jabber[state], ratio);
            };
            pictures.push_back(singlePicture(set, "jabber", jabberStates[state], icon));
        }
    }
    return pictures;
}
