#include "tracks/runs/DateRuns.h"

#include "tracks/library/LibraryRefresh.h"
#include "tracks/runs/ModificationDates.h"
#include "tracks/runs/RunRecord.h"

#include <QCoreApplication>

#include <atomic>
#include <cerrno>
#include <memory>

namespace DateRuns {

QString toolName(Action action)
{
    switch (action) {
    case Action::SetDate:
        return QStringLiteral("Set Modification Date");
    case Action::CopyBirthDate:
        return QStringLiteral("Copy Creation Date to Modification Date");
    case Action::SortByTrack:
        return QStringLiteral("Sort Modification Date by Track Number");
    }
    return QString();
}

QList<std::optional<FileTime>> planned(const DateRun &run)
{
    QList<std::optional<FileTime>> dates;
    dates.reserve(run.files.size());
    switch (run.action) {
    case Action::SetDate:
        // Every file gets exactly the same moment, nanoseconds included.
        dates.fill(run.moment, run.files.size());
        break;
    case Action::CopyBirthDate:
        for (const QUrl &file : run.files)
            dates.append(FileDates::creationDate(file));
        break;
    case Action::SortByTrack: {
        QList<std::optional<FileTime>> births;
        births.reserve(run.files.size());
        for (const QUrl &file : run.files)
            births.append(FileDates::creationDate(file));
        const qint64 base = ModificationDates::baseSeconds(ModificationDates::latest(births));
        const qint64 count = run.files.size();
        for (qint64 i = 0; i < count; ++i)
            dates.append(FileTime{ModificationDates::trackNumberSeconds(base, count, i, run.firstGetsLatest), 0});
        break;
    }
    }
    return dates;
}

QString reasonUnplanned(const QUrl &file)
{
    return FileDates::modificationDate(file)
               ? QCoreApplication::translate("DateRuns", "No creation date recorded")
               : qt_error_string(ENOENT);
}

RunSteps steps(const DateRun &run, const std::optional<QList<std::optional<FileTime>>> &dates)
{
    // What the step before the first item learns and the others read.
    struct State
    {
        QList<std::optional<FileTime>> dates;
        qint64 record = 0;
        std::atomic<int> changed{0};
    };
    auto state = std::make_shared<State>();
    RunSteps steps;
    steps.count = int(run.files.size());
    // The journal learns every file's date now and the date it will get
    // before the first file changes, so that the run can be taken back.
    steps.before = [run, state, dates] {
        state->dates = dates ? *dates : planned(run);
        QList<RunJournal::Entry> entries;
        entries.reserve(run.files.size());
        for (qsizetype i = 0; i < run.files.size(); ++i)
            if (state->dates.at(i))
                entries.append(RunRecord::fileTime(run.files.at(i), *state->dates.at(i)));
        state->record = RunRecord::begin(toolName(run.action), RunJournal::Kind::ModificationTime, entries);
        return true;
    };
    steps.work = [files = run.files, state](int i) {
        const std::optional<FileTime> date = state->dates.at(i);
        if (!date)
            return reasonUnplanned(files.at(i));
        int error = 0;
        if (!FileDates::setModificationDate(files.at(i), *date, &error))
            return qt_error_string(error);
        ++state->changed;
        return QString();
    };
    steps.afterProgress = [files = run.files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    steps.after = [state] { RunRecord::finish(state->record, state->changed.load()); };
    return steps;
}

} // namespace DateRuns
