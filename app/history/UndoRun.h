#pragma once

#include "tracks/journal/RunJournal.h"

#include <QObject>
#include <QStringList>

#include <functional>

class BatchRun;
class QWidget;

// Takes one run of the journal back, under the progress sheet of a tool
// view: each item that still holds what the run wrote gets back what it held
// before; an item changed since is left alone and reported. The undo is a
// run of its own in the journal, so it can be taken back too.
namespace UndoRun {
struct Report
{
    QString tool;          // the run taken back
    int restored = 0;      // items given back their earlier value
    QStringList leftAlone; // items changed since the run, by name
    QStringList failed;    // items that could not be restored: "name: reason"
    bool found = true;     // false: the journal has no such run, or it cannot be undone
};

// Starts the undo of the run; done(report) follows on the main thread.
BatchRun *start(QWidget *toolView, qint64 run, std::function<void(const Report &)> done);
// The report as a person reads it.
QString describe(const Report &report);
} // namespace UndoRun
