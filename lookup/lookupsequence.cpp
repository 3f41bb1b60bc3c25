#include "lookup/lookupsequence.h"

#include "lookup/runtimeerror.h"

#include <QTimer>

LookupSequence::LookupSequence(QTimer &timer, std::function<void()> lookup, QObject *parent)
    : QObject(parent), m_timer(timer), m_lookup(std::move(lookup))
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
    RuntimeErrors::guard([this] { step(); });
}

void LookupSequence::step()
{
    if (!(m_progress.Value() > 90)) {
        m_progress.setValue(m_progress.Value() + 10);
        return;
    }
    m_lookup();
    m_timer.stop();
    m_progress.setValue(0);
}

bool LookupSequence::isRunning() const
{
    return m_timer.isActive();
}
