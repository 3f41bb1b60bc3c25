#include "assets/picturefiles.h"

namespace PictureFiles {

QString path(const QString &name)
{
    return QStringLiteral(":/pictures/%1.png").arg(name);
}

} // namespace PictureFiles
