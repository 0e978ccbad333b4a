#include "tracks/lists/SimpleTextCell.h"

#include "app/common/Utils.h"
#include "tracks/lists/TrackListModel.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

SimpleTextCell::Colours SimpleTextCell::colours(bool selected)
{
    if (selected)
        return {Utils::ColorSidebar(), Qt::white, Utils::ColorPreviewLighter()};
    return {Utils::ColorBG(), Utils::ColorSidebar(), Utils::ColorPreview()};
}

QString SimpleTextCell::text(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return trackListDateText(value.toDateTime());
    return value.toString();
}

bool SimpleTextCell::isSelected(const QStyleOptionViewItem &option)
{
    return option.state.testFlag(QStyle::State_Selected);
}

void SimpleTextCell::paintBackground(QPainter *painter, const QRect &rect, bool selected)
{
    painter->fillRect(rect, colours(selected).fill);
}

void SimpleTextCell::paintSeparator(QPainter *painter, const QRect &rect)
{
    painter->fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), Utils::ColorBorder());
}

void SimpleTextCell::paintArrow(QPainter *painter, const QRect &rect)
{
    // Fixed artwork; it never changes with the row's state.
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect).center();
    QPainterPath arrow;
    arrow.moveTo(centre.x() - 6, centre.y());
    arrow.lineTo(centre.x() + 5, centre.y());
    arrow.moveTo(centre.x() + 1, centre.y() - 4);
    arrow.lineTo(centre.x() + 5, centre.y());
    arrow.lineTo(centre.x() + 1, centre.y() + 4);
    painter->setPen(QPen(Utils::ColorSecondTitle(), 1.5));
    painter->drawPath(arrow);
    painter->restore();
}

Qt::TextElideMode SimpleTextCell::elideFor(const QModelIndex &index)
{
    return index.data(TrackListModel::FailureRole).isValid() ? Qt::ElideRight : Qt::ElideMiddle;
}

void SimpleTextCell::paintText(QPainter *painter, const QRect &rect, const QString &text, const QColor &colour,
                               const QFont &font, Qt::TextElideMode elide)
{
    if (text.isEmpty())
        return;
    painter->save();
    painter->setFont(font);
    painter->setPen(colour);
    const QString shown = painter->fontMetrics().elidedText(text, elide, rect.width());
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter->restore();
}

void SimpleTextCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = isSelected(option);
    const Colours c = colours(selected);
    const QRect inner = option.rect.adjusted(margin, 0, -margin, -1);
    const QString title = text(index.data(Qt::DisplayRole));
    const QVariant preview = index.data(TrackListModel::PreviewRole);
    paintBackground(painter, option.rect, selected);
    if (!preview.isValid()) {
        paintText(painter, inner, title, c.title, option.font, elideFor(index));
        paintSeparator(painter, option.rect);
        return;
    }
    // The new value keeps up to half the room; the current one gives way first.
    const QString next = text(preview);
    // Measured as paintText measures, rounded up: a text given exactly its
    // rounded width may be cut.
    const QFontMetricsF metrics(option.font, painter->device());
    const auto widthOf = [&metrics](const QString &shown) { return int(std::ceil(metrics.horizontalAdvance(shown))) + 1; };
    const int nextWidth = std::min(widthOf(next), std::max(0, (inner.width() - arrowWidth) / 2));
    const int titleWidth = std::min(widthOf(title), inner.width() - arrowWidth - nextWidth);
    const QRect titleRect(inner.left(), inner.top(), titleWidth, inner.height());
    const QRect arrowRect(titleRect.right() + 1, inner.top(), arrowWidth, inner.height());
    paintText(painter, titleRect, title, c.title, option.font);
    paintArrow(painter, arrowRect);
    paintText(painter, QRect(arrowRect.right() + 1, inner.top(), inner.right() - arrowRect.right(), inner.height()), next,
              c.preview, option.font);
    paintSeparator(painter, option.rect);
}

int SimpleTextCell::widestDate(const QFontMetrics &metrics)
{
    // Every month, late in the day and the month: the widest of each part.
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
        widest = std::max(widest, metrics.horizontalAdvance(
                                      trackListDateText(QDateTime(QDate(2028, month, 28), QTime(23, 58, 58)))));
    return widest;
}

int SimpleTextCell::dateColumnWidth(const QFontMetrics &metrics)
{
    return widestDate(metrics) + 2 * margin + 2;
}

int SimpleTextCell::previewColumnWidth(const QFontMetrics &metrics, const QString &widestValue)
{
    return 2 * (metrics.horizontalAdvance(widestValue) + 2) + arrowWidth + 2 * margin;
}

QSize SimpleTextCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Only the width is measured; every row is the same height.
    int width = option.fontMetrics.horizontalAdvance(text(index.data(Qt::DisplayRole))) + 2 * margin;
    const QVariant preview = index.data(TrackListModel::PreviewRole);
    if (preview.isValid())
        width += arrowWidth + option.fontMetrics.horizontalAdvance(text(preview)) + 4;
    return {width, rowHeight};
}
