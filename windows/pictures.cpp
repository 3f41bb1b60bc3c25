#include "windows/pictures.h"

#include "assets/picturefiles.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

namespace Pictures {

namespace {

// The windows are made before they are shown, on the primary screen.
qreal screenRatio()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1;
}

} // namespace

QPixmap get(const QString &name)
{
    const qreal ratio = PictureFiles::drawnRatio(screenRatio());
    QPixmap pixmap(PictureFiles::path(name, ratio));
    if (pixmap.isNull())
        qWarning("Quorvane: no picture named %s for ratio %g", qPrintable(name), ratio);
    // Qt reads the ratio from "@2x" file names only; "@1.5x" it leaves at 1.
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QCursor pointer(const QString &name)
{
    const bool oneSize = QFile::exists(PictureFiles::path(name));
    const QPixmap pixmap = get(oneSize ? name : name + QStringLiteral("-32"));
    // The centre in logical pixels, as Qt takes a hot spot; but Qt 6.4's X11
    // plug-in hands it to the X server unconverted, in the picture's own pixels.
    QPointF centre(pixmap.width() / 2.0, pixmap.height() / 2.0);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        centre /= pixmap.devicePixelRatio();
    return QCursor(pixmap, qRound(centre.x()), qRound(centre.y()));
}

QIcon icon(const QString &name)
{
    // Sizes of their own (32, 48 and 64 pixels), which is how an icon lists
    // what it has to the window manager.
    QIcon icon;
    for (qreal ratio : PictureFiles::ratios) {
        QPixmap pixmap(PictureFiles::path(name, ratio));
        pixmap.setDevicePixelRatio(1);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace Pictures
