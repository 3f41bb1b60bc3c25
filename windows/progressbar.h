#pragma once

#include <QProgressBar>

class ProgressValue;

// The horizontal progress bar of the lookup windows: it shows a progress
// value (the lookup sequence's) and reads and stores through it, so that the
// bar and the sequence can never disagree.
class ProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit ProgressBar(ProgressValue &value, QWidget *parent = nullptr);

    float Value() const;
    void setValue(float value);

    float Min() const;
    float Max() const;
    void setRange(float min, float max);

private:
    void display();

    ProgressValue &m_value;
};
