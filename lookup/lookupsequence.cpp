#include "lookup/lookupsequence.h"

#include "windows/progressbar.h"

#include <QTimer>

LookupSequence::LookupSequence(QTimer &timer, ProgressBar &bar, std::function<void()> lookup,
                               QObject *parent)
    : QObject(parent), m_timer(timer), m_bar(bar), m_lookup(std::move(lookup))
{
    m_timer.setInterval(interval);
    m_timer.setSingleShot(false);
    m_timer.stop();
    connect(&m_timer, &QTimer::timeout, this, &LookupSequence::tick);
}

void LookupSequence::begin()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void LookupSequence::tick()
{
    if (!(m_bar.Value() > 90)) {
        m_bar.setValue(m_bar.Value() + 10);
        return;
    }
    m_lookup();
    m_timer.stop();
    m_bar.setValue(0);
}

bool LookupSequence::isRunning() const
{
    return m_timer.isActive();
}
