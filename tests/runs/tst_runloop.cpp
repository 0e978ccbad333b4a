// A run's loop: each item worked once, failures by index, afterProgress in
// item order on the calling thread, a stop honoured; one by one while the
// progress is followed, side by side when it is not and the items allow it.
#include "tracks/runs/PlanInParts.h"
#include "tracks/runs/RunSteps.h"
#include "tracks/runs/StopFlag.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

class RunLoopTest : public QObject
{
    Q_OBJECT

private slots:
    void itemsOneByOneOrSideBySide()
    {
        constexpr int count = 3000;
        const std::thread::id caller = std::this_thread::get_id();
        std::vector<std::atomic<int>> visits(count);
        std::mutex lock;
        std::condition_variable joined;
        std::set<std::thread::id> threads;
        // The first item waits (boundedly) for a second thread, so that a
        // thread that would take every item alone cannot hide a loop that
        // never shares them out.
        bool awaitSecond = std::thread::hardware_concurrency() > 1;
        QList<int> told;
        QList<std::thread::id> tellers;
        StopFlag stop;
        RunSteps steps;
        steps.count = count;
        steps.sideBySide = true;
        steps.work = [&](int i) -> QString {
            ++visits[i];
            {
                std::unique_lock<std::mutex> hold(lock);
                threads.insert(std::this_thread::get_id());
                joined.notify_all();
                if (i == 0 && awaitSecond)
                    joined.wait_for(hold, std::chrono::seconds(20), [&threads] { return threads.size() > 1; });
            }
            if (i == 1234)
                throw std::runtime_error("lost");
            return i % 1000 == 7 ? QStringLiteral("refused %1").arg(i) : QString();
        };
        steps.afterProgress = [&](int i) {
            told.append(i);
            tellers.append(std::this_thread::get_id());
        };
        const auto expectEachOnce = [&](const RunSteps::Failures &failed) {
            QCOMPARE(failed.keys(), (QList<int>{7, 1007, 1234, 2007}));
            QCOMPARE(failed.value(1007), QStringLiteral("refused 1007"));
            QCOMPARE(failed.value(1234), QStringLiteral("unexpected error"));
            QCOMPARE(told.size(), count - 4);
            QVERIFY(std::is_sorted(told.cbegin(), told.cend()));
            QVERIFY(std::none_of(told.cbegin(), told.cend(), [&](int i) { return failed.contains(i); }));
            QVERIFY(std::all_of(tellers.cbegin(), tellers.cend(), [caller](std::thread::id id) { return id == caller; }));
            for (const std::atomic<int> &seen : visits)
                QCOMPARE(seen.load(), 1);
        };

        // Nobody follows the progress: side by side, on more than one thread
        // where there is more than one core.
        expectEachOnce(RunLoop::run(steps, stop));
        QVERIFY(!awaitSecond || threads.size() > 1);

        // Progress followed: one by one, in order, on the calling thread.
        awaitSecond = false;
        std::fill(visits.begin(), visits.end(), 0);
        threads.clear();
        told.clear();
        tellers.clear();
        QList<int> shown;
        expectEachOnce(RunLoop::run(steps, stop, [&shown](int i, bool worked) {
            if (worked)
                shown.append(i);
        }));
        QCOMPARE(threads, std::set<std::thread::id>{caller});
        QCOMPARE(shown.size(), count);
        QVERIFY(std::is_sorted(shown.cbegin(), shown.cend()));
    }

    // A stop during a side-by-side run: the items in hand end, no other
    // starts; each item reached is worked or failed, none twice.
    void aStopEndsTheItemsInHand()
    {
        constexpr int count = 4000;
        std::vector<std::atomic<int>> visits(count);
        StopFlag stop;
        QList<int> told;
        RunSteps steps;
        steps.count = count;
        steps.sideBySide = true;
        steps.work = [&](int i) {
            ++visits[i];
            if (i == 10)
                stop.request();
            return i % 2 ? QStringLiteral("odd") : QString();
        };
        steps.afterProgress = [&told](int i) { told.append(i); };
        const RunSteps::Failures failed = RunLoop::run(steps, stop);
        int reached = 0;
        for (int i = 0; i < count; ++i) {
            QVERIFY(visits[i] <= 1);
            reached += visits[i];
            if (visits[i])
                QVERIFY(i % 2 ? failed.contains(i) && !told.contains(i) : told.contains(i) && !failed.contains(i));
        }
        QCOMPARE(told.size() + failed.size(), reached);
        QVERIFY(reached < count);
    }

    // A long plan goes into the journal in parts: each item's entry is
    // there once the item may change, and the whole plan lands in order,
    // without the items that have no entry. Without a journal nothing waits.
    void aLongPlanIsJournalledAheadOfEachItem()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        qputenv("MELVORA_JOURNAL", QFile::encodeName(dir.filePath(QStringLiteral("journal.sqlite"))));
        const auto reset = qScopeGuard([] { qunsetenv("MELVORA_JOURNAL"); });
        constexpr int count = 3 * int(PlanInParts::partSize) + 100;
        QList<RunJournal::Entry> entries;
        for (int i = 0; i < count; ++i)
            entries.append({i % 7 == 3 ? QString() : QStringLiteral("file:///m/%1.mp3").arg(i), RunJournal::Value{i, 0}, RunJournal::Value{i + 1, 5}});

        PlanInParts plan(QStringLiteral("Sort"), RunJournal::Kind::ModificationTime, entries);
        RunJournal reader;
        QVERIFY(reader.open());
        for (const int i : {0, int(PlanInParts::partSize), 2 * int(PlanInParts::partSize) + 2, count - 1}) {
            plan.waitFor(i);
            const QList<RunJournal::Run> runs = reader.runs();
            QCOMPARE(runs.size(), 1);
            QStringList in;
            for (const RunJournal::Entry &e : reader.entries(runs.first().id))
                in.append(e.target);
            QVERIFY2(in.contains(entries.at(i).target), qPrintable(entries.at(i).target));
        }
        const qint64 id = plan.finish(int(entries.size()) - 7);
        QVERIFY(id > 0);
        QCOMPARE(reader.run(id)->changed, int(entries.size()) - 7);
        entries.removeIf([](const RunJournal::Entry &e) { return e.target.isEmpty(); });
        const QList<RunJournal::Entry> stored = reader.entries(id);
        QCOMPARE(stored.size(), entries.size());
        QCOMPARE(reader.run(id)->items, entries.size());
        for (qsizetype i = 0; i < stored.size(); ++i) {
            QCOMPARE(stored.at(i).target, entries.at(i).target);
            QVERIFY(stored.at(i).before == entries.at(i).before && stored.at(i).after == entries.at(i).after);
        }

        qputenv("MELVORA_JOURNAL", "off");
        PlanInParts unrecorded(QStringLiteral("Sort"), RunJournal::Kind::ModificationTime, entries);
        unrecorded.waitFor(entries.size() - 1);
        QCOMPARE(unrecorded.finish(1), 0);
    }
};

QTEST_GUILESS_MAIN(RunLoopTest)
#include "tst_runloop.moc"
