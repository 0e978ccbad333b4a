#pragma once

#include "tracks/lists/FileDropDelegate.h"
#include "tracks/lists/TrackListModel.h"
#include "tracks/lists/TrackObject.h"

#include <QDateTime>
#include <QFuture>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QMimeData;
class QTableView;
class QVariantAnimation;
class SimpleTextCell;
class DatePreviewCell;
class RatingCell;

// The drop target of one tool action and the owner of its list. Files dragged
// onto it are listed (file lists) or make it take the library's selection
// (track lists); it is the model and the cell painter of the tool's table,
// which, with the drop hint, sits inside it.
class DropView : public QWidget
{
    Q_OBJECT
public:
    explicit DropView(QWidget *parent = nullptr);
    ~DropView() override;

    // The table shows this list: model, cell delegates, 30-pixel rows, no grid.
    void attachTable(QTableView *table);
    TrackListModel *model() const { return m_model; }

    void setDelegate(FileDropDelegate *delegate) { m_delegate = delegate; }
    FileDropDelegate *delegate() const { return m_delegate; }

    // 0 SMD, 1 CCD, 2 TN, 3 Play Count, 4 Rating, 5 Date Added.
    void setCurrentAction(int action);
    int currentAction() const;

    void setAllowDrop(bool allow) { m_allowDrop = allow; }
    bool allowDrop() const { return m_allowDrop; }

    // Fades the children to half opacity and fills the view with ColorBorder.
    void setHighlighted(bool highlighted);
    bool isHighlighted() const { return m_highlighted; }
    // The opacity the children are fading to (1.0 when not highlighted).
    qreal subviewsAlpha() const { return m_alpha; }

    // File lists (actions 0, 1, 2, 5).
    QList<QUrl> files() const { return m_model->files(); }
    void setFiles(const QList<QUrl> &files) { m_model->setFiles(files); }
    // Track lists (actions 3, 4).
    QList<TrackObject> tracks() const { return m_model->tracks(); }
    void setTracks(const QList<TrackObject> &tracks) { m_model->setTracks(tracks); }
    // Thread-safe in-place change of one listed track (shown at the next reload).
    void updateTrack(int row, const TrackObject &track) { m_model->updateTrack(row, track); }
    int count() const { return m_model->count(); }

    // The date the Set Modification Date rows preview.
    void setToDate(const QDateTime &date) { m_model->setToDate(date); }
    void setPreviewDate(const QDateTime &date) { m_model->setToDate(date); }
    QDateTime toDate() const { return m_model->toDate(); }

    // Removes the listed items at these rows, given from the last to the first.
    void removeItemsAt(const QList<int> &rowsLastFirst) { m_model->removeItemsAt(rowsLastFirst); }
    void cleanTable(QTableView *table);
    void reloadData() { m_model->reloadAll(); }
    void reloadRows(const QList<int> &rows, int column) { m_model->reloadRows(rows, column); }

    void addFilesToArray(const QList<QUrl> &urls) { m_model->addFiles(urls); }
    bool checkDuplicate(const QUrl &url) const { return m_model->containsFile(url); }
    void addTrackToArray(const TrackObject &track) { m_model->addTrack(track); }
    // Lists the library's selected tracks (nothing when it is not running) and
    // tells the owner when there was at least one. The library is asked off
    // the main thread; selectionTaken() follows when the tracks are listed.
    void getSelection();

    // What a drop does. False (and nothing read) when drops are not allowed.
    // Track lists take the library's selection 0.1 s later.
    bool takeDrop(const QMimeData *mime);
    // Files (or folders) that come in as a drop of their URLs would.
    bool takeFiles(const QList<QUrl> &urls);

signals:
    // A getSelection() has listed what the library had selected (maybe nothing).
    void selectionTaken();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyDelegates();
    void listSelection(const QList<TrackObject> &tracks);
    void setSubviewsAlpha(qreal alpha);

    TrackListModel *m_model;
    FileDropDelegate *m_delegate = nullptr;
    QPointer<QTableView> m_table;
    SimpleTextCell *m_textCell;
    DatePreviewCell *m_previewCell;
    RatingCell *m_ratingCell;
    QVariantAnimation *m_fade;
    bool m_allowDrop = true;
    bool m_highlighted = false;
    qreal m_alpha = 1.0;
    QFuture<QList<TrackObject>> m_selectionTaken; // the newest selection read
};
