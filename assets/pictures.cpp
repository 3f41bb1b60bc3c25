#include "assets/pictures.h"

namespace Pictures {

QPixmap get(const QString &name)
{
    QPixmap pixmap(QStringLiteral(":/pictures/%1.png").arg(name));
    Q_ASSERT_X(!pixmap.isNull(), "Pictures::get", qPrintable(name));
    return pixmap;
}

QCursor pointer(const QString &name)
{
    return QCursor(get(name));
}

} // namespace Pictures
