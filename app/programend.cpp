#include "app/programend.h"

#include "app/runtimeerrorreport.h"
#include "app/seam.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

void leaveEventLoop()
{
    QCoreApplication::exit(0);
}

Seam<void()> &quit()
{
    static Seam<void()> seam(leaveEventLoop);
    return seam;
}

// Every window of the program is a top-level widget; the timers that pace
// lookups live in them.
void stopAllWindows()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        for (QTimer *timer : window->findChildren<QTimer *>())
            timer->stop();
        window->hide();
    }
}

bool ended = false;

} // namespace

void ProgramEnd::end()
{
    ended = true;
    stopAllWindows();
    quit()();
}

void ProgramEnd::afterError(const RuntimeError &error)
{
    RuntimeErrorReport::show(error);
    end();
}

void ProgramEnd::afterWindowClosed(bool anyWindowVisible)
{
    if (!anyWindowVisible)
        end();
}

bool ProgramEnd::hasEnded()
{
    return ended;
}

void ProgramEnd::setQuit(std::function<void()> newQuit)
{
    quit().replace(std::move(newQuit));
}

void ProgramEnd::reset()
{
    ended = false;
}
