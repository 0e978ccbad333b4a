#pragma once

#include "tracks/runs/UndoPlan.h"

#include <functional>

class BatchRun;
class QWidget;

// Takes one run of the journal back (see UndoPlan) under the progress sheet
// of a tool view.
namespace UndoRun {
using Report = UndoPlan::Report;

// Starts the undo of the run; done(report) follows on the main thread.
BatchRun *start(QWidget *toolView, qint64 run, std::function<void(const Report &)> done);
inline QString describe(const Report &report)
{
    return UndoPlan::describe(report);
}
} // namespace UndoRun
