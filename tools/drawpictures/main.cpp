// Draws every picture of the program from its description into one folder,
// each for every device pixel ratio it is drawn for.
// The same code always draws the same pictures, so the build runs it.
#include "icowriter.h"
#include "pictures.h"

#include "assets/picturefiles.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

namespace {

// Draws the picture for the ratio and writes it; false, having said why, if
// it came out the wrong size or cannot be written.
bool drawAndSave(const PictureDrawing &drawing, qreal ratio, const QDir &folder)
{
    const QImage image = drawing.draw(ratio);
    const QString file = PictureFiles::fileName(drawing.name, ratio);
    const QSize size = PictureFiles::deviceSize(drawing.size, ratio);
    if (image.size() != size || image.devicePixelRatio() != ratio) {
        std::fprintf(stderr, "drawpictures: %s is %dx%d for %g, not %dx%d\n", qPrintable(file),
                     image.width(), image.height(), image.devicePixelRatio(), size.width(),
                     size.height());
        return false;
    }
    if (!image.save(folder.filePath(file), "PNG")) {
        std::fprintf(stderr, "drawpictures: cannot write %s\n", qPrintable(folder.filePath(file)));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Text in pictures needs the font system, hence the application object.
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawpictures OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "drawpictures: cannot make %s\n", argv[1]);
        return 1;
    }

    std::vector<PictureDrawing> all = framePictures();
    for (auto &&list : {pointerPictures(), logoPointerPictures(), statusPictures(),
                        legendPictures(), serverLegendPictures(), iconSetPictures(),
                        windowPictures()})
        all.insert(all.end(), list.begin(), list.end());

    int failures = 0;
    for (const PictureDrawing &drawing : all) {
        for (qreal ratio : PictureFiles::ratios) {
            if (ratio == 1 || drawing.everyRatio)
                failures += drawAndSave(drawing, ratio, folder) ? 0 : 1;
        }
    }
    if (!writeIndexedIcon(programIcon(), folder.filePath(QStringLiteral("quorvane.ico")))) {
        std::fprintf(stderr, "drawpictures: cannot write quorvane.ico\n");
        ++failures;
    }
    if (!writeBadgeFontWidths(folder.filePath(QStringLiteral("badgefontwidths.h"))))
        ++failures;
    return failures == 0 ? 0 : 1;
}
