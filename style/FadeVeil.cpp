#include "style/FadeVeil.h"

#include <QEvent>
#include <QPainter>

FadeVeil::FadeVeil(QWidget *page, const QColor &colour, Placement placement)
    : QWidget(placement == OverChildren ? page : page->parentWidget()), m_page(page), m_colour(colour),
      m_placement(placement)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    page->installEventFilter(this);
    hide();
}

QRect FadeVeil::pageArea() const
{
    return m_placement == OverChildren ? m_page->rect() : m_page->geometry();
}

void FadeVeil::setPageOpacity(qreal opacity)
{
    m_pageOpacity = std::clamp(opacity, 0.0, 1.0);
    const bool covering = m_pageOpacity < 1.0;
    if (covering) {
        setGeometry(pageArea());
        raise();
    }
    setVisible(covering);
    update();
}

bool FadeVeil::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        setGeometry(pageArea());
    return QWidget::eventFilter(watched, event);
}

void FadeVeil::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(1.0 - m_pageOpacity);
    painter.fillRect(rect(), m_colour);
}
