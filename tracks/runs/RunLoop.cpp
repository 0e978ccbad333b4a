#include "tracks/runs/RunSteps.h"

#include "app/common/Stretches.h"
#include "tracks/library/LibraryRefresh.h"
#include "tracks/library/LibrarySave.h"
#include "tracks/runs/StopFlag.h"

#include <QCoreApplication>

#include <optional>
#include <vector>

namespace {
// A step must not take the run down with it: a failed item is skipped and
// the run goes on.
template <typename F>
void guarded(F &&f)
{
    try {
        f();
    } catch (...) {
    }
}
} // namespace

RunSteps::Failures RunLoop::run(const RunSteps &steps, const StopFlag &stop,
                                const std::function<void(int index, bool worked)> &progress)
{
    RunSteps::Failures failed;
    // The library refreshes of the items need not be answered one by one;
    // all are answered before the run ends.
    LibraryRefreshBatch libraryRefreshes;
    bool go = true;
    int worked = 0;
    if (steps.before)
        guarded([&] { go = steps.before(); });
    // A step that throws leaves this reason standing.
    const QString unexpected = steps.work ? QCoreApplication::translate("BatchRun", "unexpected error") : QString();
    if (go && steps.sideBySide && !progress && steps.work) {
        // Each stretch of items on its own thread, each outcome in its own slot.
        std::vector<std::optional<QString>> outcomes(steps.count);
        inStretches(steps.count, [&](qsizetype from, qsizetype to) {
            for (qsizetype i = from; i < to && !stop.isRequested(); ++i) {
                QString failure = unexpected;
                guarded([&] { failure = steps.work(int(i)); });
                outcomes[i] = failure;
            }
        });
        for (int i = 0; i < steps.count; ++i) {
            if (!outcomes[i]) // not reached before a stop
                continue;
            if (!outcomes[i]->isEmpty()) {
                failed.insert(i, *outcomes[i]);
                continue;
            }
            ++worked;
            if (steps.afterProgress)
                guarded([&] { steps.afterProgress(i); });
        }
        go = false;
    }
    for (int i = 0; go && i < steps.count && !stop.isRequested(); ++i) {
        if (progress)
            progress(i, false);
        QString failure = unexpected;
        if (steps.work)
            guarded([&] { failure = steps.work(i); });
        if (!failure.isEmpty())
            failed.insert(i, failure);
        else
            ++worked;
        if (progress)
            progress(i, true);
        if (steps.afterProgress && failure.isEmpty())
            guarded([&] { steps.afterProgress(i); });
    }
    if (steps.after)
        guarded(steps.after);
    libraryRefreshes.finish();
    // Only a run that changed something has anything to save.
    if (worked > 0)
        LibrarySave::afterRun();
    return failed;
}
