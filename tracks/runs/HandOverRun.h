#pragma once

#include "tracks/runs/HandOver.h"
#include "tracks/runs/RunSteps.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QUrl>

#include <memory>

class StopFlag;

// A Date Added run, free of any window: the sheet and the command line run
// the same steps. The files, in album order, are handed to the library one
// at a time in the chosen direction (see HandOver); afterwards the dates the
// library holds are read and checked, and the run goes into the journal.
// Where the library lets its Date Added be written, each file (added first
// when the library does not hold it) is given its date directly instead,
// the last one handed over getting the run's start, each before it one
// second less, so that none lies in the future.
namespace HandOverRun {
struct State
{
    QList<QUrl> files;              // in album order
    QList<int> order;               // list indexes in hand-over order
    bool libraryRunning = true;     // false: nothing was handed over
    int handed = 0;                 // files handed over, in order
    QList<QDateTime> before, after; // the library's date added of each handed file
    qint64 lastStart = 0, lastEnd = 0;
    // A library whose Date Added can be written gets the dates themselves,
    // one second apart from firstSecond on, with no wait between files.
    bool writesDates = false;
    qint64 firstSecond = 0;

    QList<QUrl> handedFiles() const;
    // Which handed files missed their place (see HandOver::check).
    QList<HandOver::Miss> misses() const;
};

std::shared_ptr<State> prepare(const QList<QUrl> &files, bool firstToLast);
// Step k hands over the file at state->order[k]. Waits between files end
// at once when stop is requested.
RunSteps steps(const std::shared_ptr<State> &state, const std::shared_ptr<StopFlag> &stop);
// Why a file missed its place, as a person reads it.
QString describe(HandOver::Miss miss);
} // namespace HandOverRun
