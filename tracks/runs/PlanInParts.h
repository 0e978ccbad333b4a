#pragma once

#include "tracks/journal/RunJournal.h"

#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// A long run's plan goes into the journal in parts, on a thread of its own,
// while the run changes the items whose parts are in already: the first
// item need not wait for the last entry. An item changes only after its
// entry is in the journal, as with a plan written whole. A journal that
// fails costs the run its undo, not its items.
class PlanInParts
{
public:
    // One entry per item; an empty target where the item has none.
    PlanInParts(const QString &tool, RunJournal::Kind kind, QList<RunJournal::Entry> entries);
    // Without finish() the run stays in the journal as one that never
    // ended, as a killed run does. Waits for the writer.
    ~PlanInParts();
    PlanInParts(const PlanInParts &) = delete;
    PlanInParts &operator=(const PlanInParts &) = delete;

    // Returns once the entry of the item is in the journal, or the journal
    // gave up. Any thread.
    void waitFor(qsizetype item);
    // Records how many items changed, on the writer's own connection; the
    // run's id in the journal, 0 when it is not there.
    qint64 finish(int changed);

    static constexpr qsizetype partSize = 512;

private:
    void write(const QString &tool, RunJournal::Kind kind);
    void recorded(qsizetype through);
    void ended(std::optional<int> changed);

    QList<RunJournal::Entry> m_entries;
    std::atomic<qsizetype> m_through{0}; // items [0, m_through) may change
    std::mutex m_mutex;
    std::condition_variable m_advanced;
    qint64 m_run = 0;
    bool m_ended = false;
    std::optional<int> m_changed; // set when the run ended; none: it did not
    std::thread m_writer;
};
