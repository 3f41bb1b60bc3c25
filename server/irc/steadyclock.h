#pragma once

#include <QtGlobal>
#include <chrono>

// Milliseconds of the machine's steady clock: one time base for everything
// of the IRC side that compares times (the budget, the queue, the cache).
inline qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
