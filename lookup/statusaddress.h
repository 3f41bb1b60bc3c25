#pragma once

#include <QStringList>

// The status query address under which an OSI server publishes the status
// picture of one account. Every piece already carries its own "/" or "@", so
// the address is "http://" and the pieces joined with nothing between them:
// no trimming, no case change, no encoding, no check of any kind.
namespace StatusAddress {

QString compose(const QStringList &pieces);

} // namespace StatusAddress
