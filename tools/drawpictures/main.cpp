// Draws every picture of the program from its description into one folder.
// The same code always draws the same pictures, so the build runs it.
#include "icowriter.h"
#include "pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

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
                        legendPictures(), iconSetPictures(), windowPictures()})
        all.insert(all.end(), list.begin(), list.end());

    int failures = 0;
    for (const PictureDrawing &drawing : all) {
        const QImage image = drawing.draw();
        const QString path = folder.filePath(drawing.file);
        if (image.size() != drawing.size) {
            std::fprintf(stderr, "drawpictures: %s is %dx%d, not %dx%d\n", qPrintable(drawing.file),
                         image.width(), image.height(), drawing.size.width(), drawing.size.height());
            ++failures;
        } else if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "drawpictures: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    if (!writeIndexedIcon(programIcon(), folder.filePath(QStringLiteral("quorvane.ico")))) {
        std::fprintf(stderr, "drawpictures: cannot write quorvane.ico\n");
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
