#include "http/entitytag.h"

#include <QCryptographicHash>

namespace EntityTag {

QByteArray of(const QByteArray &body)
{
    // 64 bits of SHA-1: a changed answer never keeps its tag by chance.
    return '"' + QCryptographicHash::hash(body, QCryptographicHash::Sha1).left(8).toHex() + '"';
}

bool matches(const QByteArray &ifNoneMatch, const QByteArray &tag)
{
    const QByteArray value = ifNoneMatch.trimmed();
    if (value == "*")
        return true;
    // A list of W/"..." and "...", read quote by quote: a tag may hold a comma.
    qsizetype at = 0;
    while (at < value.size()) {
        const qsizetype open = value.indexOf('"', at);
        if (open < 0)
            return false;
        const qsizetype close = value.indexOf('"', open + 1);
        if (close < 0)
            return false;
        if (value.mid(open, close - open + 1) == tag)
            return true;
        at = close + 1;
    }
    return false;
}

} // namespace EntityTag
