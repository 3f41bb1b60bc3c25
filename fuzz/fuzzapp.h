#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

// What the targets that need Qt's event loop share: one application for the
// whole run (libFuzzer calls a target many times in one process), and a way
// to let queued work happen without waiting on any real timer.
namespace FuzzApp {

inline QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = new QCoreApplication(argc, argv);
    return *app;
}

// Runs the events posted until now, and those they post, a few rounds; and
// deletes what was to be deleted later, which processEvents outside an
// event loop leaves for ever (each run would leave its objects behind).
inline void settle(int rounds = 3)
{
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Runs events until done() holds, waiting for sockets as long as the
// deadline allows; false when it never held (libFuzzer's -timeout is the
// real bound of a run that hangs).
template<typename Done>
bool settleUntil(Done done, int ms = 5000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

} // namespace FuzzApp
