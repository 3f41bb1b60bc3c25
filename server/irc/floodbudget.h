#pragma once

#include <QtGlobal>

// How many lines this client may send a network, so that no network drops
// it for flooding: a small burst, then one line per interval. Time is
// passed in (milliseconds of a steady clock), which keeps it testable.
class FloodBudget
{
public:
    FloodBudget(int burst, int intervalMs);

    // Spends one line when the budget allows one now.
    bool take(qint64 nowMs);
    // Milliseconds until a line is allowed; 0 when one is allowed now.
    qint64 wait(qint64 nowMs) const;

private:
    qint64 credit(qint64 nowMs) const;

    qint64 m_capacity; // credit of a full burst, in milliseconds
    qint64 m_interval;
    qint64 m_credit;   // each line costs one interval of credit
    qint64 m_at = -1;  // when m_credit was last brought up to date
};
