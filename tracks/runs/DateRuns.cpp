#include "tracks/runs/DateRuns.h"

#include "app/common/FileNames.h"
#include "app/common/Stretches.h"
#include "tracks/library/LibraryRefresh.h"
#include "tracks/runs/ModificationDates.h"
#include "tracks/runs/PlanInParts.h"
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

Plan planned(const DateRun &run)
{
    Plan plan;
    const qint64 count = run.files.size();
    plan.paths.resize(count);
    plan.now.resize(count);
    QList<std::optional<FileTime>> births(count);
    // One read of each file; a long list is read by a few threads at once,
    // each filling its own stretch of the lists.
    QByteArray *const path = plan.paths.data();
    std::optional<FileTime> *const now = plan.now.data();
    std::optional<FileTime> *const born = births.data();
    const auto read = [&run, path, now, born](qint64 from, qint64 to) {
        for (qint64 i = from; i < to; ++i) {
            path[i] = FileNames::pathOf(run.files.at(i));
            const std::optional<FileDates::Times> &seen = run.known.value(i);
            const FileDates::Times times = seen ? *seen : FileDates::times(path[i]);
            now[i] = times.modified;
            born[i] = times.created;
        }
    };
    inStretches(count, read);
    switch (run.action) {
    case Action::SetDate:
        // Every file gets exactly the same moment, nanoseconds included.
        plan.dates.fill(run.moment, count);
        break;
    case Action::CopyBirthDate:
        plan.dates = births;
        break;
    case Action::SortByTrack: {
        const qint64 base = ModificationDates::baseSeconds(ModificationDates::latest(births));
        plan.dates.reserve(count);
        for (qint64 i = 0; i < count; ++i)
            plan.dates.append(FileTime{ModificationDates::trackNumberSeconds(base, count, i, run.firstGetsLatest), 0});
        break;
    }
    }
    return plan;
}

QString reasonUnplanned(const QUrl &file)
{
    return FileDates::modificationDate(file)
               ? QCoreApplication::translate("DateRuns", "No creation date recorded")
               : qt_error_string(ENOENT);
}

RunSteps steps(const DateRun &run, const std::optional<Plan> &given)
{
    // What the step before the first item learns and the others read.
    struct State
    {
        QByteArrayList paths;
        QList<std::optional<FileTime>> dates;
        std::unique_ptr<PlanInParts> journal;
        std::atomic<int> changed{0};
    };
    auto state = std::make_shared<State>();
    RunSteps steps;
    steps.count = int(run.files.size());
    // The journal learns each file's date now and the date it will get
    // before the file changes, so that the run can be taken back.
    steps.before = [run, state, given] {
        const Plan plan = given ? *given : planned(run);
        state->paths = plan.paths;
        state->dates = plan.dates;
        QList<RunJournal::Entry> entries(run.files.size());
        RunJournal::Entry *const entry = entries.data();
        inStretches(run.files.size(), [&run, &plan, entry](qsizetype from, qsizetype to) {
            for (qsizetype i = from; i < to; ++i)
                if (plan.dates.at(i))
                    entry[i] = RunRecord::fileTime(run.files.at(i), plan.now.at(i), *plan.dates.at(i));
        });
        // Files that keep their date have no entry.
        state->journal = std::make_unique<PlanInParts>(toolName(run.action), RunJournal::Kind::ModificationTime, std::move(entries));
        return true;
    };
    steps.work = [files = run.files, state](int i) {
        if (state->journal)
            state->journal->waitFor(i);
        const std::optional<FileTime> date = state->dates.at(i);
        if (!date)
            return reasonUnplanned(files.at(i));
        int error = 0;
        if (!FileDates::setModificationDate(state->paths.at(i), *date, &error))
            return qt_error_string(error);
        ++state->changed;
        return QString();
    };
    // Each file gets its own planned date: the order of the writes changes nothing.
    steps.sideBySide = true;
    steps.afterProgress = [files = run.files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    steps.after = [state] {
        if (state->journal)
            state->journal->finish(state->changed.load());
    };
    return steps;
}

} // namespace DateRuns
