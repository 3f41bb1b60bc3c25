#include "windows/progressbar.h"

#include "app/runtimeerror.h"

namespace {
// The widget shows whole steps of this fraction of the range.
constexpr int steps = 1000;
}

ProgressBar::ProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setTextVisible(false);
    setFocusPolicy(Qt::NoFocus);
    QProgressBar::setRange(0, steps);
    display();
}

void ProgressBar::setValue(float value)
{
    // Written so that NaN fails the test as well.
    if (!(value >= m_min && value <= m_max))
        throw RuntimeError::invalidPropertyValue();
    m_value = value;
    display();
}

void ProgressBar::setRange(float min, float max)
{
    if (!(min < max))
        throw RuntimeError::invalidPropertyValue();
    m_min = min;
    m_max = max;
    m_value = qBound(min, m_value, max);
    display();
}

void ProgressBar::display()
{
    QProgressBar::setValue(qRound((m_value - m_min) / (m_max - m_min) * steps));
}
