// The date rules of the Date Modified tool, without any window.
#include "tools/modification/ClockFace.h"
#include "tracks/runs/ModificationDates.h"

#include <QTest>

#include <ctime>
#include <limits>
#include <tuple>

using namespace ModificationDates;

class ModificationDatesTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // A zone with summer time, whatever the machine runs in.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void composeInLocalTime()
    {
        // A day, a time of day, and the same moment's time of day in UTC.
        const std::tuple<QDate, QTime, QTime> cases[] = {
            {{2013, 5, 1}, {23, 59, 59, 640}, {21, 59, 59}}, // summer; the fraction of a second is dropped
            {{2024, 3, 31}, {2, 30}, {1, 30}},               // does not exist that day: lands just after the change
            {{2024, 10, 27}, {2, 30}, {0, 30}},              // happens twice when summer time ends: the first one counts
            {{2024, 10, 27}, {3, 30}, {2, 30}},              // winter
        };
        for (const auto &[day, time, utc] : cases)
            QCOMPARE(compose(day, time).toMSecsSinceEpoch(), QDateTime(day, utc, Qt::UTC).toMSecsSinceEpoch());
    }

    void trackNumberBaseAndDates()
    {
        const FileTime early{1364810000, 0};
        const FileTime late{1364810400, 700'000'000}; // 2013-04-01 10:00:00.7 UTC
        QCOMPARE(latest({early, std::nullopt, late, FileTime{1364810400, 100'000'000}}), std::optional(late));
        QCOMPARE(baseSeconds(latest({std::nullopt, late})), qint64(1364810400)); // cut toward zero
        // Without a single readable creation date the base is 1970 itself.
        QCOMPARE(baseSeconds(latest({std::nullopt, std::nullopt})), qint64(0));
        // Before 1970 a fraction is cut toward zero too: -0.5 s gives 0, -1.25 s gives -1.
        QCOMPARE(baseSeconds(FileTime{-1, 500'000'000}), qint64(0));
        QCOMPARE(baseSeconds(FileTime{-2, 750'000'000}), qint64(-1));

        // The dates from a base past the end of 32-bit time go on, never wrap to before 1970.
        const qint64 last32 = std::numeric_limits<qint32>::max(); // 2038-01-19 03:14:07 UTC
        QCOMPARE(trackNumberSeconds(last32 - 1, 5, 0, true), last32 + 4);
        QCOMPARE(trackNumberSeconds(last32 - 1, 5, 4, false), last32 + 3);
    }

    void clockHandsCarryLikeAClock()
    {
        using H = ClockFace::Hand;
        // From, the hand turned, its new angle in degrees, to.
        const std::tuple<QTime, H, double, QTime> cases[] = {
            {{10, 58, 30}, H::Minute, 6.0, {11, 1, 30}},   // forward past twelve
            {{11, 1, 30}, H::Minute, 354.0, {10, 59, 30}}, // back past twelve
            {{23, 59, 0}, H::Minute, 0.0, {0, 0, 0}},      // over midnight
            {{8, 15, 58}, H::Second, 12.0, {8, 16, 2}},    // the second hand carries the minute
            {{14, 37, 52}, H::Hour, 270.0, {21, 37, 52}},  // the hour hand keeps the afternoon
            {{9, 30, 0}, H::Minute, -90.0, {9, 45, 0}},    // a negative angle
        };
        for (const auto &[from, hand, degrees, to] : cases)
            QCOMPARE(ClockFace::turnHand(from, hand, degrees), to);
    }
};

QTEST_GUILESS_MAIN(ModificationDatesTest)
#include "tst_modificationdates.moc"
