#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>

class QPainter;

// Draws an image stretched to any size while its corners keep their size:
// nine pieces, corners unscaled, edges stretched along their length, the
// centre both ways, nothing tiled. Button faces are drawn this way.
//
// Coordinates are Qt's (origin top-left, y down). The pieces come in a fixed
// order: bottom-left, top-left, top-right, bottom-right corner, then the
// bottom, top, left and right edge, then the centre.
//
// The destination is rounded to whole numbers (halves away from zero); the
// insets are used as given. When the destination is narrower than left +
// right (or lower than top + bottom), the two caps share what there is in
// the ratio of their insets and the pieces between them get no room, so no
// piece ever has a negative size and the caps never overlap. An image
// smaller than its insets is sliced by the same rule.
namespace StretchableImage {

struct Insets
{
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
};

struct Piece
{
    QRectF destination;
    QRectF source; // in the image's own size (device-independent pixels)
};

// Rounds half away from zero, as the destination rectangle is rounded.
QRectF roundedRect(const QRectF &rect);

// The nine pieces for drawing an image of imageSize into destination.
QList<Piece> pieces(QSizeF imageSize, const QRectF &destination, const Insets &insets);

// Draws the nine pieces with source-over at full opacity. Pieces of no area
// are skipped.
void drawInRect(QPainter &painter, const QImage &image, const QRectF &destination,
                const Insets &insets);

} // namespace StretchableImage
