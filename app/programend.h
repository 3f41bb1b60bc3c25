#pragma once

#include <functional>

// Ends the program at once: every window disappears, no timer of any window
// fires again, nothing is asked or saved. The event loop is then left, and
// main() tears the windows down before the application object.
class ProgramEnd
{
public:
    static void end();
    static bool hasEnded();

    // Tests cannot leave their own event loop, so they replace the last step
    // (leaving the loop) with a recorder. An empty function restores it.
    static void setQuit(std::function<void()> quit);
    // Forgets an earlier end, for the next test.
    static void reset();
};
