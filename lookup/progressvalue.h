#pragma once

#include <QObject>

// The value a lookup's progress bar shows. Like the common-controls bar it
// holds a floating-point value between a minimum and a maximum, reads back
// exactly what was stored, and rejects a value outside its range with a
// run-time error ("Invalid property value"). The lookup sequence keeps no
// counter of its own: this value is it.
class ProgressValue : public QObject
{
    Q_OBJECT

public:
    explicit ProgressValue(QObject *parent = nullptr);

    float Value() const { return m_value; }
    void setValue(float value);

    float Min() const { return m_min; }
    float Max() const { return m_max; }
    void setRange(float min, float max);

signals:
    void changed();

private:
    float m_min = 0;
    float m_max = 100;
    float m_value = 0;
};
