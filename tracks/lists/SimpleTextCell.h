#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Draws one cell of a track list row: the row's background (ColorBG, or
// ColorSidebar when selected), its text (ColorSidebar, or white when selected)
// and the one-pixel ColorBorder separator along the row's bottom edge.
// A cell with a preview shows "current → new", the new value in ColorPreview
// (ColorPreviewLighter when selected). The other row cells build on it.
class SimpleTextCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Every track list row is this high.
    static constexpr int rowHeight = 30;

    struct Colours
    {
        QColor fill;
        QColor title;
        QColor preview;
    };
    static Colours colours(bool selected);

    // The text a cell shows for a model value (dates in the user's locale).
    static QString text(const QVariant &value);

    // The widest date a row shows in this font, and the width a column of
    // dates needs: dates are never cut short at the lists' default widths.
    static int widestDate(const QFontMetrics &metrics);
    static int dateColumnWidth(const QFontMetrics &metrics);
    // The width a column needs for "current → new" with values this wide.
    static int previewColumnWidth(const QFontMetrics &metrics, const QString &widestValue);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    static constexpr int margin = 8;
    static constexpr int arrowWidth = 18;

    static bool isSelected(const QStyleOptionViewItem &option);
    // Background fill first, the separator is drawn by paintSeparator last.
    static void paintBackground(QPainter *painter, const QRect &rect, bool selected);
    static void paintSeparator(QPainter *painter, const QRect &rect);
    // The arrow between a current value and its preview, centred in rect.
    static void paintArrow(QPainter *painter, const QRect &rect);
    // Names lose their middle when cut; a sentence ("not changed: …") its end.
    static void paintText(QPainter *painter, const QRect &rect, const QString &text, const QColor &colour,
                          const QFont &font, Qt::TextElideMode elide = Qt::ElideMiddle);
    // How the cell's text is cut: a row that says why it was not changed
    // reads from its start.
    static Qt::TextElideMode elideFor(const QModelIndex &index);
};
