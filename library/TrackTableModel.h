#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QUrl>

class TrackStore;

// The library's tracks as a table: one row per track in library order. Rows
// drag out as file URLs; file URLs dropped in are handed on as filesDropped.
class TrackTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Name, Artist, Album, Number, DateAdded, DateModified, Plays, Rating, Location, ColumnCount };
    // The value a column sorts by (numbers and dates as numbers).
    static constexpr int SortRole = Qt::UserRole + 1;
    static constexpr int IdRole = Qt::UserRole + 2;

    explicit TrackTableModel(TrackStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    // Never Move: a drop target must not delete the library's files, and
    // files dropped in must stay where they are.
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::LinkAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::LinkAction; }
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

    static QString ratingText(int rating);

signals:
    void filesDropped(const QList<QUrl> &urls);

private:
    TrackStore *m_store;
};
