// The pacing, the stop and the check of a Date Added run.

#include "tracks/runs/HandOver.h"
#include "tracks/runs/StopFlag.h"

#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <thread>

class HandOverTest : public QObject
{
    Q_OBJECT
private slots:
    void nextHandOverIsASecondLaterAndInALaterSecond()
    {
        // A quick add: one second after its start, which is a later second.
        QCOMPARE(HandOver::nextStart(10'200, 10'203), qint64(11'200));
        // An add that crossed into the next second: the one after that.
        QCOMPARE(HandOver::nextStart(10'999, 11'001), qint64(12'000));
        // A slow add: no extra second on top of the time it took.
        QCOMPARE(HandOver::nextStart(10'000, 10'700), qint64(11'000));
        QCOMPARE(HandOver::nextStart(10'000, 11'500), qint64(12'000));
    }

    // A program quitting during a run is not held up by a pause.
    void stopEndsAPauseAtOnce()
    {
        StopFlag flag;
        std::atomic<int> outcome = -1; // 2 while pausing, then 0 when stopped, 1 when slept out
        std::thread pause([&] {
            outcome = 2;
            outcome = flag.sleepUntil(QDateTime::currentMSecsSinceEpoch() + 60'000) ? 1 : 0;
        });
        const auto join = qScopeGuard([&] {
            flag.request();
            pause.join();
        });
        QTRY_COMPARE(outcome.load(), 2);
        flag.request();
        QTRY_COMPARE(outcome.load(), 0); // well before the minute is up
        QVERIFY(!flag.sleepUntil(0));
        StopFlag idle;
        QVERIFY(idle.sleepUntil(QDateTime::currentMSecsSinceEpoch() + 20));
    }

    void checkNamesEveryFileThatMissedItsPlace()
    {
        using Miss = HandOver::Miss;
        const auto at = [](qint64 ms) { return QDateTime::fromMSecsSinceEpoch(ms); };
        const QDateTime none;
        // After: a second apart, unchanged (held before), refused, the same
        // second as the one before, a second later, earlier.
        const QList<QDateTime> before{none, at(5'000), none, none, none, none};
        const QList<QDateTime> after{at(20'100), at(5'000), none, at(21'900), at(22'000), at(21'000)};
        // The refused and the held file do not move the bar the others must pass.
        QCOMPARE(HandOver::check(before, after),
                 (QList<Miss>{Miss::None, Miss::AlreadyHeld, Miss::NotTaken, Miss::None, Miss::None, Miss::NotLater}));
        QCOMPARE(HandOver::check({none, none}, {at(20'900), at(21'050)}), (QList<Miss>{Miss::None, Miss::None}));
        QCOMPARE(HandOver::check({none, none}, {at(20'100), at(20'900)}), (QList<Miss>{Miss::None, Miss::NotLater}));
    }
};

QTEST_GUILESS_MAIN(HandOverTest)
#include "tst_handover.moc"
