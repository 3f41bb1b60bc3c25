// What the status server benchmark's floor programs share: the server's
// event loop, and their two arguments, the port and the picture answered.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QObject>
#include <QString>
#include <cstdio>
#include <memory>
#include <optional>

namespace FloorProgram {

// The status server's event loop (see server/main.cpp), so that a floor
// differs from the server by the server's own work only. Before the
// application object, which reads it.
inline void useServerEventLoop()
{
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
}

// The port and the picture's bytes of "PROGRAM PORT PICTURE", or nothing
// (said on stderr) when they are not there.
inline std::optional<std::pair<quint16, QByteArray>> arguments(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORT PICTURE\n", argv[0]);
        return std::nullopt;
    }
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[2]);
        return std::nullopt;
    }
    return std::make_pair(quint16(QByteArray(argv[1]).toUInt()), file.readAll());
}

// The whole program: start(port, picture) makes the listening server, or
// nothing when it cannot listen; it serves until the program is ended.
template <class Start>
int run(int argc, char *argv[], Start start)
{
    useServerEventLoop();
    QCoreApplication app(argc, argv);
    const auto args = arguments(argc, argv);
    if (!args)
        return 2;
    const std::unique_ptr<QObject> server = start(args->first, args->second);
    return server ? app.exec() : 1;
}

} // namespace FloorProgram
