#pragma once

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

// Runs the event loop until the condition holds or the time is up, and says
// which. The server answers on the threads of its doors: QTest's polling
// sleeps between its looks, and a test that asks thousands of questions in
// turn would spend most of its time asleep; this loop waits for events.
inline bool runUntil(const std::function<bool()> &condition, int timeoutMs)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    look.start(10);
    loop.exec();
    return condition();
}

// Everything the server sends on the connection until it closes it; false
// when it is still open after the time given.
inline bool readUntilClosed(QTcpSocket &socket, QByteArray &received, int timeoutMs)
{
    return runUntil([&] {
        received += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
    }, timeoutMs);
}
