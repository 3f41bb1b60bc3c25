#pragma once

#include <QDateTime>
#include <QtGlobal>

// The status server's one time base. Everything that compares times (the
// IRC budget, queues and caches, the cluster's leases and near answers, the
// store's replies, the Jabber contacts' times) reads milliseconds of one
// steady clock here, and every time shown to people (when an answer was
// checked, since when a status has held) is that clock's instant on the
// wall clock. Tests put a clock of their own in its place, which they step.
class Clock
{
public:
    virtual ~Clock() = default;

    // Milliseconds of a clock that never goes back.
    virtual qint64 steadyMs() const = 0;
    // Milliseconds since 1970 UTC, now.
    virtual qint64 wallMs() const = 0;

    // The moment of the steady clock given, on the wall clock (UTC).
    QDateTime wallOf(qint64 steadyMs) const;
    // The moment of the wall clock given, on the steady clock.
    qint64 steadyOf(const QDateTime &wall) const { return steadyMs() - (wallMs() - wall.toMSecsSinceEpoch()); }

    // The clock in use: the machine's unless a test put one in its place.
    static const Clock &current();
    // Puts a clock in the machine's place (nullptr: the machine's again);
    // call before anything reads the clock, from the main thread.
    static void use(const Clock *clock);
};

// The current clock's steady milliseconds.
inline qint64 steadyMs()
{
    return Clock::current().steadyMs();
}
