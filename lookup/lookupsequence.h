#pragma once

#include <QObject>
#include <functional>

class ProgressBar;
class QTimer;

// The paced lookup of a lookup window. "Begin Lookup" only enables the
// window's timer; every tick reads the progress bar back and adds 10 while it
// stands at 90 or less; the tick that finds it above 90 runs the lookup, then
// stops the timer, then empties the bar. The bar's value is the only counter.
class LookupSequence : public QObject
{
    Q_OBJECT

public:
    static constexpr int interval = 100; // milliseconds between ticks

    LookupSequence(QTimer &timer, ProgressBar &bar, std::function<void()> lookup,
                   QObject *parent = nullptr);

    // "Begin Lookup": enables the timer. Nothing is read here, and a second
    // click while running changes nothing.
    void begin();
    // One tick of the timer; tests call it directly instead of waiting.
    void tick();

    bool isRunning() const;

private:
    QTimer &m_timer;
    ProgressBar &m_bar;
    std::function<void()> m_lookup;
};
