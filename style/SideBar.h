#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

// The dark strip down the left of the main window that holds the tool tabs.
// It also serves as a handle: dragging it moves the main window, but never so
// far up that the strip's top (the top of the content area) leaves the
// screen; sideways and downwards the window moves freely.
class SideBar : public QWidget
{
    Q_OBJECT
public:
    explicit SideBar(QWidget *parent = nullptr);

    // The window the strip moves. Kept apart from QWidget::window() because
    // the strip may be placed before it is put inside that window.
    void setWindow(QWidget *window);
    QWidget *mainWindow() const;

    QPoint initialLocation() const { return m_initialLocation; }
    void setInitialLocation(QPoint point) { m_initialLocation = point; }
    QPoint initialWindowLocation() const { return m_initialWindowLocation; }
    void setInitialWindowLocation(QPoint point) { m_initialWindowLocation = point; }

    // Where the window's frame goes when a drag proposes proposedTopLeft:
    // y is raised to keep the strip's top, sidebarTopInWindow below the
    // frame's top, from going above the screen's top. Nothing else changes.
    static QPoint clampedWindowPosition(QPoint proposedTopLeft, int sidebarTopInWindow,
                                        const QRect &screenGeometry);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPointer<QWidget> m_window;
    QPoint m_initialLocation;
    QPoint m_initialWindowLocation;
    bool m_dragging = false;
};
