#include "style/Stepper.h"

#include <QToolButton>
#include <QVBoxLayout>

Stepper::Stepper(QWidget *parent) : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        button->setFixedWidth(18);
        layout->addWidget(button);
    }
    m_up->setObjectName(QStringLiteral("stepUp"));
    m_down->setObjectName(QStringLiteral("stepDown"));
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, &Stepper::stepUp);
    connect(m_down, &QToolButton::clicked, this, &Stepper::stepDown);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Stepper::setValue(int value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
}

void Stepper::setMinimum(int minimum)
{
    m_minimum = minimum;
    m_maximum = std::max(m_maximum, minimum);
    setValue(m_value);
}

void Stepper::setMaximum(int maximum)
{
    m_maximum = maximum;
    m_minimum = std::min(m_minimum, maximum);
    setValue(m_value);
}

void Stepper::stepBy(int steps)
{
    // In 64 bits: a step past the end of the range stops at the end.
    const qint64 next = qint64(m_value) + qint64(steps) * m_step;
    m_value = int(std::clamp<qint64>(next, m_minimum, m_maximum));
    emit stepped(m_value);
}

QSize Stepper::sizeHint() const
{
    return {18, 26};
}
