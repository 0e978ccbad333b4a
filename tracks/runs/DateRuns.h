#pragma once

#include "tracks/files/FileDates.h"
#include "tracks/runs/RunSteps.h"

#include <QList>
#include <QUrl>

#include <optional>

// The runs of the Date Modified tool, free of any window: the sheet and the
// command line run the same steps. A run writes its plan into the journal
// before the first file changes, gives each file its date, has the library
// read each changed file again, and counts the files it changed.
namespace DateRuns {
enum class Action {
    SetDate = 0,       // every file gets one moment
    CopyBirthDate = 1, // each file's creation date becomes its modification date
    SortByTrack = 2,   // one second apart in the files' order, from the latest creation date
};

struct DateRun
{
    Action action = Action::SetDate;
    QList<QUrl> files;             // for SortByTrack, in album order
    FileTime moment;               // SetDate
    bool firstGetsLatest = true;   // SortByTrack: the first file gets the latest date
    // Each file's dates where they were read already (as the files were
    // named), in the order of files; the plan reads the others.
    QList<std::optional<FileDates::Times>> known;
};

// The run's name in the journal and the history.
QString toolName(Action action);
// Each file's modification date now and the date the run will give it
// (none where the file keeps its date), from one read of each file.
struct Plan
{
    QByteArrayList paths; // each file's path, empty where the URL names none
    QList<std::optional<FileTime>> now;
    QList<std::optional<FileTime>> dates;
};
Plan planned(const DateRun &run);
// Why a file with no planned date keeps its date.
QString reasonUnplanned(const QUrl &file);
// The run's steps; the plan is made by the step before the first item,
// unless it is given (as planned() made it).
RunSteps steps(const DateRun &run, const std::optional<Plan> &plan = std::nullopt);
} // namespace DateRuns
