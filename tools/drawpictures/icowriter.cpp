#include "icowriter.h"

#include <QDataStream>
#include <QFile>

namespace {

constexpr int headerSize = 6 + 16;  // ICONDIR and one ICONDIRENTRY
constexpr int bitmapInfoSize = 40;  // BITMAPINFOHEADER
constexpr int paletteSize = 256 * 4;

int rowBytes(int bits, int width)
{
    return ((bits * width + 31) / 32) * 4;
}

} // namespace

bool writeIndexedIcon(const QImage &picture, const QString &path)
{
    const int w = picture.width();
    const int h = picture.height();
    if (w > 256 || h > 256)
        return false;
    const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    const int xorRow = rowBytes(8, w);
    const int andRow = rowBytes(1, w);
    const quint32 imageSize = bitmapInfoSize + paletteSize + (xorRow + andRow) * h;

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);

    out << quint16(0) << quint16(1) << quint16(1);
    out << quint8(w % 256) << quint8(h % 256) << quint8(0) << quint8(0) << quint16(1) << quint16(8)
        << imageSize << quint32(headerSize);

    out << quint32(bitmapInfoSize) << qint32(w) << qint32(2 * h) << quint16(1) << quint16(8)
        << quint32(0) << quint32((xorRow + andRow) * h) << qint32(0) << qint32(0) << quint32(256)
        << quint32(0);

    const QList<QRgb> colours = indexed.colorTable();
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < colours.size() ? colours.at(i) : 0;
        out << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    }
    // Both bitmaps run from the bottom row up.
    for (int y = h - 1; y >= 0; --y) {
        const uchar *line = indexed.constScanLine(y);
        for (int x = 0; x < xorRow; ++x)
            out << quint8(x < w ? line[x] : 0);
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray mask(andRow, '\0');
        for (int x = 0; x < w; ++x) {
            if (qAlpha(picture.pixel(x, y)) < 128)
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
        }
        out.writeRawData(mask.constData(), mask.size());
    }
    return out.status() == QDataStream::Ok;
}
