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
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

void sendMouse(QWidget *target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    const QPointF global = target->mapToGlobal(QPointF(local));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Presses at from, drags by delta in two steps, releases.
void drag(QWidget *target, QPoint from, QPoint delta)
{
    sendMouse(target, QEvent::MouseButtonPress, from, Qt::LeftButton);
    // Positions are local to where the widget was when pressed; after the
    // window moved, the same global point maps elsewhere, so use globals.
    const QPoint startGlobal = target->mapToGlobal(from);
    for (const QPoint step : {delta / 2, delta}) {
        const QPoint global = startGlobal + step;
        QMouseEvent move(QEvent::MouseMove, QPointF(target->mapFromGlobal(global)), QPointF(global),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    const QPoint end = startGlobal + delta;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(target->mapFromGlobal(end)),
                        QPointF(end), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
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
        const ButtonArtwork artwork;
        QCOMPARE(artwork.button1Down.deviceIndependentSize(), QSizeF(24, 24));
        for (const QString name : {"button", "button_down", "button2", "button2_down", "star",
                                   "star_lighter", "tab_modified", "tab_added", "tab_playcount",
                                   "tab_rating", "appicon"}) {
            const QImage single = ButtonArtwork::imageNamed(name);
            const QImage doubled(QStringLiteral(":/images/%1@2x.png").arg(name));
            QVERIFY2(!single.isNull(), qPrintable(name));
            QCOMPARE(doubled.size(), single.size() * 2);
        }
        QVERIFY(ButtonArtwork::imageNamed("no such image").isNull());
    }

    void styledButtonShowsBothFaces()
    {
        QWidget window;
        auto *button = new QPushButton(&window);
        button->setGeometry(10, 10, 120, 32);
        QFont font = button->font();
        font.setItalic(true);
        font.setPointSize(17);
        button->setFont(font);
        ButtonArtwork artwork;
        artwork.setButtonStyle(button, false);
        window.show();

        QCOMPARE(artwork.tagetImage1.deviceIndependentSize(), QSizeF(120, 32));
        QCOMPARE(artwork.tagetImage2.deviceIndependentSize(), QSizeF(120, 32));
        QVERIFY(artwork.tagetImage1 != artwork.tagetImage2);
        QVERIFY(button->isFlat());
        QCOMPARE(button->palette().color(QPalette::ButtonText), Utils::ColorSidebar());
        QCOMPARE(button->font(), font);

        // A point of the face that the (empty) title does not cover.
        const QPoint probe(60, 12);
        QCOMPARE(pixelOf(button, probe), artwork.tagetImage1.pixel(probe));
        button->setDown(true);
        QCOMPARE(pixelOf(button, probe), artwork.tagetImage2.pixel(probe));
        QVERIFY(pixelOf(button, probe) != artwork.tagetImage1.pixel(probe));
        button->setDown(false);
        QCOMPARE(pixelOf(button, probe), artwork.tagetImage1.pixel(probe));

        // The label is drawn in the sidebar colour, over the face.
        button->setText(QStringLiteral("██████"));
        const QImage shot = button->grab().toImage();
        bool titleInk = false;
        for (int x = 0; x < shot.width() && !titleInk; ++x)
            titleInk = shot.pixel(x, 16) == Utils::ColorSidebar().rgb();
        QVERIFY(titleInk);
    }

    void facesAreRenderedOnceAtTheStyledSize()
    {
        QPushButton ordinary, action;
        ordinary.resize(90, 26);
        action.resize(90, 26);
        ButtonArtwork artwork;
        artwork.setButtonStyle(&ordinary, false);
        const QImage ordinaryFace = artwork.tagetImage1;
        artwork.setButtonStyle(&action, true);
        QVERIFY(artwork.tagetImage1 != ordinaryFace);
        QCOMPARE(ButtonArtwork::upFace(&ordinary), ordinaryFace);

        ordinary.resize(200, 40);
        QCOMPARE(ButtonArtwork::upFace(&ordinary).deviceIndependentSize(), QSizeF(90, 26));
        // Styling again renders at the new size and does not stack painters.
        artwork.setButtonStyle(&ordinary, false);
        QCOMPARE(ButtonArtwork::upFace(&ordinary).deviceIndependentSize(), QSizeF(200, 40));
        QCOMPARE(ordinary.findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    }

    void arrowPointsLeftInTheContentColour()
    {
        QWidget backdrop;
        backdrop.setAutoFillBackground(true);
        QPalette palette;
        palette.setColor(QPalette::Window, Qt::black);
        backdrop.setPalette(palette);
        backdrop.resize(20, 20);
        auto *arrow = new Arrow(&backdrop);
        arrow->move(5, 5);
        QCOMPARE(arrow->size(), QSize(6, 10));
        const QImage shot = backdrop.grab().toImage();
        // Full height at the right, the tip at the left middle.
        QCOMPARE(shot.pixel(5 + 5, 5 + 5), Utils::ColorBG().rgb());
        QCOMPARE(shot.pixel(5 + 5, 5 + 1), Utils::ColorBG().rgb());
        QCOMPARE(shot.pixel(5 + 5, 5 + 8), Utils::ColorBG().rgb());
        QCOMPARE(shot.pixel(5 + 0, 5 + 0), QColor(Qt::black).rgb());
        QCOMPARE(shot.pixel(5 + 0, 5 + 9), QColor(Qt::black).rgb());
    }

    void sidebarClampKeepsItsTopOnScreen()
    {
        const QRect screen(0, 0, 1440, 900);
        // Below the top: free, in every direction.
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(300, 200), 40, screen), QPoint(300, 200));
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(-5000, 5000), 40, screen),
                 QPoint(-5000, 5000));
        // The title bar may go above the top, the sidebar may not.
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(300, -30), 40, screen), QPoint(300, -30));
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(300, -40), 40, screen), QPoint(300, -40));
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(300, -41), 40, screen), QPoint(300, -40));
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(9999, -900), 40, screen), QPoint(9999, -40));
        // A screen that does not start at the origin.
        const QRect lower(1440, 300, 1920, 1080);
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(1500, 100), 40, lower), QPoint(1500, 260));
    }

    void draggingTheSidebarMovesTheWindow()
    {
        QWidget window;
        window.setWindowFlag(Qt::FramelessWindowHint);
        window.resize(400, 300);
        auto *sidebar = new SideBar(&window);
        sidebar->setGeometry(0, 40, 69, 260);
        sidebar->setWindow(&window);
        QCOMPARE(sidebar->mainWindow(), &window);
        window.move(100, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(pixelOf(sidebar, QPoint(30, 100)), Utils::ColorSidebar().rgb());

        drag(sidebar, QPoint(20, 20), QPoint(30, 25));
        QTRY_COMPARE(window.pos(), QPoint(130, 145));
        QCOMPARE(sidebar->initialWindowLocation(), QPoint(100, 120));

        // Far up: stops with the sidebar's top at the screen's top.
        const int screenTop = window.screen()->geometry().top();
        drag(sidebar, QPoint(20, 20), QPoint(-50, -2000));
        QTRY_COMPARE(window.pos(), QPoint(80, screenTop - 40));

        // Without a window to move, a drag does nothing.
        sidebar->setWindow(nullptr);
        drag(sidebar, QPoint(20, 20), QPoint(30, 30));
        QCOMPARE(window.pos(), QPoint(80, screenTop - 40));
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

        QCOMPARE(window.titleBarView()->geometry(), QRect(b, b, 600 - 2 * b, 40));
        QCOMPARE(window.contentView()->geometry(), QRect(b, b + 40, 600 - 2 * b, 400 - 40 - 2 * b));
        const QRect close = window.closeButton()->geometry();
        const QRect minimize = window.miniaturizeButton()->geometry();
        const QRect zoom = window.zoomButton()->geometry();
        QCOMPARE(close.left(), b + 7);
        QVERIFY(close.right() < minimize.left() && minimize.right() < zoom.left());
        QCOMPARE(close.center().y(), window.titleBarView()->geometry().center().y());
        const QRect full = window.fullScreenButton()->geometry();
        QCOMPARE(full.right() + 1, 600 - b - 7);
        QVERIFY(qAbs(full.center().y() - window.titleBarView()->geometry().center().y()) <= 1);

        window.setCenterFullScreenButton(false);
        QVERIFY(window.fullScreenButton()->geometry().center().y() < b + 14);
        window.setFullScreenButtonRightMargin(20.0);
        QCOMPARE(window.fullScreenButton()->geometry().right() + 1, 600 - b - 20);

        // Follows a resize and a new title bar height.
        window.setTitleBarHeight(60.0);
        window.resize(700, 500);
        QCOMPARE(window.contentView()->geometry(), QRect(b, b + 60, 700 - 2 * b, 500 - 60 - 2 * b));
        QCOMPARE(window.fullScreenButton()->geometry().right() + 1, 700 - b - 20);
    }

    void windowButtonsStayAboveTheTitleBarsContents()
    {
        TitleBarWindow window;
        window.resize(500, 300);
        auto *title = new QLabel(QStringLiteral("Title"), window.titleBarView());
        title->setGeometry(window.titleBarView()->rect());
        window.show();
        for (QAbstractButton *button : {window.closeButton(), window.miniaturizeButton(),
                                        window.zoomButton(), window.fullScreenButton()})
            QCOMPARE(window.childAt(button->geometry().center()), button);
    }

    void closingHidesWithoutQuitting()
    {
        auto *window = new TitleBarWindow;
        QPointer<TitleBarWindow> guard(window);
        QSignalSpy closed(window, &TitleBarWindow::closed);
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->closeButton()->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(lastClosed.size(), 0);
        QVERIFY(guard);
        window->show();
        QVERIFY(window->isVisible());
        delete window;
    }

    void backgroundColourFillsTheWindow()
    {
        TitleBarWindow window;
        window.resize(300, 200);
        window.setBackgroundColor(QColor(10, 200, 30));
        const QImage shot = window.grab().toImage();
        QCOMPARE(shot.pixelColor(150, 120), QColor(10, 200, 30));
        QCOMPARE(window.backgroundColor(), QColor(10, 200, 30));
        window.setTitleBarSideColumn(69, Utils::ColorSidebar());
        QCOMPARE(window.grab().toImage().pixel(60, 5), Utils::ColorSidebar().rgb());
    }

    void titleBarDragMovesAndEdgesResize()
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
        const QPoint rightEdge(window.width() - 2, 150);
        drag(window.childAt(rightEdge), window.childAt(rightEdge)->mapFrom(&window, rightEdge),
             QPoint(40, 0));
        QTRY_COMPARE(window.geometry(), QRect(120, 140, 540, 300));
        const QPoint leftEdge(1, 150);
        drag(window.childAt(leftEdge), window.childAt(leftEdge)->mapFrom(&window, leftEdge),
             QPoint(-30, 0));
        QTRY_COMPARE(window.geometry(), QRect(90, 140, 570, 300));
        const QPoint corner(window.width() - 2, window.height() - 2);
        drag(window.childAt(corner), window.childAt(corner)->mapFrom(&window, corner),
             QPoint(-5000, -5000));
        QTRY_COMPARE(window.geometry().topLeft(), QPoint(90, 140));
        QCOMPARE(window.size(), window.minimumSize());
    }
};

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
