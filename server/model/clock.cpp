#include "model/clock.h"

#include <atomic>
#include <chrono>

namespace {

class MachineClock final : public Clock
{
public:
    qint64 steadyMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    qint64 wallMs() const override { return QDateTime::currentMSecsSinceEpoch(); }
};

const MachineClock machine;
// Read by every door's thread; set only by tests, before they start.
std::atomic<const Clock *> inUse{&machine};

} // namespace

QDateTime Clock::wallOf(qint64 steady) const
{
    return QDateTime::fromMSecsSinceEpoch(wallMs() - (steadyMs() - steady), Qt::UTC);
}

const Clock &Clock::current()
{
    return *inUse.load(std::memory_order_acquire);
}

void Clock::use(const Clock *clock)
{
    inUse.store(clock ? clock : &machine, std::memory_order_release);
}
