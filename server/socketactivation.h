#pragma once

#include <QList>
#include <QString>

// The listening sockets systemd passed (socket activation): file
// descriptors 3 onwards, LISTEN_FDS of them, meant for this process when
// LISTEN_PID is its id, each named by LISTEN_FDNAMES when the unit names
// them. The variables are cleared, so that nothing started later takes them.
namespace SocketActivation {

struct Socket
{
    int descriptor;
    QString name; // from LISTEN_FDNAMES, or empty
};

QList<Socket> take();

} // namespace SocketActivation
