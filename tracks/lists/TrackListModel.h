#pragma once

#include "tracks/lists/TrackObject.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QUrl>

// The list of one tool action as a table model: file URLs (actions 0, 1, 2, 5)
// or library tracks (actions 3, 4). Cell values are read from the files each
// time a view asks for them, so only the rows a view shows cost any I/O and a
// reload always shows the files as they are now.
//
// The lists may be read from a batch run's worker while the progress sheet
// keeps the user from changing them; a mutex makes the accessors atomic.
class TrackListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Action { SMD = 0, CCD = 1, TN = 2, PlayCount = 3, Rating = 4, DateAdded = 5 };
    enum Role {
        PreviewRole = Qt::UserRole + 1, // what the row's item will become: a date, a number or a text
        StarsRole,                      // int: rating / 20, truncated toward zero
        CellKindRole,                   // CellKind: how the cell is drawn
        FailureRole,                    // QString: why the last run did not change the row's item
    };
    enum CellKind { TextCell, DatePreviewCellKind, RatingCellKind };
    static constexpr int columns = 3;

    explicit TrackListModel(QObject *parent = nullptr);

    static bool holdsTracks(int action) { return action == PlayCount || action == Rating; }

    int currentAction() const { return m_action; }
    void setCurrentAction(int action);

    QList<QUrl> files() const;
    void setFiles(const QList<QUrl> &files);
    QList<TrackObject> tracks() const;
    void setTracks(const QList<TrackObject> &tracks);
    // Replaces one listed track without changing the row count; safe from a
    // worker thread. Views see the change at their next reload.
    void updateTrack(int row, const TrackObject &track);
    int count() const;

    // Appends the URLs not listed yet, in the given order; returns how many.
    int addFiles(const QList<QUrl> &urls);
    bool containsFile(const QUrl &url) const;
    // Appends the track unless one with the same (non-empty) location is listed.
    bool addTrack(const TrackObject &track);
    // The same for many tracks at once, as one insertion; returns how many.
    int addTracks(const QList<TrackObject> &tracks);
    // Removes the items at these rows, given from the last to the first, so
    // that each row still names the item it named before the first removal.
    void removeItemsAt(const QList<int> &rowsLastFirst);
    void clear();

    // The Date Added list's knowledge of the library: for each file looked
    // up, its date added there, or an invalid date when the library holds
    // no track for it. Merged into what is known; shown in column 2.
    void setLibraryDates(const QHash<QUrl, QDateTime> &dates);

    // What a run made of its items: those it could not change, each with why
    // ("Permission denied"), say "not changed: …" in their rows where the new
    // value would show, the full message as tooltip, until a later run
    // changes them or the list is cleared. Views see it at their next reload.
    void setOutcome(const QList<QUrl> &items, const QHash<QUrl, QString> &failures);
    QString failureOf(const QUrl &item) const;

    QDateTime toDate() const;
    void setToDate(const QDateTime &date);

    // What each row will become where the tool that owns the list works it
    // out (Sort by Track Number, Play Count, Rating, Date Added): one value
    // per row, invalid for a row without one, shown in previewColumn(). Only
    // rows whose value changed are drawn anew. Forgotten when rows come, go
    // or move, since they would then name other rows: the tool sets them anew.
    void setPreviews(const QList<QVariant> &previews);
    QList<QVariant> previews() const;
    // The column where a row shows what it will become (or why it was not changed).
    static int previewColumn(int action);

    // Views show every row anew / the given cells anew.
    void reloadAll();
    void reloadRows(const QList<int> &rows, int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // How a cell of this column is drawn in the list of the given action.
    static CellKind cellKind(int action, int column);

signals:
    // Rows came, went or moved, and the previews set for them are forgotten.
    void previewsNeeded();

private:
    QVariant fileValue(int row, const QUrl &url, int column, int role) const;
    QVariant trackValue(int row, const TrackObject &track, int column, int role) const;
    QVariant previewAt(int row) const;
    QVariant libraryDateValue(const QUrl &url) const;
    void rebuildIndex();

    mutable QMutex m_mutex;
    int m_action = SMD;
    QList<QUrl> m_files;
    QSet<QUrl> m_fileSet;
    QList<TrackObject> m_tracks;
    QSet<QUrl> m_trackLocations;
    QDateTime m_toDate;
    QHash<QUrl, QDateTime> m_libraryDates;
    QHash<QUrl, QString> m_failures;
    QList<QVariant> m_previews;
};

// A date as the rows show it: the user's short date and time, with seconds.
QString trackListDateText(const QDateTime &date);
