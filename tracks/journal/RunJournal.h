#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// The journal of runs, one SQLite file (WAL) in the user's data folder.
//
// A run writes its plan before it changes anything: for every item what it
// holds and what it will hold, in one transaction. A run killed half-way
// leaves the plan, and each item tells by its current value whether it was
// changed: the value the plan wrote means changed, the value it held means
// not, anything else means changed since by someone else. Undo rests on
// that and never overwrites a value it did not write.
//
// One journal object per thread: each opens its own connection.
class RunJournal
{
public:
    // What a run changes in an item.
    enum class Kind { ModificationTime = 0, PlayCount = 1, Rating = 2, DateAdded = 3 };

    // A value as the journal keeps it: a modification time (seconds and
    // nanoseconds), a count or rating (value), a Date Added hand-over
    // (value 1 when the library held the file before, else 0).
    struct Value
    {
        qint64 value = 0;
        qint64 nanoseconds = 0;
        bool operator==(const Value &) const = default;
    };

    struct Entry
    {
        QString target; // the file's URL, fully encoded
        std::optional<Value> before; // none: unknown (unreadable)
        Value after;
    };

    struct Run
    {
        qint64 id = 0;
        QString tool;           // "Set Modification Date", "Play Count", …
        Kind kind = Kind::ModificationTime;
        qint64 startedMs = 0;   // ms since 1970
        int items = 0;
        int changed = -1;       // as counted at its end; -1: it never ended
        qint64 undoOf = 0;      // the run this one took back, or 0
        bool undone = false;    // a later run took this one back
        bool undoable() const { return kind != Kind::DateAdded; }
    };

    // Keeps at least this many runs, and every run younger than keepDays.
    static constexpr int keepRuns = 100;
    static constexpr int keepDays = 90;

    // $XDG_DATA_HOME/melvora/journal.sqlite; MELVORA_JOURNAL overrides it
    // ("off": no journal, runs cannot be undone; benchmarks compare with it).
    static QString defaultPath();

    explicit RunJournal(const QString &path = defaultPath());
    ~RunJournal();
    RunJournal(const RunJournal &) = delete;
    RunJournal &operator=(const RunJournal &) = delete;

    // False with a reason when the file cannot be used.
    bool open(QString *error = nullptr);
    bool isOpen() const;

    // Records a run and its whole plan before any change; the run's id, or 0
    // when nothing could be written (the caller then runs without undo).
    qint64 begin(const QString &tool, Kind kind, const QList<Entry> &entries, qint64 undoOf = 0);
    // The same for a long plan written in parts while the run goes on: the
    // run with its first part and the number of entries in all, then each
    // further part, each in a transaction of its own (false when it could
    // not be written). A caller changes an item only once its part is in.
    qint64 beginInParts(const QString &tool, Kind kind, const QList<Entry> &firstPart, qsizetype items);
    bool addPart(qint64 run, const QList<Entry> &part, qsizetype firstPosition);
    // A run and its entries leave the journal (a plan that could not be written whole).
    void forget(qint64 run);
    // Records how many items the run changed, and prunes old runs.
    void finish(qint64 run, int changed);
    // Moves what was written so far from the write-ahead log into the
    // database file, without waiting for readers; closing the last
    // connection does that too, all at once.
    void checkpoint();

    // Runs, newest first.
    QList<Run> runs() const;
    std::optional<Run> run(qint64 id) const;
    QList<Entry> entries(qint64 run) const;
    // The newest run that can still be taken back.
    std::optional<Run> lastUndoable() const;

    // Drops runs beyond keepRuns that are older than keepDays; now is in ms.
    void prune(qint64 nowMs);

private:
    qint64 beginRun(const QString &tool, Kind kind, const QList<Entry> &entries, qsizetype items, qint64 undoOf);

    QString m_path;
    QString m_connection;
};
