#include "tracks/lists/DatePreviewCell.h"

#include "tracks/lists/TrackListModel.h"

#include <QPainter>

DatePreviewCell::Layout DatePreviewCell::layout(const QRect &cell)
{
    const QRect inner = cell.adjusted(margin, 0, -margin, -1);
    const int half = (inner.width() - arrowWidth) / 2;
    Layout l;
    l.title = QRect(inner.left(), inner.top(), half, inner.height());
    l.arrow = QRect(l.title.right() + 1, inner.top(), arrowWidth, inner.height());
    l.preview = QRect(l.arrow.right() + 1, inner.top(), inner.right() - l.arrow.right(), inner.height());
    return l;
}

QSize DatePreviewCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int title = option.fontMetrics.horizontalAdvance(text(index.data(Qt::DisplayRole)));
    const int preview = option.fontMetrics.horizontalAdvance(text(index.data(TrackListModel::PreviewRole)));
    return {2 * std::max(title, preview) + arrowWidth + 2 * margin + 2, rowHeight};
}

int DatePreviewCell::columnWidth(const QFontMetrics &metrics)
{
    return 2 * widestDate(metrics) + arrowWidth + 2 * margin + 2;
}

void DatePreviewCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = isSelected(option);
    const Colours c = colours(selected);
    const Layout l = layout(option.rect);
    paintBackground(painter, option.rect, selected);
    if (index.data(TrackListModel::FailureRole).isValid()) {
        // The date stayed as it was; the whole cell says why.
        const QRect whole(l.title.topLeft(), l.preview.bottomRight());
        paintText(painter, whole, text(index.data(TrackListModel::PreviewRole)), c.preview, option.font, Qt::ElideRight);
        paintSeparator(painter, option.rect);
        return;
    }
    paintText(painter, l.title, text(index.data(Qt::DisplayRole)), c.title, option.font);
    paintArrow(painter, l.arrow);
    paintText(painter, l.preview, text(index.data(TrackListModel::PreviewRole)), c.preview, option.font);
    paintSeparator(painter, option.rect);
}
