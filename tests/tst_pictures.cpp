// The drawn pictures: exact sizes and the colours their descriptions give.
#include "support/testmain.h"
#include "windows/pictures.h"

#include <QSet>

namespace {

bool near(QRgb pixel, QColor expected, int tolerance = 24)
{
    return qAbs(qRed(pixel) - expected.red()) <= tolerance
           && qAbs(qGreen(pixel) - expected.green()) <= tolerance
           && qAbs(qBlue(pixel) - expected.blue()) <= tolerance && qAlpha(pixel) == 255;
}

QImage image(const QString &name)
{
    return Pictures::get(name).toImage().convertToFormat(QImage::Format_ARGB32);
}

// True if some pixel of the image is close to the colour.
bool contains(const QImage &picture, QColor colour, int tolerance = 40)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (near(picture.pixel(x, y), colour, tolerance))
                return true;
    return false;
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void backgroundHasBlueFieldGreyStripsAndYellowBars();
    void barsHaveBlueCornersAndColouredFaces();
    void butterflyHasItsFourWingColoursOnTransparentGround();
    void iconHasAtMost256ColoursAndHardTransparency();
};

void TestPictures::sizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("background") << "background" << QSize(307, 304);
    QTest::newRow("field bar") << "fieldbar" << QSize(90, 15);
    QTest::newRow("button bar") << "buttonbar" << QSize(90, 14);
    QTest::newRow("butterfly") << "butterfly" << QSize(32, 32);
    QTest::newRow("icon") << "quorvane" << QSize(32, 32);
}

void TestPictures::sizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QCOMPARE(Pictures::get(name).size(), size);
}

void TestPictures::backgroundHasBlueFieldGreyStripsAndYellowBars()
{
    const QImage picture = image("background");
    const QColor blue(143, 181, 230);
    QVERIFY(near(picture.pixel(150, 150), blue, 2));
    QVERIFY(near(picture.pixel(0, 21), blue, 2));
    QVERIFY(near(picture.pixel(306, 279), blue, 2));
    QVERIFY(near(picture.pixel(280, 10), QColor(239, 239, 239), 10));  // right of the top bar
    QVERIFY(near(picture.pixel(20, 292), QColor(239, 239, 239), 10));  // left of the bottom bar
    QVERIFY(near(picture.pixel(120, 10), QColor(255, 232, 80), 30));   // top bar
    QVERIFY(near(picture.pixel(200, 292), QColor(255, 232, 80), 30));  // bottom bar
    QVERIFY(!near(picture.pixel(120, 292), QColor(239, 239, 239), 10)); // bottom bar, not top
}

void TestPictures::barsHaveBlueCornersAndColouredFaces()
{
    const QColor blue(143, 181, 230);
    const QImage field = image("fieldbar");
    const QImage button = image("buttonbar");
    for (const QImage &bar : {field, button}) {
        QVERIFY(near(bar.pixel(0, 0), blue, 2));
        QVERIFY(near(bar.pixel(bar.width() - 1, bar.height() - 1), blue, 2));
    }
    QVERIFY(near(field.pixel(45, 7), QColor(255, 230, 80), 30));
    QVERIFY(near(button.pixel(45, 7), QColor(205, 205, 205), 20));
    QVERIFY(contains(field, QColor(95, 70, 0), 30));
    QVERIFY(contains(button, QColor(90, 95, 100), 30));
}

void TestPictures::butterflyHasItsFourWingColoursOnTransparentGround()
{
    const QImage picture = image("butterfly");
    QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(picture.pixel(31, 31)), 0);
    QVERIFY(near(picture.pixel(8, 10), QColor(38, 96, 214), 30));   // blue, upper left
    QVERIFY(near(picture.pixel(24, 10), QColor(236, 84, 34), 30));  // orange-red, upper right
    QVERIFY(near(picture.pixel(9, 22), QColor(64, 172, 58), 30));   // green, lower left
    QVERIFY(near(picture.pixel(23, 22), QColor(250, 206, 36), 30)); // yellow, lower right
    QVERIFY(near(picture.pixel(16, 16), QColor(128, 64, 176), 40)); // violet body
}

void TestPictures::iconHasAtMost256ColoursAndHardTransparency()
{
    const QImage picture = image("quorvane");
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = picture.pixel(x, y);
            QVERIFY(qAlpha(pixel) == 0 || qAlpha(pixel) == 255);
            colours << pixel;
        }
    }
    QVERIFY(colours.size() <= 256);
    QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);
    QVERIFY(contains(picture, QColor(214, 24, 24), 30));   // the red sign
    QVERIFY(contains(picture, QColor(150, 152, 156), 20)); // the grey figure
    QVERIFY(qRed(picture.pixel(16, 16)) > 150);             // the bar crosses the centre
}

QUORVANE_TEST_MAIN(TestPictures)
#include "tst_pictures.moc"
