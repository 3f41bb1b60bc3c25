#pragma once

#include <QStringList>

// The fourteen status servers offered by the server box of every lookup
// window, in the same order everywhere. Each entry is a host, an optional
// ":port", "/" and the window's service path ("" on the messenger window,
// "icq/" and "irc/" on the ICQ and IRC windows).
namespace ServerList {

QStringList entries(const QString &servicePath);

} // namespace ServerList
