#include "tools/modification/ActionCell.h"

#include "app/common/Utils.h"

#include <QPainter>

ActionCell::ActionCell(std::function<int()> chosenRow, QObject *parent)
    : QStyledItemDelegate(parent), m_chosenRow(std::move(chosenRow))
{
}

void ActionCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    const QRect r = option.rect;
    const bool chosen = index.row() == m_chosenRow();
    painter->fillRect(r, chosen ? Utils::ColorTab() : Utils::ColorBG());
    painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), Utils::ColorBorder());
    if (chosen)
        painter->fillRect(QRect(r.left(), r.top(), 4, r.height()), Utils::ColorSidebar());

    const QRect text = r.adjusted(24, 14, -24, -14);
    QFont title = option.font;
    title.setPointSizeF(title.pointSizeF() * 1.3);
    title.setBold(true);
    QFont description = option.font;

    const int half = text.height() / 2;
    painter->setFont(title);
    painter->setPen(Utils::ColorSidebar());
    painter->drawText(QRect(text.left(), text.top(), text.width(), half), Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(title).elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, text.width()));
    painter->setFont(description);
    painter->setPen(Utils::ColorSecondTitle());
    painter->drawText(QRect(text.left(), text.top() + half, text.width(), text.height() - half),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(description).elidedText(index.data(DescriptionRole).toString(), Qt::ElideRight, text.width()));
    painter->restore();
}

QSize ActionCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    return {QStyledItemDelegate::sizeHint(option, index).width(), rowHeight};
}
