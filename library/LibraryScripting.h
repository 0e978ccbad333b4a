#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class MusicLibrary;

// The object behind the scripting interface on the bus: the generated adaptor
// forwards each call of com.apple.iTunes.Library here.
class LibraryScripting : public QObject
{
    Q_OBJECT
public:
    explicit LibraryScripting(MusicLibrary *library, QObject *parent = nullptr);

    // Publishes this object and takes the service name. False (with a
    // reason) when the bus is unreachable or another library owns the name.
    bool publish(QString *error);

    QList<qlonglong> Selection();
    QList<QVariantMap> SelectedTracks();
    QList<qlonglong> SelectedTrackColumns(QStringList &names, QStringList &artists, QStringList &locations,
                                          QList<int> &playedCounts, QList<int> &ratings, QList<qlonglong> &datesAdded,
                                          QList<qlonglong> &datesModified);
    QList<QVariantMap> Tracks(const QList<qlonglong> &ids);
    QList<QVariantMap> AllTracks();
    qlonglong Add(const QStringList &files, const QString &playlist);
    qlonglong TrackOfFile(const QString &file, qlonglong &dateAdded);
    int SetPlayedCount(qlonglong id, int count);
    int SetRating(qlonglong id, int rating);
    bool Refresh(qlonglong id);
    bool Reveal(qlonglong id);
    qlonglong AddRefreshReveal(const QString &file);
    qlonglong AddSetRefreshReveal(const QString &file, const QString &property, int value, int &stored);
    void SetSelection(const QList<qlonglong> &ids);
    QString PeerAddress() const { return m_peerAddress; }
    void Quit();

    // The address a direct-connection server of this process listens on;
    // set before publish(), as callers ask for it once they see the name.
    void setPeerAddress(const QString &address) { m_peerAddress = address; }

private:
    QList<QVariantMap> recordMaps(const QList<qint64> &ids) const;
    MusicLibrary *m_library;
    QString m_peerAddress;
};
