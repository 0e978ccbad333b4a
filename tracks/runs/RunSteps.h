#pragma once

#include <QMap>
#include <QString>

#include <functional>

class StopFlag;

// The work of a batch run, free of any window: the progress sheet works it
// on a pool thread, the command line on its own. Every step may be empty.
struct RunSteps
{
    // The items whose work failed, by index, each with its reason.
    using Failures = QMap<int, QString>;

    int count = 0;                                // number of items
    std::function<bool()> before;                 // false: work no item (after still runs)
    // Per-item work: "" when done, else why the item was not changed. A
    // failed item gets no afterProgress (the library is not told about a
    // file that did not change); the run goes on.
    std::function<QString(int index)> work;
    std::function<void(int index)> afterProgress; // e.g. the library refresh
    std::function<void()> after;                  // after the last item
    // The items' work is independent of their order and safe on any thread:
    // when nobody follows the progress, a long run works them side by side.
    bool sideBySide = false;
};

namespace RunLoop {
// Works the steps on the calling thread: before, each item's work and
// afterProgress, after. progress(index, worked) is called for each item
// before its work (worked false) and after it (worked true). A stop request
// ends the run after the item in hand (with sideBySide and no progress,
// after the items in hand; afterProgress then follows in item order). A step that throws fails its item
// ("unexpected error") and the run goes on. Library refreshes asked for by
// afterProgress are all answered, or timed out, before this returns.
RunSteps::Failures run(const RunSteps &steps, const StopFlag &stop,
                       const std::function<void(int index, bool worked)> &progress = {});
} // namespace RunLoop
