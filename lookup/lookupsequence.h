#pragma once

#include "lookup/progressvalue.h"

#include <QObject>
#include <functional>

class QTimer;

// The paced lookup of a lookup window. "Begin Lookup" only enables the
// window's timer; every tick reads the progress value back and adds 10 while
// it stands at 90 or less; the tick that finds it above 90 runs the lookup,
// then stops the timer, then empties the value. The progress value is the
// only counter; the window's progress bar shows it.
class LookupSequence : public QObject
{
    Q_OBJECT

public:
    static constexpr int interval = 100; // milliseconds between ticks

    LookupSequence(QTimer &timer, std::function<void()> lookup, QObject *parent = nullptr);

    // "Begin Lookup": enables the timer. Nothing is read here, and a second
    // click while running changes nothing.
    void begin();
    // One tick of the timer; tests call it directly instead of waiting. A
    // run-time error of the tick (a value the progress refuses) is raised
    // here, before it could leave the timer's signal.
    void tick();

    bool isRunning() const;
    ProgressValue &progress() { return m_progress; }

private:
    void step();

    QTimer &m_timer;
    ProgressValue m_progress;
    std::function<void()> m_lookup;
};
