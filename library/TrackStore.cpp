#include "library/TrackStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

#include "protocol/LibraryProtocol.h"

QVariantMap TrackRecord::toVariantMap() const
{
    using namespace LibraryProtocol;
    return {
        {Key::id, id},
        {Key::name, name},
        {Key::artist, artist},
        {Key::album, album},
        {Key::trackNumber, trackNumber},
        {Key::location, location},
        {Key::dateAdded, dateAdded},
        {Key::dateModified, dateModified},
        {Key::playedCount, playedCount},
        {Key::rating, rating},
    };
}

namespace {
// A null QString binds as SQL NULL, which the NOT NULL text columns refuse.
QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("") : value;
}

// The tag fields, in the order both the insert and the update name them.
void bindTags(QSqlQuery &query, const TrackRecord &record)
{
    for (const QString *field : {&record.name, &record.artist, &record.album, &record.trackNumber})
        query.addBindValue(text(*field));
}
} // namespace

TrackStore::TrackStore(QObject *parent)
    : QObject(parent), m_connectionName(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

TrackStore::~TrackStore()
{
    m_insert = QSqlQuery();
    m_update = QSqlQuery();
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

const TrackRecord *TrackStore::track(qint64 id) const
{
    const int row = rowOf(id);
    return row < 0 ? nullptr : &m_tracks.at(row);
}

bool TrackStore::open(const QString &path, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (m_db.isValid())
        return fail(QStringLiteral("the library is already open"));
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
    m_path = info.absoluteFilePath();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!m_db.open())
        return fail(m_db.lastError().text());

    QSqlQuery pragma(m_db);
    // The library is the file's only user while it runs. Holding the lock
    // for good spares every transaction its lock calls, and WAL then keeps its
    // index in memory instead of a shared file.
    pragma.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
    // WAL: a commit is one append to the log, and the log is replayed after a
    // crash. NORMAL syncs at checkpoints only; that loses nothing when the
    // process dies, because committed pages are already in the OS's hands.
    if (!pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !pragma.next()
        || pragma.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        return fail(QStringLiteral("cannot switch %1 to write-ahead logging").arg(m_path));
    pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    pragma.exec(QStringLiteral("PRAGMA foreign_keys=ON"));

    if (!migrate(error))
        return false;

    m_insert = QSqlQuery(m_db);
    m_insert.prepare(QStringLiteral(
        "INSERT INTO tracks (name, artist, album, track_number, location, date_added, date_modified, "
        "played_count, rating) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    m_update = QSqlQuery(m_db);
    m_update.prepare(QStringLiteral(
        "UPDATE tracks SET name = ?, artist = ?, album = ?, track_number = ?, date_modified = ?, "
        "played_count = ?, rating = ? WHERE id = ?"));
    loadAll();
    return true;
}

bool TrackStore::migrate(QString *error)
{
    QSqlQuery query(m_db);
    query.exec(QStringLiteral("PRAGMA user_version"));
    const int version = query.next() ? query.value(0).toInt() : 0;
    if (version > schemaVersion) {
        if (error)
            *error = QStringLiteral("%1 was written by a newer music-library (schema %2)").arg(m_path).arg(version);
        return false;
    }
    if (version == schemaVersion)
        return true;

    // Each step upgrades one version inside one transaction, so a crash in
    // the middle leaves the file at the previous version.
    if (!m_db.transaction())
        return false;
    bool ok = true;
    if (version < 1) {
        ok = query.exec(QStringLiteral(
                 "CREATE TABLE tracks ("
                 " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                 " name TEXT NOT NULL DEFAULT '',"
                 " artist TEXT NOT NULL DEFAULT '',"
                 " album TEXT NOT NULL DEFAULT '',"
                 " track_number TEXT NOT NULL DEFAULT '',"
                 " location TEXT NOT NULL UNIQUE,"
                 " date_added INTEGER NOT NULL,"
                 " date_modified INTEGER NOT NULL,"
                 " played_count INTEGER NOT NULL DEFAULT 0 CHECK (played_count >= 0),"
                 " rating INTEGER NOT NULL DEFAULT 0 CHECK (rating BETWEEN 0 AND 100))"))
            && query.exec(QStringLiteral("PRAGMA user_version = 1"));
    }
    if (!ok) {
        const QString reason = query.lastError().text();
        m_db.rollback();
        if (error)
            *error = reason;
        return false;
    }
    return m_db.commit();
}

void TrackStore::loadAll()
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.exec(QStringLiteral(
        "SELECT id, name, artist, album, track_number, location, date_added, date_modified, played_count, "
        "rating FROM tracks ORDER BY id"));
    while (query.next()) {
        TrackRecord r;
        r.id = query.value(0).toLongLong();
        r.name = query.value(1).toString();
        r.artist = query.value(2).toString();
        r.album = query.value(3).toString();
        r.trackNumber = query.value(4).toString();
        r.location = query.value(5).toString();
        r.dateAdded = query.value(6).toLongLong();
        r.dateModified = query.value(7).toLongLong();
        r.playedCount = query.value(8).toInt();
        r.rating = query.value(9).toInt();
        m_rowById.insert(r.id, int(m_tracks.size()));
        m_idByLocation.insert(r.location, r.id);
        m_tracks.append(r);
    }
}

qint64 TrackStore::insert(TrackRecord record)
{
    if (!m_db.isOpen() || record.location.isEmpty() || m_idByLocation.contains(record.location))
        return 0;
    record.playedCount = TrackRecord::clampPlayedCount(record.playedCount);
    record.rating = TrackRecord::clampRating(record.rating);
    bindTags(m_insert, record);
    m_insert.addBindValue(text(record.location));
    m_insert.addBindValue(record.dateAdded);
    m_insert.addBindValue(record.dateModified);
    m_insert.addBindValue(record.playedCount);
    m_insert.addBindValue(record.rating);
    if (!m_insert.exec()) {
        qWarning("music-library: cannot store %s: %s", qPrintable(record.location),
                 qPrintable(m_insert.lastError().text()));
        return 0;
    }
    record.id = m_insert.lastInsertId().toLongLong();
    m_insert.finish();
    if (record.id <= 0)
        return 0;

    const int row = int(m_tracks.size());
    emit trackAboutToBeInserted(row);
    m_rowById.insert(record.id, row);
    m_idByLocation.insert(record.location, record.id);
    m_tracks.append(record);
    emit trackInserted(row);
    return record.id;
}

bool TrackStore::update(const TrackRecord &record)
{
    const int row = rowOf(record.id);
    if (row < 0 || !m_db.isOpen())
        return false;
    TrackRecord next = m_tracks.at(row);
    next.name = record.name;
    next.artist = record.artist;
    next.album = record.album;
    next.trackNumber = record.trackNumber;
    next.dateModified = record.dateModified;
    next.playedCount = TrackRecord::clampPlayedCount(record.playedCount);
    next.rating = TrackRecord::clampRating(record.rating);
    const TrackRecord &current = m_tracks.at(row);
    if (next.name == current.name && next.artist == current.artist && next.album == current.album
        && next.trackNumber == current.trackNumber && next.dateModified == current.dateModified
        && next.playedCount == current.playedCount && next.rating == current.rating)
        return true;

    bindTags(m_update, next);
    m_update.addBindValue(next.dateModified);
    m_update.addBindValue(next.playedCount);
    m_update.addBindValue(next.rating);
    m_update.addBindValue(next.id);
    const bool ok = m_update.exec() && m_update.numRowsAffected() == 1;
    m_update.finish();
    if (!ok)
        return false;
    m_tracks[row] = next;
    emit trackChanged(row);
    return true;
}
