#include "app/pagelauncher.h"

#include "app/runtimeerrorreport.h"
#include "app/seam.h"
#include "lookup/runtimeerror.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

bool openInSystemBrowser(const QString &address)
{
    // The system's URL handler starts the browser as a separate process and
    // does not wait for it.
    return QDesktopServices::openUrl(QUrl(address, QUrl::TolerantMode));
}

Seam<bool(const QString &)> &opener()
{
    static Seam<bool(const QString &)> seam(openInSystemBrowser);
    return seam;
}

} // namespace

void PageLauncher::open(const QString &address)
{
    if (!opener()(address))
        RuntimeErrorReport::show(RuntimeError::fileNotFound());
}

void PageLauncher::setOpener(Opener newOpener)
{
    opener().replace(std::move(newOpener));
}
