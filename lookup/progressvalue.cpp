#include "lookup/progressvalue.h"

#include "lookup/runtimeerror.h"

#include <QtGlobal>

ProgressValue::ProgressValue(QObject *parent) : QObject(parent)
{
}

void ProgressValue::setValue(float value)
{
    // Written so that NaN fails the test as well.
    if (!(value >= m_min && value <= m_max))
        throw RuntimeError::invalidPropertyValue();
    m_value = value;
    emit changed();
}

void ProgressValue::setRange(float min, float max)
{
    if (!(min < max))
        throw RuntimeError::invalidPropertyValue();
    m_min = min;
    m_max = max;
    m_value = qBound(min, m_value, max);
    emit changed();
}
