#pragma once

#include "tracks/files/FileDates.h"
#include "tracks/journal/RunJournal.h"

#include <QUrl>

#include <optional>

// How a run writes itself into the journal, from its worker thread: the plan
// before the first change, the count of changes at the end. A journal that
// cannot be used costs the run nothing but its undo.
namespace RunRecord {
qint64 begin(const QString &tool, RunJournal::Kind kind, const QList<RunJournal::Entry> &entries, qint64 undoOf = 0);
void finish(qint64 run, int changed);

// A file's modification time now and the one a run will give it.
RunJournal::Entry fileTime(const QUrl &file, const FileTime &after);
// The same with the time now already read (none: it could not be).
RunJournal::Entry fileTime(const QUrl &file, const std::optional<FileTime> &before, const FileTime &after);
RunJournal::Value valueOf(const FileTime &time);
FileTime timeOf(const RunJournal::Value &value);
} // namespace RunRecord
