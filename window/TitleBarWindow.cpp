#include "window/TitleBarWindow.h"

#include "app/common/Utils.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include <cmath>

namespace {

constexpr int lightSize = 12;
constexpr int lightPitch = 20;
constexpr int fullScreenSize = 14;
// An ordinary title bar is this tall; an uncentred full-screen button sits
// where it would sit in one.
constexpr int ordinaryTitleBarHeight = 22;
constexpr int gripThickness = 5;
constexpr int gripCorner = 12;

// One of the round window buttons or the full-screen button. A round one shows
// its glyph while the pointer is over it, and turns grey in an inactive window.
class WindowButton : public QAbstractButton
{
public:
    enum Kind { Close, Minimize, Zoom, FullScreen };

    WindowButton(Kind kind, QWidget *parent) : QAbstractButton(parent), m_kind(kind)
    {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
        setAttribute(Qt::WA_Hover);
        const int side = kind == FullScreen ? fullScreenSize : lightSize;
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const bool hot = underMouse() || isDown();
        if (m_kind == FullScreen) {
            paintFullScreen(p, hot);
            return;
        }
        QColor fill;
        switch (m_kind) {
        case Close: fill = QColor(217, 104, 88); break;
        case Minimize: fill = QColor(226, 176, 74); break;
        default: fill = QColor(142, 160, 84); break;
        }
        if (!window()->isActiveWindow() && !hot)
            fill = QColor(198, 190, 180);
        if (isDown())
            fill = fill.darker(115);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(fill.darker(125), 1));
        p.setBrush(fill);
        p.drawEllipse(r);
        if (!hot)
            return;
        p.setPen(QPen(fill.darker(230), 1.3, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = r.center();
        const double g = 2.6;
        switch (m_kind) {
        case Close:
            p.drawLine(c + QPointF(-g, -g), c + QPointF(g, g));
            p.drawLine(c + QPointF(-g, g), c + QPointF(g, -g));
            break;
        case Minimize: p.drawLine(c + QPointF(-g - 0.5, 0), c + QPointF(g + 0.5, 0)); break;
        default:
            p.drawLine(c + QPointF(-g - 0.5, 0), c + QPointF(g + 0.5, 0));
            p.drawLine(c + QPointF(0, -g - 0.5), c + QPointF(0, g + 0.5));
            break;
        }
    }

private:
    void paintFullScreen(QPainter &p, bool hot)
    {
        QColor ink = Utils::ColorSidebar();
        ink.setAlphaF(hot ? 1.0f : 0.55f);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        // Two corner wedges pointing outwards (enter) or inwards (leave).
        const bool leave = window()->isFullScreen();
        const double s = fullScreenSize;
        QPainterPath a, b;
        if (!leave) {
            a.moveTo(1, 1); a.lineTo(7, 1); a.lineTo(1, 7);
            b.moveTo(s - 1, s - 1); b.lineTo(s - 7, s - 1); b.lineTo(s - 1, s - 7);
        } else {
            a.moveTo(6.5, 6.5); a.lineTo(0.5, 6.5); a.lineTo(6.5, 0.5);
            b.moveTo(s - 6.5, s - 6.5); b.lineTo(s - 0.5, s - 6.5); b.lineTo(s - 6.5, s - 0.5);
        }
        a.closeSubpath();
        b.closeSubpath();
        p.drawPath(a);
        p.drawPath(b);
    }

    Kind m_kind;
};

// An invisible strip along an edge or a corner that resizes the window.
class ResizeGrip : public QWidget
{
public:
    ResizeGrip(Qt::Edges edges, QWidget *window) : QWidget(window), m_edges(edges)
    {
        const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
        const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
        if (horizontal && vertical) {
            const bool falling = edges == (Qt::TopEdge | Qt::LeftEdge)
                                 || edges == (Qt::BottomEdge | Qt::RightEdge);
            setCursor(falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
        } else {
            setCursor(horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        }
    }

    Qt::Edges edges() const { return m_edges; }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        QWidget *w = window();
        if (QWindow *handle = w->windowHandle(); handle && handle->startSystemResize(m_edges))
            return;
        m_resizing = true;
        m_startGlobal = event->globalPosition().toPoint();
        m_startGeometry = w->geometry();
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (!m_resizing)
            return;
        QWidget *w = window();
        const QPoint delta = event->globalPosition().toPoint() - m_startGlobal;
        QRect g = m_startGeometry;
        const QSize minimum = w->minimumSize().expandedTo(QSize(1, 1));
        const QSize maximum = w->maximumSize();
        if (m_edges & Qt::LeftEdge) {
            const int width = std::clamp(g.width() - delta.x(), minimum.width(), maximum.width());
            g.setLeft(g.right() + 1 - width);
        }
        if (m_edges & Qt::RightEdge)
            g.setWidth(std::clamp(g.width() + delta.x(), minimum.width(), maximum.width()));
        if (m_edges & Qt::TopEdge) {
            const int height =
                std::clamp(g.height() - delta.y(), minimum.height(), maximum.height());
            g.setTop(g.bottom() + 1 - height);
        }
        if (m_edges & Qt::BottomEdge)
            g.setHeight(std::clamp(g.height() + delta.y(), minimum.height(), maximum.height()));
        w->setGeometry(g);
    }

    void mouseReleaseEvent(QMouseEvent *) override { m_resizing = false; }

private:
    Qt::Edges m_edges;
    bool m_resizing = false;
    QPoint m_startGlobal;
    QRect m_startGeometry;
};

} // namespace

TitleBarWindow::TitleBarWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_background(Utils::ColorBG())
{
    // Closing hides the window; quitting is the application's own command.
    setAttribute(Qt::WA_QuitOnClose, false);
    setMinimumSize(320, 200);

    m_titleBar = new QWidget(this);
    m_titleBar->setObjectName(QStringLiteral("titleBarView"));
    m_titleBar->installEventFilter(this);
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("contentView"));

    auto *close = new WindowButton(WindowButton::Close, this);
    close->setToolTip(tr("Close"));
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    auto *minimize = new WindowButton(WindowButton::Minimize, this);
    minimize->setToolTip(tr("Minimize"));
    connect(minimize, &QAbstractButton::clicked, this, &QWidget::showMinimized);
    auto *zoom = new WindowButton(WindowButton::Zoom, this);
    zoom->setToolTip(tr("Zoom"));
    connect(zoom, &QAbstractButton::clicked, this, &TitleBarWindow::toggleZoom);
    auto *fullScreen = new WindowButton(WindowButton::FullScreen, this);
    fullScreen->setToolTip(tr("Enter Full Screen"));
    connect(fullScreen, &QAbstractButton::clicked, this, &TitleBarWindow::toggleFullScreen);
    m_closeButton = close;
    m_minimizeButton = minimize;
    m_zoomButton = zoom;
    m_fullScreenButton = fullScreen;

    for (Qt::Edges edges :
         {Qt::Edges(Qt::LeftEdge), Qt::Edges(Qt::RightEdge), Qt::Edges(Qt::TopEdge),
          Qt::Edges(Qt::BottomEdge), Qt::TopEdge | Qt::LeftEdge, Qt::TopEdge | Qt::RightEdge,
          Qt::BottomEdge | Qt::LeftEdge, Qt::BottomEdge | Qt::RightEdge})
        m_grips.append(new ResizeGrip(edges, this));

    resize(720, 480);
    layoutChrome();
}

void TitleBarWindow::setTrafficLightButtonsLeftMargin(double margin)
{
    m_leftMargin = margin;
    layoutChrome();
}

void TitleBarWindow::setFullScreenButtonRightMargin(double margin)
{
    m_rightMargin = margin;
    layoutChrome();
}

void TitleBarWindow::setCenterFullScreenButton(bool center)
{
    m_centerFullScreen = center;
    layoutChrome();
}

void TitleBarWindow::setTitleBarHeight(double height)
{
    m_titleBarHeight = std::max(0.0, height);
    layoutChrome();
}

void TitleBarWindow::setBackgroundColor(const QColor &color)
{
    m_background = color;
    update();
}

void TitleBarWindow::setTitleBarSideColumn(double width, const QColor &color)
{
    m_columnWidth = std::max(0.0, width);
    m_columnColor = color;
    update();
}

void TitleBarWindow::layoutIfResized() const
{
    if (m_laidOutSize != size())
        const_cast<TitleBarWindow *>(this)->layoutChrome();
}

QWidget *TitleBarWindow::titleBarView() const
{
    layoutIfResized();
    return m_titleBar;
}

QWidget *TitleBarWindow::contentView() const
{
    layoutIfResized();
    return m_content;
}

QAbstractButton *TitleBarWindow::closeButton() const
{
    layoutIfResized();
    return m_closeButton;
}

QAbstractButton *TitleBarWindow::miniaturizeButton() const
{
    layoutIfResized();
    return m_minimizeButton;
}

QAbstractButton *TitleBarWindow::zoomButton() const
{
    layoutIfResized();
    return m_zoomButton;
}

QAbstractButton *TitleBarWindow::fullScreenButton() const
{
    layoutIfResized();
    return m_fullScreenButton;
}

int TitleBarWindow::borderWidth() const
{
    return (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) ? 0 : 1;
}

void TitleBarWindow::layoutChrome()
{
    m_laidOutSize = size();
    const int b = borderWidth();
    const int w = width(), h = height();
    const int bar = int(std::lround(m_titleBarHeight));
    m_titleBar->setGeometry(b, b, w - 2 * b, bar);
    m_content->setGeometry(b, b + bar, w - 2 * b, std::max(0, h - bar - 2 * b));

    const int lightTop = b + (bar - lightSize) / 2;
    const QList<QAbstractButton *> lights{m_closeButton, m_minimizeButton, m_zoomButton};
    for (int i = 0; i < lights.size(); ++i) {
        lights[i]->move(b + int(std::lround(m_leftMargin)) + i * lightPitch, lightTop);
        lights[i]->raise();
    }
    const int fullTop = m_centerFullScreen ? (bar - fullScreenSize) / 2
                                           : (ordinaryTitleBarHeight - fullScreenSize) / 2;
    m_fullScreenButton->move(w - b - int(std::lround(m_rightMargin)) - fullScreenSize,
                             b + fullTop);
    m_fullScreenButton->raise();

    const bool resizable = b > 0;
    for (QWidget *grip : std::as_const(m_grips)) {
        const Qt::Edges e = static_cast<ResizeGrip *>(grip)->edges();
        QRect r;
        const bool corner = (e & (Qt::LeftEdge | Qt::RightEdge)) && (e & (Qt::TopEdge | Qt::BottomEdge));
        const int t = corner ? gripCorner : gripThickness;
        const int x = (e & Qt::LeftEdge) ? 0 : (e & Qt::RightEdge) ? w - t : gripCorner;
        const int y = (e & Qt::TopEdge) ? 0 : (e & Qt::BottomEdge) ? h - t : gripCorner;
        const int gw = (e & (Qt::LeftEdge | Qt::RightEdge)) ? t : w - 2 * gripCorner;
        const int gh = (e & (Qt::TopEdge | Qt::BottomEdge)) ? t : h - 2 * gripCorner;
        r = QRect(x, y, gw, gh);
        grip->setGeometry(r);
        grip->setVisible(resizable);
        grip->raise();
    }
    // The window buttons stay clickable where a corner grip overlaps them.
    for (QAbstractButton *button : lights)
        button->raise();
    m_fullScreenButton->raise();
    update();
}

void TitleBarWindow::toggleZoom()
{
    if (isMaximized())
        showNormal();
    else
        showMaximized();
}

void TitleBarWindow::toggleFullScreen()
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}

bool TitleBarWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_titleBar)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        if (QWindow *handle = windowHandle(); handle && handle->startSystemMove())
            return true;
        m_dragging = true;
        m_dragStartGlobal = mouse->globalPosition().toPoint();
        m_dragStartWindow = frameGeometry().topLeft();
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_dragging || !(mouse->buttons() & Qt::LeftButton))
            break;
        move(m_dragStartWindow + mouse->globalPosition().toPoint() - m_dragStartGlobal);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_dragging = false;
            toggleZoom();
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TitleBarWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChrome();
}

void TitleBarWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_background);
    const int b = borderWidth();
    const QRect bar = m_titleBar->geometry();
    if (m_columnWidth > 0)
        p.fillRect(QRectF(bar.left(), bar.top(), m_columnWidth, bar.height()), m_columnColor);
    if (bar.height() > 0) {
        // A hairline between title bar and content, right of the column.
        p.fillRect(QRectF(bar.left() + m_columnWidth, bar.bottom(),
                          bar.width() - m_columnWidth, 1),
                   Utils::ColorBorder());
    }
    if (b > 0) {
        QColor frame = Utils::ColorSidebar();
        frame.setAlphaF(0.55f);
        p.setPen(QPen(frame, b));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(b / 2.0, b / 2.0, -b / 2.0, -b / 2.0));
    }
}

void TitleBarWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}

void TitleBarWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        m_fullScreenButton->setToolTip(isFullScreen() ? tr("Exit Full Screen")
                                                      : tr("Enter Full Screen"));
        layoutChrome();
    } else if (event->type() == QEvent::ActivationChange) {
        update();
        for (QAbstractButton *b : {m_closeButton, m_minimizeButton, m_zoomButton})
            b->update();
    }
}
