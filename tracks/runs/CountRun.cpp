#include "tracks/runs/CountRun.h"

#include "tracks/runs/CountWriter.h"
#include "tracks/runs/RunRecord.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace CountRun {

namespace {
// The policies are told apart by the property they write, compared as text:
// two copies of one literal need not share an address.
bool isRating(const CountPolicy &policy)
{
    return std::strcmp(policy.property, ratingPolicy.property) == 0;
}
} // namespace

QString toolName(const CountPolicy &policy)
{
    return isRating(policy) ? QStringLiteral("Rating") : QStringLiteral("Play Count");
}

qint32 planned(const Setting &s, const Item &item)
{
    return std::clamp(newValue(s.policy, s.mode, s.add, s.setCount, s.setCount2, item.current), s.policy.minimum,
                      s.policy.maximum);
}

RunSteps steps(const QList<Item> &items, const Setting &setting, const std::shared_ptr<Stored> &stored)
{
    *stored = Stored(items.size());
    auto writer = std::make_shared<std::unique_ptr<CountWriter>>();
    auto record = std::make_shared<qint64>(0);
    RunSteps steps;
    steps.count = int(items.size());
    // The journal learns each track's value and the value it will get
    // before the first write, so that the run can be taken back.
    steps.before = [=] {
        *writer = std::make_unique<CountWriter>(setting.policy);
        QList<RunJournal::Entry> entries;
        entries.reserve(items.size());
        for (const Item &item : items)
            entries.append({item.location.toString(QUrl::FullyEncoded), RunJournal::Value{item.current, 0},
                            RunJournal::Value{planned(setting, item), 0}});
        *record = RunRecord::begin(toolName(setting.policy),
                                   isRating(setting.policy) ? RunJournal::Kind::Rating : RunJournal::Kind::PlayCount, entries);
        return true;
    };
    steps.work = [=](int k) {
        (*writer)->write(items.at(k).location, planned(setting, items.at(k)),
                         [stored, k](std::optional<qint32> result) { (*stored)[k] = result; });
        return QString(); // the answer comes later; the run's end reads it
    };
    steps.after = [writer, record, stored] {
        if (*writer)
            (*writer)->finish();
        writer->reset();
        RunRecord::finish(*record, int(std::count_if(stored->cbegin(), stored->cend(),
                                                     [](const auto &v) { return v.has_value(); })));
    };
    return steps;
}

QString reasonNotStored()
{
    return ITunesApplication::iTunes().isRunning()
               ? QCoreApplication::translate("CountToolController", "The library did not store it")
               : QCoreApplication::translate("CountToolController", "The library is not running");
}

} // namespace CountRun
