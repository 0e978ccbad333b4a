#pragma once

#include "library/TrackRecord.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>

// The persistent library: one SQLite file (WAL) with a versioned schema, and
// all tracks held in memory in library order for fast answers. Every change
// is committed before the call that made it returns, so a process killed at
// any moment keeps every change it acknowledged.
class TrackStore : public QObject
{
    Q_OBJECT
public:
    static constexpr int schemaVersion = 1;

    explicit TrackStore(QObject *parent = nullptr);
    ~TrackStore() override;

    // Opens (creating when needed) the library file. False with a reason when
    // the file cannot be used, e.g. it was written by a newer schema.
    bool open(const QString &path, QString *error = nullptr);
    QString path() const { return m_path; }

    const QList<TrackRecord> &tracks() const { return m_tracks; }
    int rowOf(qint64 id) const { return m_rowById.value(id, -1); }
    const TrackRecord *track(qint64 id) const;
    qint64 idForLocation(const QString &location) const { return m_idByLocation.value(location, 0); }

    // Stores a new track; its id is given by the store. 0 on failure.
    qint64 insert(TrackRecord record);
    // Stores the changed fields of an existing track (matched by id). Play
    // count and rating are clamped. False when nothing could be stored.
    bool update(const TrackRecord &record);

signals:
    void trackAboutToBeInserted(int row);
    void trackInserted(int row);
    void trackChanged(int row);

private:
    bool migrate(QString *error);
    void loadAll();

    QString m_path;
    QString m_connectionName;
    QSqlDatabase m_db;
    QSqlQuery m_insert;
    QSqlQuery m_update;
    QList<TrackRecord> m_tracks;
    QHash<qint64, int> m_rowById;
    QHash<QString, qint64> m_idByLocation;
};
