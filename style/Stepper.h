#pragma once

#include <QWidget>

class QToolButton;

// A stepper: two small arrow buttons, one above the other, that step an
// integer value up or down within a range (holding a button repeats). It
// shows no number itself; it sits beside the field that does.
class Stepper : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int singleStep READ singleStep WRITE setSingleStep)
public:
    explicit Stepper(QWidget *parent = nullptr);

    int value() const { return m_value; }
    // Held within the range; emits nothing.
    void setValue(int value);
    int minimum() const { return m_minimum; }
    void setMinimum(int minimum);
    int maximum() const { return m_maximum; }
    void setMaximum(int maximum);
    int singleStep() const { return m_step; }
    void setSingleStep(int step) { m_step = step; }

    void stepUp() { stepBy(1); }
    void stepDown() { stepBy(-1); }

    QSize sizeHint() const override;

signals:
    // The user stepped the value (not emitted by setValue).
    void stepped(int value);

private:
    void stepBy(int steps);

    QToolButton *m_up;
    QToolButton *m_down;
    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 99;
    int m_step = 1;
};
