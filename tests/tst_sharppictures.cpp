// Sharp on scaled screens, run at QT_SCALE_FACTOR 2 and 1.5: every picture and
// pointer the windows show is the one drawn for the screen's ratio, at the
// logical size it has at 1 ×; and what is drawn for 2 × is drawn afresh, not
// the 1 × picture enlarged.
#include "assets/picturefiles.h"
#include "support/fixture.h"
#include "support/testmain.h"
#include "windows/controls.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/frmabout.h"
#include "windows/frmabout1.h"
#include "windows/frmmain.h"

#include <QScreen>

namespace {

bool drawnFor(const QPixmap &pixmap, QSize logical, qreal ratio)
{
    return pixmap.devicePixelRatio() == ratio
           && pixmap.size() == PictureFiles::deviceSize(logical, ratio);
}

QImage file(const QString &name, qreal ratio)
{
    return QImage(PictureFiles::path(name, ratio))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The share of pixels in which two pictures of one size differ clearly, by
// more than a fifth of the range in some channel.
double shareDiffering(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            differing += qMax(qMax(qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q))),
                              qMax(qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q)))) > 51;
        }
    }
    return double(differing) / (a.width() * a.height());
}

} // namespace

class TestSharpPictures : public QObject
{
    Q_OBJECT

private slots:
    void drawnRatioIsTheNearestNotBelowTheScreens();
    void picturesPointersAndBackgroundsCarryTheScreensRatio();
    void twiceIsDrawnAfreshNotEnlarged_data();
    void twiceIsDrawnAfreshNotEnlarged();
};

void TestSharpPictures::drawnRatioIsTheNearestNotBelowTheScreens()
{
    for (auto [screen, drawn] :
         {std::pair{1.0, 1.0}, {1.25, 1.5}, {1.5, 1.5}, {1.75, 2.0}, {2.0, 2.0}, {3.0, 2.0}})
        QCOMPARE(PictureFiles::drawnRatio(screen), drawn);
}

void TestSharpPictures::picturesPointersAndBackgroundsCarryTheScreensRatio()
{
    ProgramFixture program;
    const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    const QString background = QStringLiteral("background");
    const QList<std::pair<QWidget *, QString>> windows = {
        {openWindow<frmmain>(), background},  {openWindow<Form1>(), background},
        {openWindow<Form2>(), background},    {openWindow<frmAbout1>(), background},
        {openWindow<frmAbout>(), "about-background"}, {openWindow<Form3>(), {}}};
    int pictures = 0;
    for (const auto &[window, backgroundName] : windows) {
        QRegion controls;
        for (const QWidget *control : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            controls += control->isVisibleTo(window) ? control->geometry() : QRect();
        // Each picture control is as large as its picture at 1 ×.
        for (const Picture *picture : window->findChildren<Picture *>()) {
            pictures += !picture->pixmap().isNull();
            QVERIFY2(picture->pixmap().isNull() || drawnFor(picture->pixmap(), picture->size(), ratio),
                     qPrintable(picture->objectName()));
        }
        QVERIFY(drawnFor(window->cursor().pixmap(), QSize(32, 32), ratio));
        QCOMPARE(window->cursor().hotSpot(), QPoint(16, 16));
        // A pointer's edges are hard in every device pixel.
        const QImage pointer = window->cursor().pixmap().toImage();
        for (int i = 0; i < pointer.width() * pointer.height(); ++i)
            QVERIFY(qAlpha(pointer.pixel(i % pointer.width(), i / pointer.width())) % 255 == 0);
        if (backgroundName.isEmpty())
            continue;
        // Every device pixel of the bare surface is the background's own.
        const QImage painted =
            window->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage picture = file(backgroundName, ratio);
        int bare = 0, differing = 0;
        for (int y = 0; y < painted.height(); ++y) {
            for (int x = 0; x < painted.width(); ++x) {
                const QRectF pixel(x / ratio, y / ratio, 1 / ratio, 1 / ratio);
                if (!controls.intersects(pixel.toAlignedRect())) {
                    ++bare;
                    differing += painted.pixel(x, y) != picture.pixel(x, y);
                }
            }
        }
        QVERIFY(bare > painted.width() * painted.height() / 4);
        QCOMPARE(differing, 0);
    }
    QCOMPARE(pictures, 41);
    QVERIFY(drawnFor(qApp->windowIcon().pixmap(QSize(32, 32)), QSize(32, 32), ratio));
}

void TestSharpPictures::twiceIsDrawnAfreshNotEnlarged_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("captioned icon set") << "iconset1";
    QTest::newRow("field bar") << "fieldbar";
    QTest::newRow("pointer") << "runner-32";
}

void TestSharpPictures::twiceIsDrawnAfreshNotEnlarged()
{
    QFETCH(QString, name);
    const QImage once = file(name, 1);
    const QImage twice = file(name, 2);
    QCOMPARE(twice.size(), once.size() * 2);
    // The same drawing: at half the 1 × size, where edges blur away, the two
    // are one picture.
    const QSize half = once.size() / 2;
    QVERIFY(shareDiffering(twice.scaled(half, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                           once.scaled(half, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)) < 0.05);
    // With detail of its own: clearly unlike the 1 × picture enlarged,
    // pixel by pixel or smoothly.
    for (Qt::TransformationMode mode : {Qt::FastTransformation, Qt::SmoothTransformation})
        QVERIFY(shareDiffering(twice, once.scaled(twice.size(), Qt::IgnoreAspectRatio, mode)) > 0.01);
}

QUORVANE_TEST_MAIN(TestSharpPictures)
#include "tst_sharppictures.moc"
