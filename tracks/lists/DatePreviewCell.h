#pragma once

#include "tracks/lists/SimpleTextCell.h"

// A cell with an item's current date, an arrow, and what an action will make
// of it ("preview": a date, or a short text), in ColorPreview
// (ColorPreviewLighter when selected), each in its half of the cell.
class DatePreviewCell : public SimpleTextCell
{
    Q_OBJECT
public:
    using SimpleTextCell::SimpleTextCell;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // Room for both dates, each in its half beside the arrow.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // The width a column of these cells needs for any date in this font.
    static int columnWidth(const QFontMetrics &metrics);

    // Where title, arrow and preview sit inside a cell.
    struct Layout
    {
        QRect title;
        QRect arrow;
        QRect preview;
    };
    static Layout layout(const QRect &cell);
};
