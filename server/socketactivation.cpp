#include "socketactivation.h"

#include <QtGlobal>
#include <unistd.h>

QList<SocketActivation::Socket> SocketActivation::take()
{
    QList<Socket> sockets;
    bool numbers = false;
    const qint64 pid = qEnvironmentVariable("LISTEN_PID").toLongLong(&numbers);
    const int count = numbers ? qEnvironmentVariable("LISTEN_FDS").toInt(&numbers) : 0;
    const QStringList names = qEnvironmentVariable("LISTEN_FDNAMES").split(QLatin1Char(':'));
    if (numbers && pid == qint64(::getpid()))
        for (int i = 0; i < count; ++i)
            sockets.append({3 + i, names.value(i)});
    qunsetenv("LISTEN_PID");
    qunsetenv("LISTEN_FDS");
    qunsetenv("LISTEN_FDNAMES");
    return sockets;
}
