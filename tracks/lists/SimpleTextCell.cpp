#include "tracks/lists/SimpleTextCell.h"

#include "app/common/Utils.h"
#include "tracks/lists/TrackListModel.h"

#include <QPainter>

namespace {
constexpr int margin = 8;
} // namespace

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
    paintBackground(painter, option.rect, selected);
    paintText(painter, option.rect.adjusted(margin, 0, -margin, -1), text(index.data(Qt::DisplayRole)),
              colours(selected).title, option.font, elideFor(index));
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

QSize SimpleTextCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Only the width is measured; every row is the same height.
    const QString shown = text(index.data(Qt::DisplayRole));
    return {option.fontMetrics.horizontalAdvance(shown) + 2 * margin, rowHeight};
}
