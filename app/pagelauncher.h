#pragma once

#include <QString>
#include <functional>

// Opens an outside web page in the system's web browser and returns at once.
// If the browser cannot be started the user sees a run-time error report and
// the program goes on: a missing browser is no reason to end the program.
class PageLauncher
{
public:
    // Starts the browser for the address; false if it could not be started.
    using Opener = std::function<bool(const QString &address)>;

    static void open(const QString &address);

    // Tests put a recorder here so that no real browser is started; an empty
    // opener restores the system's browser.
    static void setOpener(Opener opener);
};
