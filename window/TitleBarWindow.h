#pragma once

#include <QColor>
#include <QWidget>

class QAbstractButton;

// The main window's frame: a frameless top-level window that draws a tall
// title bar of its own. The title bar carries the window buttons (close,
// minimise, zoom) at a left margin and a full-screen button at a right
// margin; whatever the application puts into titleBarView() sits beneath
// those buttons. Dragging the title bar moves the window, its edges resize
// it, and closing it only hides it (closed() tells the application).
class TitleBarWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TitleBarWindow(QWidget *parent = nullptr);

    void setTrafficLightButtonsLeftMargin(double margin);
    double trafficLightButtonsLeftMargin() const { return m_leftMargin; }
    void setFullScreenButtonRightMargin(double margin);
    double fullScreenButtonRightMargin() const { return m_rightMargin; }
    // Centred vertically in the title bar, or at the height of an ordinary
    // title bar's button.
    void setCenterFullScreenButton(bool center);
    bool centerFullScreenButton() const { return m_centerFullScreen; }
    void setTitleBarHeight(double height);
    double titleBarHeight() const { return m_titleBarHeight; }
    void setBackgroundColor(const QColor &color);
    QColor backgroundColor() const { return m_background; }
    // A column of colour at the title bar's left, so that a sidebar in the
    // content area can seem to run up to the window's top. None by default.
    void setTitleBarSideColumn(double width, const QColor &color);

    // The views and buttons are laid out for the window's current size even
    // before it is first shown (a hidden widget gets its resize event late).
    QWidget *titleBarView() const;
    // Everything below the title bar; its children are placed by hand.
    QWidget *contentView() const;

    QAbstractButton *closeButton() const;
    QAbstractButton *miniaturizeButton() const;
    QAbstractButton *zoomButton() const;
    QAbstractButton *fullScreenButton() const;

    // Thickness of the frame line drawn around the window when it is neither
    // maximised nor full screen.
    int borderWidth() const;

signals:
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layoutChrome();
    void layoutIfResized() const;
    void toggleZoom();
    void toggleFullScreen();

    QWidget *m_titleBar = nullptr;
    QWidget *m_content = nullptr;
    QAbstractButton *m_closeButton = nullptr;
    QAbstractButton *m_minimizeButton = nullptr;
    QAbstractButton *m_zoomButton = nullptr;
    QAbstractButton *m_fullScreenButton = nullptr;
    QList<QWidget *> m_grips;
    QSize m_laidOutSize;

    double m_leftMargin = 7.0;
    double m_rightMargin = 7.0;
    bool m_centerFullScreen = true;
    double m_titleBarHeight = 40.0;
    QColor m_background;
    double m_columnWidth = 0.0;
    QColor m_columnColor;

    // Moving by the title bar where the platform cannot move the window itself.
    bool m_dragging = false;
    QPoint m_dragStartGlobal;
    QPoint m_dragStartWindow;
};
