#include "style/StretchableImage.h"

#include <QPainter>

#include <cmath>

// Qt's qDrawBorderPixmap takes whole-number margins and does not round the
// destination first, so the slicing here is our own.

namespace StretchableImage {

namespace {

// The sizes of the two caps and the stretchable middle along one axis.
struct Span
{
    double first;
    double middle;
    double last;
};

Span split(double length, double first, double last)
{
    first = std::max(first, 0.0);
    last = std::max(last, 0.0);
    const double caps = first + last;
    if (length >= caps)
        return {first, length - caps, last};
    if (caps <= 0 || length <= 0)
        return {0, 0, 0};
    return {length * first / caps, 0, length * last / caps};
}

} // namespace

QRectF roundedRect(const QRectF &rect)
{
    return QRectF(std::round(rect.x()), std::round(rect.y()), std::round(rect.width()),
                  std::round(rect.height()));
}

QList<Piece> pieces(QSizeF imageSize, const QRectF &destination, const Insets &insets)
{
    const QRectF d = roundedRect(destination);
    const double X = d.x(), Y = d.y();
    const Span dh = split(d.width(), insets.left, insets.right);
    const Span dv = split(d.height(), insets.top, insets.bottom);
    const Span sh = split(imageSize.width(), insets.left, insets.right);
    const Span sv = split(imageSize.height(), insets.top, insets.bottom);

    // Column and row starts, destination and source.
    const double dCol[3] = {X, X + dh.first, X + dh.first + dh.middle};
    const double dColW[3] = {dh.first, dh.middle, dh.last};
    const double dRow[3] = {Y, Y + dv.first, Y + dv.first + dv.middle};
    const double dRowH[3] = {dv.first, dv.middle, dv.last};
    const double sCol[3] = {0, sh.first, sh.first + sh.middle};
    const double sColW[3] = {sh.first, sh.middle, sh.last};
    const double sRow[3] = {0, sv.first, sv.first + sv.middle};
    const double sRowH[3] = {sv.first, sv.middle, sv.last};

    auto piece = [&](int column, int row) {
        return Piece{QRectF(dCol[column], dRow[row], dColW[column], dRowH[row]),
                     QRectF(sCol[column], sRow[row], sColW[column], sRowH[row])};
    };
    // Rows: 0 top, 1 middle, 2 bottom. Columns: 0 left, 1 middle, 2 right.
    return {
        piece(0, 2), // bottom-left corner
        piece(0, 0), // top-left corner
        piece(2, 0), // top-right corner
        piece(2, 2), // bottom-right corner
        piece(1, 2), // bottom edge
        piece(1, 0), // top edge
        piece(0, 1), // left edge
        piece(2, 1), // right edge
        piece(1, 1), // centre
    };
}

void drawInRect(QPainter &painter, const QImage &image, const QRectF &destination,
                const Insets &insets)
{
    if (image.isNull())
        return;
    const double ratio = image.devicePixelRatio();
    const QSizeF size = image.deviceIndependentSize();
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(1.0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const Piece &p : pieces(size, destination, insets)) {
        if (p.destination.isEmpty() || p.source.isEmpty())
            continue;
        const QRectF source(p.source.x() * ratio, p.source.y() * ratio, p.source.width() * ratio,
                            p.source.height() * ratio);
        // Drawn from a copy of the piece alone, so that smooth stretching
        // cannot pull in colour from the neighbouring pieces.
        const QRect aligned = source.toAlignedRect() & image.rect();
        const QImage part = image.copy(aligned);
        painter.drawImage(p.destination, part, source.translated(-aligned.topLeft()));
    }
    painter.restore();
}

} // namespace StretchableImage
