#include "assets/picturefiles.h"

#include <QtMath>
#include <iterator>

namespace PictureFiles {

qreal drawnRatio(qreal screenRatio)
{
    for (qreal ratio : ratios) {
        // Screens report ratios such as 1.5 with a little float noise.
        if (screenRatio <= ratio + 0.001)
            return ratio;
    }
    return ratios[std::size(ratios) - 1];
}

QSize deviceSize(QSize logical, qreal ratio)
{
    return QSize(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
}

QString fileName(const QString &name, qreal ratio)
{
    if (ratio == 1)
        return name + QStringLiteral(".png");
    return QStringLiteral("%1@%2x.png").arg(name).arg(ratio);
}

QString path(const QString &name, qreal ratio)
{
    return QStringLiteral(":/pictures/") + fileName(name, ratio);
}

} // namespace PictureFiles
