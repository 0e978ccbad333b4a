// The program's own controls on real widgets: button faces, the tab arrow,
// the sidebar that drags the window, and the title-bar window.

#include "Arrow.h"
#include "ButtonArtwork.h"
#include "SideBar.h"
#include "TitleBarWindow.h"
#include "Utils.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

// Presses at from, drags by delta in two steps, releases. Positions are
// local to where the widget was when pressed; after the window moved, the same
// global point maps elsewhere, so every event is placed by its global point.
void drag(QWidget *target, QPoint from, QPoint delta)
{
    const QPoint start = target->mapToGlobal(from);
    const auto send = [&](QEvent::Type type, QPoint step, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(target->mapFromGlobal(start + step)), QPointF(start + step),
                          button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    send(QEvent::MouseButtonPress, {}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, delta / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, delta, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, delta, Qt::LeftButton, Qt::NoButton);
}

// Drags the window's edge under the given point of the window.
void dragEdge(QWidget *window, QPoint at, QPoint delta)
{
    QWidget *edge = window->childAt(at);
    drag(edge, edge->mapFrom(window, at), delta);
}

QRgb pixelOf(QWidget *widget, QPoint point)
{
    return widget->grab().toImage().pixel(point);
}

} // namespace

class TestChrome : public QObject
{
    Q_OBJECT

private slots:
    void artworkIsInTheProgram()
    {
        for (const QString name : {"button", "button_down", "button2", "button2_down", "star",
                                   "star_lighter", "tab_modified", "tab_added", "tab_playcount",
                                   "tab_rating", "appicon"}) {
            const QImage single = ButtonArtwork::imageNamed(name);
            QVERIFY2(!single.isNull(), qPrintable(name));
            QCOMPARE(QImage(QStringLiteral(":/images/%1@2x.png").arg(name)).size(), single.size() * 2);
        }
    }

    // Up face at rest, pressed face while held, title in the sidebar colour; the
    // faces are rendered at the size the button had when styled, and restyling
    // renders anew without stacking painters.
    void styledButtonShowsBothFaces()
    {
        QWidget window;
        auto *button = new QPushButton(&window);
        button->setGeometry(10, 10, 120, 32);
        ButtonArtwork artwork;
        artwork.setButtonStyle(button, true);
        const QImage actionFace = artwork.tagetImage1;
        artwork.setButtonStyle(button, false);
        window.show();
        QVERIFY(artwork.tagetImage1 != actionFace);
        QCOMPARE(artwork.tagetImage1.deviceIndependentSize(), QSizeF(120, 32));

        // A point of the face that the (empty) title does not cover.
        const QPoint probe(60, 12);
        QCOMPARE(pixelOf(button, probe), artwork.tagetImage1.pixel(probe));
        button->setDown(true);
        QCOMPARE(pixelOf(button, probe), artwork.tagetImage2.pixel(probe));
        QVERIFY(pixelOf(button, probe) != artwork.tagetImage1.pixel(probe));
        button->setDown(false);
        QCOMPARE(pixelOf(button, probe), artwork.tagetImage1.pixel(probe));

        button->setText(QStringLiteral("██████"));
        const QImage shot = button->grab().toImage();
        bool titleInk = false;
        for (int x = 0; x < shot.width() && !titleInk; ++x)
            titleInk = shot.pixel(x, 16) == Utils::ColorSidebar().rgb();
        QVERIFY(titleInk);

        button->resize(200, 40);
        QCOMPARE(ButtonArtwork::upFace(button).deviceIndependentSize(), QSizeF(120, 32));
        artwork.setButtonStyle(button, false);
        QCOMPARE(ButtonArtwork::upFace(button).deviceIndependentSize(), QSizeF(200, 40));
        QCOMPARE(button->findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    }

    void arrowPointsLeftInTheContentColour()
    {
        QWidget backdrop;
        backdrop.setAutoFillBackground(true);
        backdrop.setPalette(QPalette(Qt::black, Qt::black));
        backdrop.resize(20, 20);
        auto *arrow = new Arrow(&backdrop);
        arrow->move(5, 5);
        QCOMPARE(arrow->size(), QSize(6, 10));
        const QImage shot = backdrop.grab().toImage();
        // Full height at the right, the tip at the left middle.
        for (int y : {6, 10, 13})
            QCOMPARE(shot.pixel(10, y), Utils::ColorBG().rgb());
        QCOMPARE(shot.pixel(5, 5), QColor(Qt::black).rgb());
        QCOMPARE(shot.pixel(5, 14), QColor(Qt::black).rgb());
    }

    void sidebarClampKeepsItsTopOnScreen()
    {
        const QRect screen(0, 0, 1440, 900);
        // The title bar may go above the top, the sidebar may not; sideways is free.
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(-5000, 5000), 40, screen), QPoint(-5000, 5000));
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(300, -40), 40, screen), QPoint(300, -40));
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(9999, -41), 40, screen), QPoint(9999, -40));
        // A screen that does not start at the origin.
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(1500, 100), 40, QRect(1440, 300, 1920, 1080)),
                 QPoint(1500, 260));
    }

    void draggingTheSidebarMovesTheWindow()
    {
        QWidget window;
        window.setWindowFlag(Qt::FramelessWindowHint);
        window.resize(400, 300);
        auto *sidebar = new SideBar(&window);
        sidebar->setGeometry(0, 40, 69, 260);
        sidebar->setWindow(&window);
        window.move(100, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(pixelOf(sidebar, QPoint(30, 100)), Utils::ColorSidebar().rgb());

        drag(sidebar, QPoint(20, 20), QPoint(30, 25));
        QTRY_COMPARE(window.pos(), QPoint(130, 145));
        // Far up: stops with the sidebar's top at the screen's top.
        const QPoint clamped(80, window.screen()->geometry().top() - 40);
        drag(sidebar, QPoint(20, 20), QPoint(-50, -2000));
        QTRY_COMPARE(window.pos(), clamped);
        // Without a window to move, a drag does nothing.
        sidebar->setWindow(nullptr);
        drag(sidebar, QPoint(20, 20), QPoint(30, 30));
        QCOMPARE(window.pos(), clamped);
    }

    void titleBarWindowLaysOutItsChrome()
    {
        TitleBarWindow window;
        window.setTrafficLightButtonsLeftMargin(7.0);
        window.setFullScreenButtonRightMargin(7.0);
        window.setCenterFullScreenButton(true);
        window.setTitleBarHeight(40.0);
        window.resize(600, 400);
        const int b = window.borderWidth();
        const QRect bar = window.titleBarView()->geometry();
        QCOMPARE(bar, QRect(b, b, 600 - 2 * b, 40));
        QCOMPARE(window.contentView()->geometry(), QRect(b, b + 40, 600 - 2 * b, 400 - 40 - 2 * b));
        const QRect close = window.closeButton()->geometry();
        const QRect minimize = window.miniaturizeButton()->geometry();
        QCOMPARE(close.left(), b + 7);
        QVERIFY(close.right() < minimize.left() && minimize.right() < window.zoomButton()->x());
        QCOMPARE(close.center().y(), bar.center().y());
        const QRect full = window.fullScreenButton()->geometry();
        QCOMPARE(full.right() + 1, 600 - b - 7);
        QVERIFY(qAbs(full.center().y() - bar.center().y()) <= 1);
        window.setCenterFullScreenButton(false);
        QVERIFY(window.fullScreenButton()->geometry().center().y() < b + 14);

        window.setBackgroundColor(QColor(10, 200, 30));
        window.setTitleBarSideColumn(69, Utils::ColorSidebar());
        const QImage shot = window.grab().toImage();
        QCOMPARE(shot.pixelColor(300, 300), QColor(10, 200, 30));
        QCOMPARE(shot.pixel(60, 5), Utils::ColorSidebar().rgb());

        // Follows a resize and a new title bar height.
        window.setTitleBarHeight(60.0);
        window.resize(700, 500);
        QCOMPARE(window.contentView()->geometry(), QRect(b, b + 60, 700 - 2 * b, 500 - 60 - 2 * b));
        QCOMPARE(window.fullScreenButton()->geometry().right() + 1, 700 - b - 7);

        // The window buttons stay clickable above what is laid into the bar.
        (new QLabel(QStringLiteral("Title"), window.titleBarView()))->setGeometry(window.titleBarView()->rect());
        window.show();
        for (QAbstractButton *button : {window.closeButton(), window.miniaturizeButton(),
                                        window.zoomButton(), window.fullScreenButton()})
            QCOMPARE(window.childAt(button->geometry().center()), button);
    }

    void titleBarDragMovesEdgesResizeAndCloseHides()
    {
        TitleBarWindow window;
        window.resize(500, 300);
        window.move(100, 100);
        auto *title = new QLabel(QStringLiteral("Melvora"), window.titleBarView());
        title->setGeometry(150, 10, 200, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        drag(window.titleBarView(), QPoint(100, 20), QPoint(40, 30));
        QTRY_COMPARE(window.pos(), QPoint(140, 130));
        // Also by the title text laid into the bar.
        drag(title, QPoint(10, 10), QPoint(-20, 10));
        QTRY_COMPARE(window.pos(), QPoint(120, 140));

        // Right edge wider, left edge wider to the left, bottom-right corner.
        dragEdge(&window, QPoint(window.width() - 2, 150), QPoint(40, 0));
        QTRY_COMPARE(window.geometry(), QRect(120, 140, 540, 300));
        dragEdge(&window, QPoint(1, 150), QPoint(-30, 0));
        QTRY_COMPARE(window.geometry(), QRect(90, 140, 570, 300));
        dragEdge(&window, QPoint(window.width() - 2, window.height() - 2), QPoint(-5000, -5000));
        QTRY_COMPARE(window.geometry().topLeft(), QPoint(90, 140));
        QCOMPARE(window.size(), window.minimumSize());

        // Closing hides the window; the program goes on.
        QSignalSpy closed(&window, &TitleBarWindow::closed);
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        window.closeButton()->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(lastClosed.size(), 0);
    }
};

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
