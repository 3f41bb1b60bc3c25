#include "windows/progressbar.h"

#include "lookup/progressvalue.h"

namespace {
// The widget shows whole steps of this fraction of the range.
constexpr int steps = 1000;
}

ProgressBar::ProgressBar(ProgressValue &value, QWidget *parent) : QProgressBar(parent), m_value(value)
{
    setTextVisible(false);
    setFocusPolicy(Qt::NoFocus);
    QProgressBar::setRange(0, steps);
    connect(&m_value, &ProgressValue::changed, this, &ProgressBar::display);
    display();
}

float ProgressBar::Value() const
{
    return m_value.Value();
}

void ProgressBar::setValue(float value)
{
    m_value.setValue(value);
}

float ProgressBar::Min() const
{
    return m_value.Min();
}

float ProgressBar::Max() const
{
    return m_value.Max();
}

void ProgressBar::setRange(float min, float max)
{
    m_value.setRange(min, max);
}

void ProgressBar::display()
{
    const float span = m_value.Max() - m_value.Min();
    QProgressBar::setValue(qRound((m_value.Value() - m_value.Min()) / span * steps));
}
