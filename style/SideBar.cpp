#include "style/SideBar.h"

#include "app/common/Utils.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

SideBar::SideBar(QWidget *parent) : QWidget(parent) {}

void SideBar::setWindow(QWidget *window) { m_window = window; }

QWidget *SideBar::mainWindow() const { return m_window; }

QPoint SideBar::clampedWindowPosition(QPoint proposedTopLeft, int sidebarTopInWindow,
                                      const QRect &screenGeometry)
{
    QPoint position = proposedTopLeft;
    if (position.y() + sidebarTopInWindow < screenGeometry.top())
        position.setY(screenGeometry.top() - sidebarTopInWindow);
    return position;
}

void SideBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Utils::ColorSidebar());
}

void SideBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_window) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Wayland lets no client place its own window; the compositor moves it.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (QWindow *handle = m_window->windowHandle(); handle && handle->startSystemMove()) {
            event->accept();
            return;
        }
    }
    m_initialWindowLocation = m_window->frameGeometry().topLeft();
    m_initialLocation = event->globalPosition().toPoint();
    m_dragging = true;
    event->accept();
}

void SideBar::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !m_window || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint proposed =
        m_initialWindowLocation + event->globalPosition().toPoint() - m_initialLocation;
    const int sidebarTop = mapToGlobal(QPoint(0, 0)).y() - m_window->frameGeometry().top();
    const QScreen *screen = m_window->screen();
    const QRect screenGeometry = screen ? screen->geometry() : QRect();
    const QPoint target = screenGeometry.isValid()
                              ? clampedWindowPosition(proposed, sidebarTop, screenGeometry)
                              : proposed;
    m_window->move(target);
    event->accept();
}

void SideBar::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}
