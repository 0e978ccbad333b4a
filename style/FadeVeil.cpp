#include "style/FadeVeil.h"

#include <QEvent>
#include <QPainter>

FadeVeil::FadeVeil(QWidget *page, const QColor &colour)
    : QWidget(page->parentWidget()), m_page(page), m_colour(colour)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    page->installEventFilter(this);
    hide();
}

void FadeVeil::setPageOpacity(qreal opacity)
{
    m_pageOpacity = std::clamp(opacity, 0.0, 1.0);
    const bool covering = m_pageOpacity < 1.0;
    if (covering) {
        setGeometry(m_page->geometry());
        raise();
    }
    setVisible(covering);
    update();
}

bool FadeVeil::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        setGeometry(m_page->geometry());
    return QWidget::eventFilter(watched, event);
}

void FadeVeil::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(1.0 - m_pageOpacity);
    painter.fillRect(rect(), m_colour);
}
