#pragma once

#include "tracks/journal/RunJournal.h"
#include "tracks/runs/RunSteps.h"
#include "tracks/runs/Undo.h"

#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>

// Taking one run of the journal back, free of any window: each item that
// still holds what the run wrote gets back what it held before; an item
// changed since is left alone and reported. The undo is a run of its own in
// the journal, so it can be taken back too ("Undo …" taken back is "Redo …").
namespace UndoPlan {
struct Report
{
    QString tool;          // the run taken back
    int restored = 0;      // items given back their earlier value
    QStringList leftAlone; // items changed since the run, by name
    QStringList failed;    // items that could not be restored: "name: reason"
    bool found = true;     // false: the journal has no such run, or it cannot be undone
};

// One item of the run as it stands now.
struct Item
{
    QUrl target;
    std::optional<RunJournal::Value> now; // none: cannot be read
    RunJournal::Value wrote;              // what the run gave it
    std::optional<RunJournal::Value> before; // what it held before the run
    Undo::State state = Undo::State::ChangedSince;
};

struct Plan
{
    qint64 run = 0;
    std::optional<RunJournal::Run> taken; // none: no such run
    QList<RunJournal::Entry> entries;
    QList<Item> items;                    // filled by examine()
    qint64 record = 0;
    int restored = 0;
    bool undoable() const { return taken && taken->undoable(); }
};

// The run and its entries from the journal.
std::shared_ptr<Plan> load(qint64 run);
// Reads each item's value now and decides what becomes of it (one or two
// library calls per count or rating).
void examine(Plan &plan);
// "Undo Set Modification Date", or "Redo …" for an undo taken back.
QString undoName(const QString &tool);
// The steps: examine and journal before the first item, restore each item
// to take back, have the library read each restored file again.
RunSteps steps(const std::shared_ptr<Plan> &plan);
Report report(const Plan &plan, const RunSteps::Failures &failed);
// The report as a person reads it.
QString describe(const Report &report);
} // namespace UndoPlan
