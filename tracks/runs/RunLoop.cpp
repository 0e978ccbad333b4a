#include "tracks/runs/RunSteps.h"

#include "tracks/library/LibraryRefresh.h"
#include "tracks/library/LibrarySave.h"
#include "tracks/runs/StopFlag.h"

#include <QCoreApplication>

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
