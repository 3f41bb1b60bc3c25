#include "windows/progressbar.h"

#include "lookup/progressvalue.h"

#include <QtMath>

ProgressBar::ProgressBar(ProgressValue &value, QWidget *parent) : QProgressBar(parent), m_value(value)
{
    setTextVisible(false);
    setFocusPolicy(Qt::NoFocus);
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
    // The widget shows, and reports to assistive technology, the value in
    // whole units of its range.
    QProgressBar::setRange(qFloor(m_value.Min()), qCeil(m_value.Max()));
    QProgressBar::setValue(qRound(m_value.Value()));
}
