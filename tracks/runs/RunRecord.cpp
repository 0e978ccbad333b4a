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
    RunJournal::Entry entry{file.toString(QUrl::FullyEncoded), std::nullopt, valueOf(after)};
    if (const std::optional<FileTime> now = FileDates::modificationDate(file))
        entry.before = valueOf(*now);
    return entry;
}

} // namespace RunRecord
