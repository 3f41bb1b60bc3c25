#pragma once

#include <functional>

class RuntimeError;

// Ends the program at once: every window disappears, no timer of any window
// fires again, nothing is asked or saved. The event loop is then left, and
// main() tears the windows down before the application object.
//
// Every way the program ends passes through here: "Exit Program", a
// run-time error after its report, and the close of the last visible window.
class ProgramEnd
{
public:
    static void end();
    // A run-time error: the user sees its report, then the program ends.
    static void afterError(const RuntimeError &error);
    // A window was closed through its title bar: once none of the program's
    // windows is visible the program ends, so that no invisible process is
    // left behind.
    static void afterWindowClosed(bool anyWindowVisible);

    static bool hasEnded();

    // Tests cannot leave their own event loop, so they replace the last step
    // (leaving the loop) with a recorder. An empty function restores it.
    static void setQuit(std::function<void()> quit);
    // Forgets an earlier end, for the next test.
    static void reset();
};
