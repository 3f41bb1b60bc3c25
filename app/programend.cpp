#include "app/programend.h"

#include "app/seam.h"
#include "app/windowregistry.h"

#include <QCoreApplication>

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

bool ended = false;

} // namespace

void ProgramEnd::end()
{
    ended = true;
    if (WindowRegistry *windows = WindowRegistry::current())
        windows->stopAll();
    quit()();
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
