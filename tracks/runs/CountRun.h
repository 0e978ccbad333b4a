#pragma once

#include "tracks/runs/CountPolicy.h"
#include "tracks/runs/RunSteps.h"

#include <QList>
#include <QUrl>

#include <memory>
#include <optional>

// A Play Count or Rating run, free of any window: the sheet and the command
// line run the same steps. The plan goes into the journal before the first
// write; each track's new value is written through the library and read
// back (see CountWriter).
namespace CountRun {
struct Item
{
    QUrl location;
    qint32 current = 0; // the value the library holds, in its own units
};

struct Setting
{
    CountPolicy policy = playCountPolicy;
    CountMode mode = CountMode::Set;
    bool add = true;
    qint32 setCount = 0;
    qint32 setCount2 = 0;
};

// The run's name in the journal ("Play Count", "Rating").
QString toolName(const CountPolicy &policy);
// The value the item will get, within the policy's range.
qint32 planned(const Setting &setting, const Item &item);

// What the library stored for each item once the run has ended; none where
// nothing was written.
using Stored = QList<std::optional<qint32>>;
RunSteps steps(const QList<Item> &items, const Setting &setting, const std::shared_ptr<Stored> &stored);
// Why the library stored nothing for an item: whether it runs, asked now.
QString reasonNotStored();
} // namespace CountRun
