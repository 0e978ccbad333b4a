#include "tracks/runs/RunRecord.h"

namespace RunRecord {

qint64 begin(const QString &tool, RunJournal::Kind kind, const QList<RunJournal::Entry> &entries, qint64 undoOf)
{
    RunJournal journal;
    return journal.open() ? journal.begin(tool, kind, entries, undoOf) : 0;
}

void finish(qint64 run, int changed)
{
    if (run <= 0)
        return;
    RunJournal journal;
    if (journal.open())
        journal.finish(run, changed);
}

RunJournal::Value valueOf(const FileTime &time)
{
    return {time.seconds, time.nanoseconds};
}

FileTime timeOf(const RunJournal::Value &value)
{
    return FileTime::normalised(value.value, value.nanoseconds);
}

RunJournal::Entry fileTime(const QUrl &file, const FileTime &after)
{
    return fileTime(file, FileDates::modificationDate(file), after);
}

RunJournal::Entry fileTime(const QUrl &file, const std::optional<FileTime> &before, const FileTime &after)
{
    RunJournal::Entry entry{file.toString(QUrl::FullyEncoded), std::nullopt, valueOf(after)};
    if (before)
        entry.before = valueOf(*before);
    return entry;
}

} // namespace RunRecord
