#pragma once

#include "library/AudioFileInfo.h"
#include "library/TrackRecord.h"

#include <QHash>
#include <QItemSelectionModel>
#include <QList>
#include <QObject>
#include <QSortFilterProxyModel>
#include <QUrl>

class TrackStore;
class TrackTableModel;

// The library as one object: the store, the table of tracks in window order
// (sorted or not, filtered or not) and the selection on it. The window shows
// exactly these models; without a window they still decide what "window
// order" and "the selection" mean, so headless and windowed libraries answer
// alike.
class MusicLibrary : public QObject
{
    Q_OBJECT
public:
    explicit MusicLibrary(TrackStore *store, QObject *parent = nullptr);

    TrackStore *store() const { return m_store; }
    QSortFilterProxyModel *windowModel() const { return m_proxy; }
    QItemSelectionModel *selectionModel() const { return m_selection; }

    // The track of the file, entered with date added = now when it is new.
    // 0 when the URL is not a local, readable audio file.
    qint64 addFile(const QUrl &url);
    // The track of a file (0 when the library does not hold it), without adding it.
    qint64 trackIdOf(const QUrl &url) const;
    // Adds files, and the audio files inside folders (recursively, in name
    // order). Returns how many tracks were new.
    int addPaths(const QList<QUrl> &urls);

    // Stored value, or -1 when there is no such track or storing failed.
    int setPlayedCount(qint64 id, int count);
    int setRating(qint64 id, int rating);
    // Reads the track's file again. False when the track or its readable
    // file is gone (the track then keeps what was read last).
    bool refresh(qint64 id);
    // Selects the track alone and asks the window to scroll to it, clearing
    // the filter when it hides the track.
    bool reveal(qint64 id);
    // addFile, refresh and reveal in turn, the way a caller that changed the
    // file asks for it in one go. The track, or 0 (nothing done) when the
    // file is refused.
    qint64 addRefreshReveal(const QUrl &url);
    // The same with one property written in between: property is the record
    // key of the play count or the rating; the value is held within its
    // bounds. A refused file or an unknown property: {0, -1}, nothing done.
    struct Written
    {
        qint64 id = 0;
        int stored = -1;
    };
    Written addSetRefreshReveal(const QUrl &url, const QString &property, int value);

    QList<qint64> selection() const; // in window order
    // Selects the tracks; when the filter hides one of them, the filter is
    // cleared first, so the selection is what was asked for.
    void setSelection(const QList<qint64> &ids);
    QList<TrackRecord> records(const QList<qint64> &ids) const;

    // The words a track must hold (each in its name, artist, album or file
    // name, in any case) to be in the window; "" lets every track in.
    QString filterText() const;
    void setFilterText(const QString &text);

    // The location a file URL is stored under: absolute, cleaned, file URL.
    static QString locationFor(const QUrl &url);
    // The location as earlier versions stored it: the path cleaned as text.
    static QString cleanedLocationFor(const QUrl &url);

signals:
    void revealed(const QModelIndex &windowIndex);
    void filterTextChanged(const QString &text);

private:
    QModelIndex windowIndexOf(qint64 id) const;
    bool isFilteredOut(qint64 id) const;
    void rememberStamp(qint64 id, const AudioFileInfo::Stamp &stamp);

    TrackStore *m_store;
    TrackTableModel *m_model;
    QSortFilterProxyModel *m_proxy;
    QItemSelectionModel *m_selection;
    // What each track's file looked like when it was read last; lets a
    // refresh of an unchanged file skip TagLib. Only in memory: after a
    // restart the first refresh reads again.
    QHash<qint64, AudioFileInfo::Stamp> m_stamps;
};
