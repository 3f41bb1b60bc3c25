#include "support/recorders.h"

#include "app/pagelauncher.h"
#include "app/programend.h"
#include "app/runtimeerrorreport.h"
#include "lookup/runtimeerror.h"

LaunchRecorder::LaunchRecorder(bool browserStarts)
{
    PageLauncher::setOpener([this, browserStarts](const QString &address) {
        addresses << address;
        return browserStarts;
    });
}

LaunchRecorder::~LaunchRecorder()
{
    PageLauncher::setOpener({});
}

ErrorRecorder::ErrorRecorder()
{
    RuntimeErrorReport::setPresenter([this](const RuntimeError &error) {
        reports << QStringLiteral("%1: %2").arg(error.number()).arg(error.description());
    });
}

ErrorRecorder::~ErrorRecorder()
{
    RuntimeErrorReport::setPresenter({});
}

EndRecorder::EndRecorder()
{
    ProgramEnd::reset();
    ProgramEnd::setQuit([this] { ++ends; });
}

EndRecorder::~EndRecorder()
{
    ProgramEnd::setQuit({});
    ProgramEnd::reset();
}
