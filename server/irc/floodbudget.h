#pragma once

#include <QtGlobal>
#include <algorithm>

// How many lines this client may send a network, so that no network drops
// it for flooding: a small burst, then one line per interval. Time is
// passed in (milliseconds of a steady clock), which keeps it testable.
//
// It also learns the pace the network really keeps: a network that holds
// lines under penalty rules of its own answers them later than its round
// trip, and with one line of a kind in flight at a time, no more lines are
// answered within a while than that while holds answers. Lookups are
// admitted by the slower of the two paces.
class FloodBudget
{
public:
    FloodBudget(int burst, int intervalMs);

    // Spends one line when the budget allows one now.
    bool take(qint64 nowMs);
    // Milliseconds until a line is allowed; 0 when one is allowed now.
    qint64 wait(qint64 nowMs) const;
    // Milliseconds until it allows that many lines at once; 0 when it does.
    qint64 untilLines(qint64 nowMs, int lines) const { return std::max<qint64>(0, lines * m_interval - credit(nowMs)); }
    // How many lines it allows from now until the time given has passed,
    // each sent as soon as it is allowed.
    int linesWithin(qint64 nowMs, qint64 withinMs) const;
    // How many lines, each sent once the one before is answered, the
    // network answers within the time given at the pace it has kept.
    int answersWithin(qint64 withinMs) const;

    // A line was answered after this long. A slower answer counts at once;
    // faster ones bring the pace back gradually, as a penalty wears off.
    void answeredAfter(qint64 tookMs);
    // How long the network takes to answer a line, as learnt; 0 until it has answered.
    qint64 answerMs() const { return m_answerMs; }

private:
    qint64 credit(qint64 nowMs) const;

    qint64 m_capacity; // credit of a full burst, in milliseconds
    qint64 m_interval;
    qint64 m_credit;   // each line costs one interval of credit
    qint64 m_at = -1;  // when m_credit was last brought up to date
    qint64 m_answerMs = 0;
};
