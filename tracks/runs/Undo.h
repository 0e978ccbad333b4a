#pragma once

#include "tracks/journal/RunJournal.h"
#include "tracks/library/ITunesApplication.h"

#include <QUrl>

// Taking one item of a run back, on a run's worker thread. An item is
// restored only while it still holds what the run wrote: a value changed
// since, by the user, the library or another run, is left as it is.
namespace Undo {
enum class State {
    Restore,     // holds what the run wrote: goes back
    Untouched,   // holds what it held before: the run never changed it
    ChangedSince // holds something else, or cannot be read: left alone
};

// The item's value now: its file's modification time, or the count or rating
// the library holds for it (one or two calls). None when it cannot be read.
std::optional<RunJournal::Value> currentValue(RunJournal::Kind kind, const QUrl &target,
                                              const ITunesApplication &library);
State stateOf(const RunJournal::Entry &entry, const std::optional<RunJournal::Value> &now);
// Writes the value back; "" when done, else why not.
QString restore(RunJournal::Kind kind, const QUrl &target, const RunJournal::Value &value,
                const ITunesApplication &library);
} // namespace Undo
