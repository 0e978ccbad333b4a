#include "app/history/UndoRun.h"

#include "tracks/lists/BatchRun.h"

namespace UndoRun {
BatchRun *start(QWidget *toolView, qint64 run, std::function<void(const Report &)> done)
{
    // The item count is known before the sheet shows; the values are read
    // by the worker.
    const std::shared_ptr<UndoPlan::Plan> plan = UndoPlan::load(run);
    BatchRun::Steps steps;
    static_cast<RunSteps &>(steps) = UndoPlan::steps(plan);
    steps.barValue = [](int i) { return i + 1; };
    steps.end = [plan, done = std::move(done)](const BatchRun::Failures &failed) {
        if (done)
            done(UndoPlan::report(*plan, failed));
    };
    return BatchRun::start(toolView, std::move(steps));
}
} // namespace UndoRun
