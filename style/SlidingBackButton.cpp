#include "style/SlidingBackButton.h"

#include "style/Motion.h"
#include "style/OpacityEffect.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QPushButton>

namespace {
constexpr int inset = 8;
} // namespace

SlidingBackButton::SlidingBackButton(QPushButton *button, QWidget *header)
    : QObject(button), m_button(button), m_header(header)
{
    m_button->hide();
    m_button->raise();
    setLeftMargin(hiddenMargin());
    m_header->installEventFilter(this);
}

int SlidingBackButton::hiddenMargin() const
{
    return 13 - m_button->width() - inset;
}

void SlidingBackButton::setLeftMargin(int margin)
{
    m_leftMargin = margin;
    m_button->move(inset + margin, (m_header->height() - m_button->height()) / 2);
}

bool SlidingBackButton::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_header && event->type() == QEvent::Resize)
        setLeftMargin(m_leftMargin);
    return QObject::eventFilter(watched, event);
}

void SlidingBackButton::showOrHide(bool show)
{
    QGraphicsOpacityEffect *effect = opacityEffectOf(m_button);
    // A newer slide wins over one still going.
    for (auto *running : findChildren<QParallelAnimationGroup *>(QString(), Qt::FindDirectChildrenOnly))
        running->stop();

    auto *group = new QParallelAnimationGroup(this);
    auto *slide = new QPropertyAnimation(this, "leftMargin", group);
    auto *alpha = new QPropertyAnimation(effect, "opacity", group);
    slide->setDuration(Motion::fadeMs);
    alpha->setDuration(Motion::fadeMs);
    slide->setEasingCurve(QEasingCurve::OutCubic);
    if (show) {
        effect->setOpacity(0.0);
        m_button->show();
        m_button->raise();
        slide->setEndValue(0);
        alpha->setEndValue(1.0);
    } else {
        slide->setEndValue(hiddenMargin());
        alpha->setEndValue(0.0);
        connect(group, &QAbstractAnimation::finished, m_button, &QWidget::hide);
    }
    group->addAnimation(slide);
    group->addAnimation(alpha);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}
