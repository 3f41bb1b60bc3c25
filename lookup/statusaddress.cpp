#include "lookup/statusaddress.h"

namespace StatusAddress {

QString compose(const QStringList &pieces)
{
    return QStringLiteral("http://") + pieces.join(QString());
}

} // namespace StatusAddress
