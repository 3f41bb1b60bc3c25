// The advance widths of the status badges' font, measured from the font
// itself, written as a header the status server compiles in: the server
// stays headless (no font system), and its badges are as wide as the text a
// browser draws in them.
#include "pictures.h"

#include <QFile>
#include <QFont>
#include <QRawFont>
#include <cstdio>

namespace {

// The font the badges name, at the size they name it. DejaVu Sans is in
// every Debian desktop (fonts-dejavu-core); its wide letters stay legible at
// 11 px.
const char family[] = "DejaVu Sans";
constexpr int pixelSize = 11;

// The characters measured: printable ASCII, all the badges' words need.
constexpr char first = ' ', last = '~';

} // namespace

bool writeBadgeFontWidths(const QString &file)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid() || raw.familyName() != QLatin1String(family)) {
        std::fprintf(stderr, "drawpictures: the badges' font %s is not installed (found %s)\n", family,
                     qPrintable(raw.familyName()));
        return false;
    }
    QString text;
    for (char c = first; c <= last; ++c)
        text += QLatin1Char(c);
    const QList<quint32> glyphs = raw.glyphIndexesForString(text);
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    if (advances.size() != text.size())
        return false;
    QByteArray widths;
    for (qsizetype i = 0; i < advances.size(); ++i)
        widths += (i % 16 == 0 ? "\n    " : " ") + QByteArray::number(qRound(advances[i].x() * 100)) + ',';
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    out.write("// Measured by tools/drawpictures from the font itself at build time.\n#pragma once\n\n"
              "namespace BadgeFontWidths {\n\n"
              "inline constexpr char family[] = \"" + QByteArray(family) + "\";\n"
              "inline constexpr int pixelSize = " + QByteArray::number(pixelSize) + ";\n"
              "inline constexpr char first = ' ';\n"
              "// The advance of each character from first to '~' at that size, in hundredths of a pixel.\n"
              "inline constexpr int hundredths[] = {" + widths + "\n};\n\n} // namespace BadgeFontWidths\n");
    return out.flush();
}
