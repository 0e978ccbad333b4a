#pragma once

#include "tracks/journal/RunJournal.h"

#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
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
    ~PlanInParts(); // waits for the writer
    PlanInParts(const PlanInParts &) = delete;
    PlanInParts &operator=(const PlanInParts &) = delete;

    // Returns once the entry of the item is in the journal, or the journal
    // gave up. Any thread.
    void waitFor(qsizetype item);
    // Waits for the whole plan; the run's id in the journal, 0 when it is not there.
    qint64 run();

    static constexpr qsizetype partSize = 512;

private:
    void write(const QString &tool, RunJournal::Kind kind);
    void recorded(qsizetype through);

    QList<RunJournal::Entry> m_entries;
    std::atomic<qsizetype> m_through{0}; // items [0, m_through) may change
    std::mutex m_mutex;
    std::condition_variable m_advanced;
    qint64 m_run = 0;
    std::thread m_writer;
};
