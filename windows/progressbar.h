#pragma once

#include <QProgressBar>

// The horizontal progress bar of the lookup windows. Like the common-controls
// bar it holds a floating-point value between a minimum and a maximum, reads
// back exactly what was stored, and rejects a value outside its range with a
// run-time error ("Invalid property value").
class ProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit ProgressBar(QWidget *parent = nullptr);

    float Value() const { return m_value; }
    void setValue(float value);

    float Min() const { return m_min; }
    float Max() const { return m_max; }
    void setRange(float min, float max);

private:
    void display();

    float m_min = 0;
    float m_max = 100;
    float m_value = 0;
};
