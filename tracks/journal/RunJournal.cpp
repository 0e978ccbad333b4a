#include "tracks/journal/RunJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>

#include <sqlite3.h>

namespace {
constexpr int schemaVersion = 1;
constexpr qint64 dayMs = 24LL * 60 * 60 * 1000;

RunJournal::Run runFrom(const QSqlQuery &q)
{
    RunJournal::Run run;
    run.id = q.value(0).toLongLong();
    run.tool = q.value(1).toString();
    run.kind = RunJournal::Kind(q.value(2).toInt());
    run.startedMs = q.value(3).toLongLong();
    run.items = q.value(4).toInt();
    run.changed = q.value(5).isNull() ? -1 : q.value(5).toInt();
    run.undoOf = q.value(6).toLongLong();
    run.undone = q.value(7).toLongLong() > 0;
    return run;
}

const char *const runColumns =
    "SELECT r.id, r.tool, r.kind, r.started, r.items, r.changed, r.undoOf,"
    " (SELECT COUNT(*) FROM runs u WHERE u.undoOf = r.id) FROM runs r ";

// SQLite's own handle of the connection the SQL module opened.
sqlite3 *connectionOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    return handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
               ? *static_cast<sqlite3 *const *>(handle.constData())
               : nullptr;
}

// The plan of a whole library goes in through SQLite itself, one prepared
// statement bound again per entry: through the SQL module every value
// would first become a variant, which costs more than the insert.
bool insertEntries(const QSqlDatabase &db, qint64 run, const QList<RunJournal::Entry> &entries, qsizetype firstPosition = 0)
{
    sqlite3 *const connection = connectionOf(db);
    sqlite3_stmt *insert = nullptr;
    if (!connection || sqlite3_prepare_v2(connection, "INSERT INTO entries VALUES(?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr) != SQLITE_OK)
        return false;
    bool inserted = true;
    for (qsizetype i = 0; inserted && i < entries.size(); ++i) {
        const RunJournal::Entry &e = entries.at(i);
        sqlite3_bind_int64(insert, 1, run);
        sqlite3_bind_int64(insert, 2, firstPosition + i);
        // Stored as UTF-8, so handed over as UTF-8 (a target is mostly ASCII).
        const QByteArray target = e.target.toUtf8();
        sqlite3_bind_text(insert, 3, target.constData(), int(target.size()), SQLITE_STATIC);
        if (e.before) {
            sqlite3_bind_int64(insert, 4, e.before->value);
            sqlite3_bind_int64(insert, 5, e.before->nanoseconds);
        } else {
            sqlite3_bind_null(insert, 4);
            sqlite3_bind_null(insert, 5);
        }
        sqlite3_bind_int64(insert, 6, e.after.value);
        sqlite3_bind_int64(insert, 7, e.after.nanoseconds);
        inserted = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return inserted;
}
// A run and its entries go; inside the caller's transaction.
void dropRun(const QSqlDatabase &db, qint64 run)
{
    QSqlQuery drop(db);
    drop.prepare(QStringLiteral("DELETE FROM entries WHERE run = ?"));
    drop.addBindValue(run);
    drop.exec();
    drop.prepare(QStringLiteral("DELETE FROM runs WHERE id = ?"));
    drop.addBindValue(run);
    drop.exec();
}
} // namespace

QString RunJournal::defaultPath()
{
    const QString overridden = qEnvironmentVariable("MELVORA_JOURNAL");
    if (overridden == u"off")
        return {};
    if (!overridden.isEmpty())
        return overridden;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/melvora/journal.sqlite");
}

RunJournal::RunJournal(const QString &path)
    : m_path(path), m_connection(QStringLiteral("journal-") + QUuid::createUuid().toString(QUuid::Id128))
{
}

RunJournal::~RunJournal()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool RunJournal::open(QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (m_path.isEmpty())
        return fail(QStringLiteral("the journal is off"));
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return fail(QStringLiteral("cannot make the folder of %1").arg(m_path));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return fail(db.lastError().text());
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return fail(q.lastError().text());
    const int version = q.value(0).toInt();
    if (version > schemaVersion)
        return fail(QStringLiteral("the journal was written by a newer version"));
    if (version == 0) {
        const bool made = q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS runs(id INTEGER PRIMARY KEY, tool TEXT NOT NULL,"
                                                " kind INTEGER NOT NULL, started INTEGER NOT NULL, items INTEGER NOT NULL,"
                                                " changed INTEGER, undoOf INTEGER NOT NULL DEFAULT 0)"))
                       && q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS entries(run INTEGER NOT NULL, position INTEGER NOT NULL,"
                                                " target TEXT NOT NULL, before INTEGER, beforeNs INTEGER,"
                                                " after INTEGER NOT NULL, afterNs INTEGER NOT NULL, PRIMARY KEY(run, position)) WITHOUT ROWID"))
                       && q.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS runsUndoOf ON runs(undoOf)"))
                       && q.exec(QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion));
        if (!made)
            return fail(q.lastError().text());
    }
    return true;
}

bool RunJournal::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && QSqlDatabase::database(m_connection, false).isOpen();
}

qint64 RunJournal::begin(const QString &tool, Kind kind, const QList<Entry> &entries, qint64 undoOf)
{
    return beginRun(tool, kind, entries, entries.size(), undoOf);
}

qint64 RunJournal::beginInParts(const QString &tool, Kind kind, const QList<Entry> &firstPart, qsizetype items)
{
    return beginRun(tool, kind, firstPart, items, 0);
}

void RunJournal::forget(qint64 run)
{
    if (!isOpen() || run <= 0)
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return;
    dropRun(db, run);
    db.commit();
}

bool RunJournal::addPart(qint64 run, const QList<Entry> &part, qsizetype firstPosition)
{
    if (!isOpen() || run <= 0)
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return false;
    if (insertEntries(db, run, part, firstPosition) && db.commit())
        return true;
    db.rollback();
    return false;
}

qint64 RunJournal::beginRun(const QString &tool, Kind kind, const QList<Entry> &entries, qsizetype items, qint64 undoOf)
{
    if (!isOpen())
        return 0;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.transaction())
        return 0;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO runs(tool, kind, started, items, undoOf) VALUES(?, ?, ?, ?, ?)"));
    q.addBindValue(tool);
    q.addBindValue(int(kind));
    q.addBindValue(QDateTime::currentMSecsSinceEpoch());
    q.addBindValue(int(items));
    q.addBindValue(undoOf);
    if (!q.exec()) {
        db.rollback();
        return 0;
    }
    const qint64 run = q.lastInsertId().toLongLong();
    return insertEntries(db, run, entries) && db.commit() ? run : (db.rollback(), 0);
}

void RunJournal::finish(qint64 run, int changed)
{
    if (!isOpen() || run <= 0)
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QStringLiteral("UPDATE runs SET changed = ? WHERE id = ?"));
    q.addBindValue(changed);
    q.addBindValue(run);
    q.exec();
    prune(QDateTime::currentMSecsSinceEpoch());
}

void RunJournal::checkpoint()
{
    if (!isOpen())
        return;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

QList<RunJournal::Run> RunJournal::runs() const
{
    QList<Run> all;
    if (!isOpen())
        return all;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    if (!q.exec(QString::fromLatin1(runColumns) + QStringLiteral("ORDER BY r.id DESC")))
        return all;
    while (q.next())
        all.append(runFrom(q));
    return all;
}

std::optional<RunJournal::Run> RunJournal::run(qint64 id) const
{
    if (!isOpen())
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.prepare(QString::fromLatin1(runColumns) + QStringLiteral("WHERE r.id = ?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return runFrom(q);
}

QList<RunJournal::Entry> RunJournal::entries(qint64 run) const
{
    QList<Entry> all;
    if (!isOpen())
        return all;
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT target, before, beforeNs, after, afterNs FROM entries WHERE run = ? ORDER BY position"));
    q.addBindValue(run);
    if (!q.exec())
        return all;
    while (q.next()) {
        Entry e;
        e.target = q.value(0).toString();
        if (!q.value(1).isNull())
            e.before = Value{q.value(1).toLongLong(), q.value(2).toLongLong()};
        e.after = Value{q.value(3).toLongLong(), q.value(4).toLongLong()};
        all.append(e);
    }
    return all;
}

std::optional<RunJournal::Run> RunJournal::lastUndoable() const
{
    for (const Run &r : runs())
        if (r.undoable() && !r.undone)
            return r;
    return std::nullopt;
}

void RunJournal::prune(qint64 nowMs)
{
    if (!isOpen())
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery q(db);
    // The runs beyond the newest keepRuns that are also older than keepDays.
    q.prepare(QStringLiteral("SELECT id FROM runs WHERE started < ? AND id NOT IN"
                             " (SELECT id FROM runs ORDER BY id DESC LIMIT ?)"));
    q.addBindValue(nowMs - keepDays * dayMs);
    q.addBindValue(keepRuns);
    if (!q.exec())
        return;
    QList<qint64> old;
    while (q.next())
        old.append(q.value(0).toLongLong());
    if (old.isEmpty() || !db.transaction())
        return;
    for (qint64 id : std::as_const(old))
        dropRun(db, id);
    db.commit();
}
