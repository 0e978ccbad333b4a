#include "tracks/runs/PlanInParts.h"

#include <algorithm>

PlanInParts::PlanInParts(const QString &tool, RunJournal::Kind kind, QList<RunJournal::Entry> entries)
    : m_entries(std::move(entries))
{
    m_writer = std::thread([this, tool, kind] { write(tool, kind); });
}

PlanInParts::~PlanInParts()
{
    ended(std::nullopt);
}

void PlanInParts::write(const QString &tool, RunJournal::Kind kind)
{
    const qsizetype count = m_entries.size();
    const qsizetype items = std::count_if(m_entries.cbegin(), m_entries.cend(), [](const RunJournal::Entry &e) {
        return !e.target.isEmpty();
    });
    RunJournal journal;
    qint64 run = 0;
    qsizetype position = 0;
    if (journal.open()) {
        for (qsizetype from = 0; from < count; from += partSize) {
            const qsizetype to = std::min(count, from + partSize);
            QList<RunJournal::Entry> part;
            part.reserve(to - from);
            for (qsizetype i = from; i < to; ++i)
                if (!m_entries.at(i).target.isEmpty())
                    part.append(m_entries.at(i));
            const bool in = from == 0 ? (run = journal.beginInParts(tool, kind, part, items)) > 0
                                      : journal.addPart(run, part, position);
            if (!in) { // the items go on without the journal, and the run cannot be taken back
                journal.forget(run);
                run = 0;
                break;
            }
            position += part.size();
            recorded(to);
        }
    }
    // While the last items change, the plan moves into the database file,
    // which closing the connection after the run would otherwise do.
    if (run > 0)
        journal.checkpoint();
    std::unique_lock<std::mutex> hold(m_mutex);
    m_run = run;
    m_through.store(count, std::memory_order_release);
    m_advanced.notify_all();
    // The end of the run, told on this thread's connection: no second one to open.
    m_advanced.wait(hold, [this] { return m_ended; });
    if (run > 0 && m_changed)
        journal.finish(run, *m_changed);
}

void PlanInParts::recorded(qsizetype through)
{
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        m_through.store(through, std::memory_order_release);
    }
    m_advanced.notify_all();
}

void PlanInParts::waitFor(qsizetype item)
{
    if (m_through.load(std::memory_order_acquire) > item)
        return;
    std::unique_lock<std::mutex> hold(m_mutex);
    m_advanced.wait(hold, [this, item] { return m_through.load(std::memory_order_relaxed) > item; });
}

void PlanInParts::ended(std::optional<int> changed)
{
    {
        const std::lock_guard<std::mutex> hold(m_mutex);
        if (!m_ended) {
            m_ended = true;
            m_changed = changed;
        }
    }
    m_advanced.notify_all();
    if (m_writer.joinable())
        m_writer.join();
}

qint64 PlanInParts::finish(int changed)
{
    ended(changed);
    return m_run;
}
