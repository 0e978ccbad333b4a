#pragma once

#include "tracks/lists/SimpleTextCell.h"

#include <QHash>
#include <QPersistentModelIndex>
#include <QPixmap>

#include <optional>

// Shows a track's rating as up to five stars ("star", or "star_lighter" on a
// selected row) over the row background. Display only. A row with a preview
// (the rating a run will write, in library units) shows an arrow after the
// fifth star's place and the new stars in the preview colour.
//
// The rating a cell shows is set when its row is built (first drawn after a
// reload), which writes "rating:<n>" to the system log once per built row;
// repaints of a built row reuse it.
class RatingCell : public SimpleTextCell
{
    Q_OBJECT
public:
    explicit RatingCell(QObject *parent = nullptr);

    // The stars of one built row: star1..star5 are visible for 1..r when r is
    // 1 to 5, none otherwise.
    struct Stars
    {
        int visible = 0;
        void setRating(int rating);
        bool isStarVisible(int number) const { return number >= 1 && number <= visible; }
    };

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static QRect starRect(const QRect &cell, int number);        // number 1..5
    static QRect previewStarRect(const QRect &cell, int number); // number 1..5
    // Room for five stars, the arrow and five more.
    static int columnWidth();
    QPixmap normalImage() const;                          // "star", loaded on first use
    QPixmap lighterImage() const;                         // "star_lighter", loaded on first use
    // The stars of a row as last built; nothing for a row not built yet.
    std::optional<Stars> builtStars(const QModelIndex &index) const;

    // Rows have to be built anew after these model changes.
    void watchModel(QAbstractItemModel *model);

private:
    mutable QHash<int, Stars> m_built; // by row
    mutable QPixmap m_normal;
    mutable QPixmap m_lighter;
    mutable QPixmap m_preview[2]; // unselected, selected
    QMetaObject::Connection m_connections[5];
};
