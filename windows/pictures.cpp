#include "windows/pictures.h"

#include "assets/picturefiles.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

namespace Pictures {

QPixmap get(const QString &name)
{
    QPixmap pixmap(PictureFiles::path(name));
    if (pixmap.isNull())
        qWarning("Quorvane: no picture named %s", qPrintable(name));
    return pixmap;
}

QCursor pointer(const QString &name)
{
    if (QFile::exists(PictureFiles::path(name)))
        return QCursor(get(name));
    // A pointer drawn in several sizes: the standard 32 pixels, or 48 on a
    // screen that scales by one and a half or more.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int size = screen && screen->devicePixelRatio() >= 1.5 ? 48 : 32;
    QPixmap pixmap = get(QStringLiteral("%1-%2").arg(name).arg(size));
    pixmap.setDevicePixelRatio(size / 32.0);
    return QCursor(pixmap);
}

} // namespace Pictures
