#pragma once

#include <QStyledItemDelegate>

#include <functional>

// Paints one row of the Date Modified tool's action list: the action's title
// over its one-line description, on the tab colour when the row is the chosen
// action. The list draws no selection of its own, so this colour is the only
// mark of the chosen row.
class ActionCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static constexpr int rowHeight = 80;
    enum Role { DescriptionRole = Qt::UserRole + 1 };

    // `chosenRow` tells which row carries the tab colour.
    explicit ActionCell(std::function<int()> chosenRow, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    std::function<int()> m_chosenRow;
};
