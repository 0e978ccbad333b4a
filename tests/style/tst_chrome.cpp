// The program's own drawing: nine-slice images, button faces, sidebar and title bar.

#include "app/common/Utils.h"
#include "style/ButtonArtwork.h"
#include "style/SideBar.h"
#include "style/StretchableImage.h"
#include "window/TitleBarWindow.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using StretchableImage::Insets;
using StretchableImage::Piece;

namespace {

// Drags from a point of the window by delta: to the child there, placed by global points.
void drag(QWidget *window, QPoint at, QPoint delta)
{
    QWidget *target = window->childAt(at);
    const QPoint start = window->mapToGlobal(at);
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

QRgb pixelOf(QWidget *widget, QPoint point)
{
    return widget->grab().toImage().pixel(point);
}

const Insets buttonInsets{4.0, 4.0, 7.0, 7.0};

// A 24 x 24 image, one colour per region cut by the button insets.
QRgb regionColour(int row, int column)
{
    return QColor::fromHsv(40 * (3 * row + column), 255, 255).rgb();
}

QImage regionImage(int scale)
{
    QImage image(24 * scale, 24 * scale, QImage::Format_ARGB32_Premultiplied);
    const int cuts[4] = {0, 4, 17, 24}; // the same both ways
    QPainter p(&image);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            p.fillRect(QRect(QPoint(cuts[column], cuts[row]) * scale,
                             QPoint(cuts[column + 1], cuts[row + 1]) * scale - QPoint(1, 1)),
                       QColor(regionColour(row, column)));
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
        for (const QString name : {"button", "button_down", "button2", "button2_down", "star", "star_lighter",
                                   "tab_modified", "tab_added", "tab_playcount", "tab_rating", "appicon"}) {
            const QImage single = ButtonArtwork::imageNamed(name);
            QVERIFY2(!single.isNull(), qPrintable(name));
            QCOMPARE(QImage(QStringLiteral(":/images/%1@2x.png").arg(name)).size(), single.size() * 2);
        }
    }

    // Restyling renders anew at the new size without stacking painters.
    void styledButtonShowsBothFaces()
    {
        QPushButton button;
        button.resize(120, 32);
        ButtonArtwork artwork;
        artwork.setButtonStyle(&button, true);
        const QImage actionFace = artwork.tagetImage1;
        artwork.setButtonStyle(&button, false);
        QVERIFY(artwork.tagetImage1 != actionFace);

        // A point of the face that the (empty) title does not cover.
        const QPoint probe(60, 12);
        QCOMPARE(pixelOf(&button, probe), artwork.tagetImage1.pixel(probe));
        button.setDown(true);
        QCOMPARE(pixelOf(&button, probe), artwork.tagetImage2.pixel(probe));
        QVERIFY(pixelOf(&button, probe) != artwork.tagetImage1.pixel(probe));

        button.setDown(false);
        button.setText(QStringLiteral("██████"));
        const QImage shot = button.grab().toImage();
        bool titleInk = false;
        for (int x = 0; x < shot.width() && !titleInk; ++x)
            titleInk = shot.pixel(x, 16) == Utils::ColorSidebar().rgb();
        QVERIFY(titleInk);

        button.resize(200, 40);
        artwork.setButtonStyle(&button, false);
        QCOMPARE(ButtonArtwork::upFace(&button).deviceIndependentSize(), QSizeF(200, 40));
        QCOMPARE(button.findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    }

    // The title bar may go above the screen's top, the sidebar may not; sideways is free.
    void draggingTheSidebarMovesTheWindowWithItsTopOnScreen()
    {
        QCOMPARE(SideBar::clampedWindowPosition(QPoint(1500, 100), 40, QRect(1440, 300, 1920, 1080)),
                 QPoint(1500, 260));

        QWidget window;
        window.setWindowFlag(Qt::FramelessWindowHint);
        auto *sidebar = new SideBar(&window);
        sidebar->setGeometry(0, 40, 69, 260);
        sidebar->setWindow(&window);
        window.move(100, 120);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(pixelOf(sidebar, QPoint(30, 100)), Utils::ColorSidebar().rgb());

        drag(&window, QPoint(20, 60), QPoint(30, 25));
        QTRY_COMPARE(window.pos(), QPoint(130, 145));
        // Far up: stops with the sidebar's top at the screen's top.
        drag(&window, QPoint(20, 60), QPoint(-50, -2000));
        QTRY_COMPARE(window.pos(), QPoint(80, window.screen()->geometry().top() - 40));
    }

    // A 40-point bar with buttons 7 points in; it moves by its bar, resizes at its edges, closing hides it.
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

        // Over a title covering the bar the buttons stay clickable, and dragging it drags the bar.
        auto *title = new QLabel(QStringLiteral("Melvora"), window.titleBarView());
        title->setGeometry(window.titleBarView()->rect());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (QAbstractButton *button : {window.closeButton(), window.miniaturizeButton(),
                                        window.zoomButton(), window.fullScreenButton()})
            QCOMPARE(window.childAt(button->geometry().center()), button);
        drag(&window, QPoint(300, 10), QPoint(40, 30));
        QTRY_COMPARE(window.pos(), QPoint(140, 130));

        // Left edge wider to the left, then the bottom-right corner down to the minimum.
        drag(&window, QPoint(1, 150), QPoint(-30, 0));
        QTRY_COMPARE(window.geometry(), QRect(110, 130, 630, 400));
        drag(&window, QPoint(window.width() - 2, window.height() - 2), QPoint(-5000, -5000));
        QTRY_COMPARE(window.geometry().topLeft(), QPoint(110, 130));
        QCOMPARE(window.size(), window.minimumSize());

        window.closeButton()->click();
        QVERIFY(!window.isVisible());
    }

    // A 2x image (sources in device-independent pixels): corners keep their
    // size, edges stretch along their length, the centre both ways.
    void nineSliceDrawingAndPieces()
    {
        QImage target(120, 60, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::white);
        QPainter painter(&target);
        StretchableImage::drawInRect(painter, regionImage(2), QRectF(10, 20, 100, 30), buttonInsets);
        painter.end();

        // Destination columns 10..14, 14..103, 103..110; rows 20..24, 24..43, 43..50.
        const int xs[3][2] = {{10, 13}, {14, 102}, {103, 109}};
        const int ys[3][2] = {{20, 23}, {24, 42}, {43, 49}};
        // Both ends of each piece and its middle: nothing bleeds from a neighbour.
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
                for (int x : {xs[column][0], (xs[column][0] + xs[column][1]) / 2, xs[column][1]})
                    for (int y : {ys[row][0], (ys[row][0] + ys[row][1]) / 2, ys[row][1]})
                        QVERIFY2(target.pixel(x, y) == regionColour(row, column),
                                 qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));

        // At the exact minimum only the corners (bottom-left, top-left, top-right, bottom-right) have room.
        const QList<Piece> exact = StretchableImage::pieces(QSizeF(24, 24), QRectF(0, 0, 11, 11), buttonInsets);
        const QList<QRectF> corners{{0, 4, 4, 7}, {0, 0, 4, 4}, {4, 0, 7, 4}, {4, 4, 7, 7}};
        for (int i = 0; i < 9; ++i)
            QVERIFY(i < 4 ? exact[i].destination == corners[i] : exact[i].destination.isEmpty());

        // Halves go away from zero, also below zero; the insets are not rounded.
        QCOMPARE(StretchableImage::roundedRect(QRectF(-2.5, 2.5, 10.5, 9.49)), QRectF(-3, 3, 11, 9));
        const Piece centre =
            StretchableImage::pieces(QSizeF(24, 24), QRectF(10.4, 19.6, 99.5, 29.5), {4.5, 4.25, 7.0, 6.5})[8];
        QCOMPARE(centre.destination, QRectF(14.25, 24.5, 89.25, 18.5));
        QCOMPARE(centre.source, QRectF(4.25, 4.5, 13.25, 12.5));

        // Too small (narrow, low, negative): the caps share the room exactly, no negative piece.
        for (const QRectF &destination : {QRectF(0, 0, 5, 30), QRectF(0, 0, 60, 6), QRectF(3, 3, -8, -8)}) {
            const QRectF rounded = StretchableImage::roundedRect(destination).normalized();
            double area = 0;
            for (const Piece &p : StretchableImage::pieces(QSizeF(24, 24), destination, buttonInsets)) {
                QVERIFY(p.destination.width() >= 0 && p.destination.height() >= 0);
                QVERIFY(p.destination.isEmpty() || rounded.contains(p.destination));
                area += p.destination.width() * p.destination.height();
            }
            const bool positive = destination.width() > 0 && destination.height() > 0;
            QCOMPARE(area, positive ? rounded.width() * rounded.height() : 0.0);
        }
    }
};

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
