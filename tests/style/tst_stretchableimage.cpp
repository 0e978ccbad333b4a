// Nine-slice drawing: where each piece goes and where it comes from, and what
// a real drawing looks like.

#include "StretchableImage.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTest>

using StretchableImage::Insets;
using StretchableImage::Piece;

namespace {

const Insets buttonInsets{4.0, 4.0, 7.0, 7.0};

QString describe(const QRectF &r)
{
    return QStringLiteral("(%1, %2, %3 x %4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

void comparePieces(const QList<Piece> &actual, const QList<Piece> &expected)
{
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QVERIFY2(actual[i].destination == expected[i].destination && actual[i].source == expected[i].source,
                 qPrintable(QStringLiteral("piece %1: %2 from %3").arg(i + 1).arg(describe(actual[i].destination),
                                                                              describe(actual[i].source))));
    }
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

class TestStretchableImage : public QObject
{
    Q_OBJECT

private slots:
    void ordinaryDestination()
    {
        // Corners keep their size, edges stretch along their length; the
        // image's bottom rows land at the destination's bottom.
        comparePieces(StretchableImage::pieces(QSizeF(24, 24), QRectF(10, 20, 100, 30), buttonInsets),
                      {
                          {QRectF(10, 43, 4, 7), QRectF(0, 17, 4, 7)},     // bottom-left
                          {QRectF(10, 20, 4, 4), QRectF(0, 0, 4, 4)},      // top-left
                          {QRectF(103, 20, 7, 4), QRectF(17, 0, 7, 4)},    // top-right
                          {QRectF(103, 43, 7, 7), QRectF(17, 17, 7, 7)},   // bottom-right
                          {QRectF(14, 43, 89, 7), QRectF(4, 17, 13, 7)},   // bottom edge
                          {QRectF(14, 20, 89, 4), QRectF(4, 0, 13, 4)},    // top edge
                          {QRectF(10, 24, 4, 19), QRectF(0, 4, 4, 13)},    // left edge
                          {QRectF(103, 24, 7, 19), QRectF(17, 4, 7, 13)},  // right edge
                          {QRectF(14, 24, 89, 19), QRectF(4, 4, 13, 13)},  // centre
                      });
    }

    void exactMinimumDrawsOnlyCorners()
    {
        const QList<Piece> pieces =
            StretchableImage::pieces(QSizeF(24, 24), QRectF(0, 0, 11, 11), buttonInsets);
        QCOMPARE(pieces.size(), 9);
        const QList<QRectF> corners{{0, 4, 4, 7}, {0, 0, 4, 4}, {4, 0, 7, 4}, {4, 4, 7, 7}};
        for (int i = 0; i < 9; ++i)
            QVERIFY2(i < 4 ? pieces[i].destination == corners[i] : pieces[i].destination.isEmpty(),
                     qPrintable(describe(pieces[i].destination)));
    }

    void destinationIsRoundedButInsetsAreNot()
    {
        // Halves go away from zero, also below zero.
        QCOMPARE(StretchableImage::roundedRect(QRectF(-2.5, 2.5, 10.5, 9.49)),
                 QRectF(-3, 3, 11, 9));
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
            QVERIFY2(p.destination.width() >= 0 && p.destination.height() >= 0,
                     qPrintable(describe(p.destination)));
            if (!p.destination.isEmpty())
                QVERIFY2(rounded.contains(p.destination), qPrintable(describe(p.destination)));
            area += p.destination.width() * p.destination.height();
        }
        // The caps share the room: together they cover it exactly, no overlap.
        if (destination.width() > 0 && destination.height() > 0)
            QVERIFY(qFuzzyCompare(area, rounded.width() * rounded.height()));
        else
            QCOMPARE(area, 0.0);
        // Drawing it is harmless.
        QImage target(20, 20, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::white);
        QPainter painter(&target);
        StretchableImage::drawInRect(painter, regionImage(1), destination, buttonInsets);
    }

    void drawingPutsEveryRegionInItsPlace_data()
    {
        QTest::addColumn<int>("scale");
        QTest::newRow("1x") << 1;
        QTest::newRow("2x") << 2;
    }
    void drawingPutsEveryRegionInItsPlace()
    {
        QFETCH(int, scale);
        QImage target(100, 60, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::white);
        QPainter painter(&target);
        StretchableImage::drawInRect(painter, regionImage(scale), QRectF(0, 0, 100, 60), buttonInsets);
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

QTEST_MAIN(TestStretchableImage)
#include "tst_stretchableimage.moc"
