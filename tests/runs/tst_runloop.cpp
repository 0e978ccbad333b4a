// A run's loop: each item worked once, failures by index, afterProgress in
// item order on the calling thread, a stop honoured; one by one while the
// progress is followed, side by side when it is not and the items allow it.
#include "tracks/runs/RunSteps.h"
#include "tracks/runs/StopFlag.h"

#include <QTest>

#include <algorithm>
#include <atomic>
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
        std::set<std::thread::id> threads;
        QList<int> told;
        QList<std::thread::id> tellers;
        StopFlag stop;
        RunSteps steps;
        steps.count = count;
        steps.sideBySide = true;
        steps.work = [&](int i) -> QString {
            ++visits[i];
            {
                const std::lock_guard<std::mutex> hold(lock);
                threads.insert(std::this_thread::get_id());
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
        QVERIFY(std::thread::hardware_concurrency() < 2 || threads.size() > 1);

        // Progress followed: one by one, in order, on the calling thread.
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
};

QTEST_GUILESS_MAIN(RunLoopTest)
#include "tst_runloop.moc"
