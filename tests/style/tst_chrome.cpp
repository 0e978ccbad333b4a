// The program's own drawing and controls: nine-slice images, button faces,
// the sidebar that drags the window, and the title-bar window.

#include "ButtonArtwork.h"
#include "SideBar.h"
#include "StretchableImage.h"
#include "TitleBarWindow.h"
#include "Utils.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using StretchableImage::Insets;
using StretchableImage::Piece;

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

const Insets buttonInsets{4.0, 4.0, 7.0, 7.0};

// Destination and source of each piece, in order: a mismatch names its index.
QList<QRectF> rects(const QList<Piece> &pieces)
{
    QList<QRectF> list;
    for (const Piece &p : pieces)
        list << p.destination << p.source;
    return list;
}

// A 24 x 24 image whose nine regions (cut by the button insets) each have
// their own colour, so a drawing shows where every piece landed.
const QColor regionColour[3][3] = {
    // columns: left, middle, right; rows: top, middle, bottom
    {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)},
    {QColor(255, 255, 0), QColor(0, 255, 255), QColor(255, 0, 255)},
    {QColor(128, 0, 0), QColor(0, 128, 0), QColor(0, 0, 128)},
};

QImage regionImage(int scale)
{
    QImage image(24 * scale, 24 * scale, QImage::Format_ARGB32_Premultiplied);
    const int cuts[4] = {0, 4, 17, 24}; // the same both ways
    QPainter p(&image);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            p.fillRect(QRect(QPoint(cuts[column], cuts[row]) * scale,
                             QPoint(cuts[column + 1], cuts[row + 1]) * scale - QPoint(1, 1)),
                       regionColour[row][column]);
    p.end();
    image.setDevicePixelRatio(scale);
    return image;
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

    // Up face at rest, pressed face while held, title in the sidebar colour;
    // restyling renders anew at the new size without stacking painters.
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

        // A point of the face that the (empty) title does not cover.
        const QPoint probe(60, 12);
        QCOMPARE(pixelOf(button, probe), artwork.tagetImage1.pixel(probe));
        button->setDown(true);
        QCOMPARE(pixelOf(button, probe), artwork.tagetImage2.pixel(probe));
        QVERIFY(pixelOf(button, probe) != artwork.tagetImage1.pixel(probe));

        button->setDown(false);
        button->setText(QStringLiteral("██████"));
        const QImage shot = button->grab().toImage();
        bool titleInk = false;
        for (int x = 0; x < shot.width() && !titleInk; ++x)
            titleInk = shot.pixel(x, 16) == Utils::ColorSidebar().rgb();
        QVERIFY(titleInk);

        button->resize(200, 40);
        artwork.setButtonStyle(button, false);
        QCOMPARE(ButtonArtwork::upFace(button).deviceIndependentSize(), QSizeF(200, 40));
        QCOMPARE(button->findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    }

    // The title bar may go above the screen's top, the sidebar may not; sideways is free.
    void draggingTheSidebarMovesTheWindowWithItsTopOnScreen()
    {
        const QRect screen(0, 0, 1440, 900);
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(300, -40), 40, screen), QPoint(300, -40));
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(9999, -41), 40, screen), QPoint(9999, -40));
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(1500, 100), 40, QRect(1440, 300, 1920, 1080)),
                 QPoint(1500, 260));


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
        drag(sidebar, QPoint(20, 20), QPoint(-50, -2000));
        QTRY_COMPARE(window.pos(), QPoint(80, window.screen()->geometry().top() - 40));
    }

    // A frameless window with a 40-point bar of its own: window buttons 7 points
    // from the left, the full-screen button 7 from the right and centred. It
    // moves by its bar, resizes at its edges, and closing only hides it.
    void titleBarWindow()
    {
        TitleBarWindow window;
        window.setGeometry(100, 100, 600, 400);
        const int b = window.borderWidth();
        const QRect bar = window.titleBarView()->geometry();
        QCOMPARE(bar, QRect(b, b, 600 - 2 * b, 40));
        QCOMPARE(window.contentView()->geometry(), QRect(b, b + 40, 600 - 2 * b, 400 - 40 - 2 * b));
        const QRect close = window.closeButton()->geometry();
        QCOMPARE(close.left(), b + 7);
        QCOMPARE(close.center().y(), bar.center().y());
        const QRect full = window.fullScreenButton()->geometry();
        QCOMPARE(full.right() + 1, 600 - b - 7);
        QVERIFY(qAbs(full.center().y() - bar.center().y()) <= 1);

        // The sidebar's column runs up through the bar.
        window.setTitleBarSideColumn(69, Utils::ColorSidebar());
        QCOMPARE(pixelOf(&window, QPoint(60, 5)), Utils::ColorSidebar().rgb());

        // The window buttons stay clickable above the title laid into the bar.
        auto *title = new QLabel(QStringLiteral("Melvora"), window.titleBarView());
        title->setGeometry(window.titleBarView()->rect());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (QAbstractButton *button : {window.closeButton(), window.miniaturizeButton(),
                                        window.zoomButton(), window.fullScreenButton()})
            QCOMPARE(window.childAt(button->geometry().center()), button);

        drag(window.titleBarView(), QPoint(100, 20), QPoint(40, 30));
        QTRY_COMPARE(window.pos(), QPoint(140, 130));
        // Also by the title.
        drag(title, QPoint(300, 10), QPoint(-20, 10));
        QTRY_COMPARE(window.pos(), QPoint(120, 140));

        // Left edge wider to the left, then the bottom-right corner down to the minimum.
        dragEdge(&window, QPoint(1, 150), QPoint(-30, 0));
        QTRY_COMPARE(window.geometry(), QRect(90, 140, 630, 400));
        dragEdge(&window, QPoint(window.width() - 2, window.height() - 2), QPoint(-5000, -5000));
        QTRY_COMPARE(window.geometry().topLeft(), QPoint(90, 140));
        QCOMPARE(window.size(), window.minimumSize());

        QSignalSpy closed(&window, &TitleBarWindow::closed);
        QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
        window.closeButton()->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(lastClosed.size(), 0);
    }

    // Nine-slice drawing: where each piece goes and where it comes from, and
    // what a real drawing looks like.
    void ordinaryDestination()
    {
        // Corners keep their size, edges stretch along their length; the
        // image's bottom rows land at the destination's bottom.
        QCOMPARE(rects(StretchableImage::pieces(QSizeF(24, 24), QRectF(10, 20, 100, 30), buttonInsets)),
                 (QList<QRectF>{
                     QRectF(10, 43, 4, 7), QRectF(0, 17, 4, 7),      // bottom-left
                     QRectF(10, 20, 4, 4), QRectF(0, 0, 4, 4),       // top-left
                     QRectF(103, 20, 7, 4), QRectF(17, 0, 7, 4),     // top-right
                     QRectF(103, 43, 7, 7), QRectF(17, 17, 7, 7),    // bottom-right
                     QRectF(14, 43, 89, 7), QRectF(4, 17, 13, 7),    // bottom edge
                     QRectF(14, 20, 89, 4), QRectF(4, 0, 13, 4),     // top edge
                     QRectF(10, 24, 4, 19), QRectF(0, 4, 4, 13),     // left edge
                     QRectF(103, 24, 7, 19), QRectF(17, 4, 7, 13),   // right edge
                     QRectF(14, 24, 89, 19), QRectF(4, 4, 13, 13),   // centre
                 }));
    }

    void exactMinimumDrawsOnlyCorners()
    {
        const QList<Piece> pieces = StretchableImage::pieces(QSizeF(24, 24), QRectF(0, 0, 11, 11), buttonInsets);
        QCOMPARE(pieces.size(), 9);
        const QList<QRectF> corners{{0, 4, 4, 7}, {0, 0, 4, 4}, {4, 0, 7, 4}, {4, 4, 7, 7}};
        for (int i = 0; i < 9; ++i) {
            if (i < 4)
                QCOMPARE(pieces[i].destination, corners[i]);
            else
                QVERIFY(pieces[i].destination.isEmpty());
        }
    }

    void destinationIsRoundedButInsetsAreNot()
    {
        // Halves go away from zero, also below zero.
        QCOMPARE(StretchableImage::roundedRect(QRectF(-2.5, 2.5, 10.5, 9.49)), QRectF(-3, 3, 11, 9));
        const Insets fractional{4.5, 4.25, 7.0, 6.5};
        const QList<Piece> pieces =
            StretchableImage::pieces(QSizeF(24, 24), QRectF(10.4, 19.6, 99.5, 29.5), fractional);
        // X 10, Y 20, W 100, H 30.
        QCOMPARE(pieces[1].destination, QRectF(10, 20, 4.25, 4.5));  // top-left
        QCOMPARE(pieces[3].destination, QRectF(103.5, 43, 6.5, 7));  // bottom-right
        QCOMPARE(pieces[8].destination, QRectF(14.25, 24.5, 89.25, 18.5));
        QCOMPARE(pieces[8].source, QRectF(4.25, 4.5, 13.25, 12.5));
    }

    void tooSmallDestinationHasNoNegativePieces_data()
    {
        QTest::addColumn<QRectF>("destination");
        QTest::newRow("narrow") << QRectF(0, 0, 5, 30);
        QTest::newRow("low") << QRectF(0, 0, 60, 6);
        QTest::newRow("empty") << QRectF(3, 3, 0, 0);
        QTest::newRow("negative size") << QRectF(3, 3, -8, -8);
    }
    void tooSmallDestinationHasNoNegativePieces()
    {
        QFETCH(QRectF, destination);
        const QRectF rounded = StretchableImage::roundedRect(destination).normalized();
        const QList<Piece> pieces = StretchableImage::pieces(QSizeF(24, 24), destination, buttonInsets);
        QCOMPARE(pieces.size(), 9);
        double area = 0;
        for (const Piece &p : pieces) {
            QVERIFY(p.destination.width() >= 0 && p.destination.height() >= 0);
            QVERIFY(p.destination.isEmpty() || rounded.contains(p.destination));
            area += p.destination.width() * p.destination.height();
        }
        // The caps share the room: together they cover it exactly, no overlap.
        QCOMPARE(area, destination.width() > 0 && destination.height() > 0 ? rounded.width() * rounded.height() : 0.0);
    }

    // From a 2x image, whose pieces' sources are in device-independent pixels.
    void drawingPutsEveryRegionInItsPlace()
    {
        QImage target(100, 60, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::white);
        QPainter painter(&target);
        StretchableImage::drawInRect(painter, regionImage(2), QRectF(0, 0, 100, 60), buttonInsets);
        painter.end();

        // Destination columns 0..4, 4..93, 93..100; rows 0..4, 4..53, 53..60.
        const int xs[3][2] = {{0, 3}, {4, 92}, {93, 99}};
        const int ys[3][2] = {{0, 3}, {4, 52}, {53, 59}};
        // Both ends of each piece, and its middle: corners keep their colour
        // to the last pixel, stretched pieces do not bleed.
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                for (int x : {xs[column][0], (xs[column][0] + xs[column][1]) / 2, xs[column][1]})
                    for (int y : {ys[row][0], (ys[row][0] + ys[row][1]) / 2, ys[row][1]})
                        QVERIFY2(target.pixelColor(x, y) == regionColour[row][column],
                                 qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
    }
};

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
