// The date rules of the Date Modified tool, without any window.
#include "ClockFace.h"
#include "ModificationDates.h"

#include <QTest>

#include <ctime>
#include <limits>

using namespace ModificationDates;

class ModificationDatesTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void composeTakesDayFromOneAndTimeFromTheOther();
    void composeAcrossSummerTime_data();
    void composeAcrossSummerTime();
    void shortcutsCutTheTime();
    void latestBirthTimeGivesTheBase();
    void trackNumberDatesInBothDirections();
    void datesPastTheEndOf32BitTime();
    void clockHandsCarryLikeAClock_data();
    void clockHandsCarryLikeAClock();
};

void ModificationDatesTest::initTestCase()
{
    // A zone with summer time, whatever the machine runs in.
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void ModificationDatesTest::composeTakesDayFromOneAndTimeFromTheOther()
{
    const QDateTime composed = compose(QDate(2013, 5, 1), QTime(23, 59, 59, 640));
    QCOMPARE(composed.date(), QDate(2013, 5, 1));
    QCOMPARE(composed.time(), QTime(23, 59, 59)); // no fraction of a second
    QCOMPARE(composed.toSecsSinceEpoch(), QDateTime(QDate(2013, 5, 1), QTime(21, 59, 59), Qt::UTC).toSecsSinceEpoch());
    QVERIFY(!compose(QDate(), QTime(1, 0)).isValid());
}

void ModificationDatesTest::composeAcrossSummerTime_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QDateTime>("utc");
    QTest::newRow("winter") << QDate(2024, 3, 30) << QTime(12, 0) << QDateTime(QDate(2024, 3, 30), QTime(11, 0), Qt::UTC);
    QTest::newRow("summer") << QDate(2024, 3, 31) << QTime(12, 0) << QDateTime(QDate(2024, 3, 31), QTime(10, 0), Qt::UTC);
    QTest::newRow("before the change") << QDate(2024, 3, 31) << QTime(1, 59, 59)
                                       << QDateTime(QDate(2024, 3, 31), QTime(0, 59, 59), Qt::UTC);
    // 02:30 does not exist on that day: it lands just after the change.
    QTest::newRow("skipped hour") << QDate(2024, 3, 31) << QTime(2, 30) << QDateTime(QDate(2024, 3, 31), QTime(1, 30), Qt::UTC);
    // 02:30 happens twice when summer time ends: the first one counts.
    QTest::newRow("repeated hour") << QDate(2024, 10, 27) << QTime(2, 30) << QDateTime(QDate(2024, 10, 27), QTime(0, 30), Qt::UTC);
    QTest::newRow("after the end") << QDate(2024, 10, 27) << QTime(3, 30) << QDateTime(QDate(2024, 10, 27), QTime(2, 30), Qt::UTC);
}

void ModificationDatesTest::composeAcrossSummerTime()
{
    QFETCH(QDate, day);
    QFETCH(QTime, time);
    QFETCH(QDateTime, utc);
    const QDateTime composed = compose(day, time);
    QVERIFY(composed.isValid());
    QCOMPARE(composed.toSecsSinceEpoch(), utc.toSecsSinceEpoch());
}

void ModificationDatesTest::shortcutsCutTheTime()
{
    const QTime t(14, 37, 52, 300);
    QCOMPARE(fullHour(t), QTime(14, 0, 0));
    QCOMPARE(fullHour(fullHour(t)), QTime(14, 0, 0));
    QCOMPARE(fullMinute(t), QTime(14, 37, 0));
    QCOMPARE(fullMinute(fullMinute(t)), QTime(14, 37, 0));
}

void ModificationDatesTest::latestBirthTimeGivesTheBase()
{
    const FileTime early{1364810000, 0};
    const FileTime late{1364810400, 700'000'000}; // 2013-04-01 10:00:00.7 UTC
    const FileTime lateButEarlierFraction{1364810400, 100'000'000};
    QCOMPARE(latest({early, std::nullopt, late, lateButEarlierFraction}), std::optional(late));
    QCOMPARE(latest({std::nullopt, early}), std::optional(early));
    QCOMPARE(baseSeconds(latest({early, late})), qint64(1364810400)); // cut toward zero

    // Without a single readable creation date the base is 1970 itself.
    QCOMPARE(latest({std::nullopt, std::nullopt}), std::optional<FileTime>());
    QCOMPARE(baseSeconds(latest({})), qint64(0));
    // Before 1970 a fraction is cut toward zero too: -0.5 s gives 0, -1.25 s gives -1.
    QCOMPARE(baseSeconds(FileTime{-1, 500'000'000}), qint64(0));
    QCOMPARE(baseSeconds(FileTime{-2, 750'000'000}), qint64(-1));
}

void ModificationDatesTest::trackNumberDatesInBothDirections()
{
    const qint64 base = 1364810400;
    // First track newest: base + 3, + 2, + 1.
    QCOMPARE(trackNumberSeconds(base, 3, 0, true), base + 3);
    QCOMPARE(trackNumberSeconds(base, 3, 1, true), base + 2);
    QCOMPARE(trackNumberSeconds(base, 3, 2, true), base + 1);
    // First track oldest: base, + 1, + 2.
    QCOMPARE(trackNumberSeconds(base, 3, 0, false), base);
    QCOMPARE(trackNumberSeconds(base, 3, 2, false), base + 2);
    // One track.
    QCOMPARE(trackNumberSeconds(base, 1, 0, true), base + 1);
    QCOMPARE(trackNumberSeconds(base, 1, 0, false), base);
    // No creation date: the dates sit at the start of 1970.
    QCOMPARE(trackNumberSeconds(0, 4, 0, true), qint64(4));
}

void ModificationDatesTest::datesPastTheEndOf32BitTime()
{
    const qint64 last32 = std::numeric_limits<qint32>::max(); // 2038-01-19 03:14:07 UTC
    const qint64 base = baseSeconds(FileTime{last32 - 1, 900'000'000});
    QCOMPARE(base, last32 - 1);
    QCOMPARE(trackNumberSeconds(base, 5, 0, true), last32 + 4);
    QCOMPARE(trackNumberSeconds(base, 5, 4, false), last32 + 3);
    for (int i = 0; i < 5; ++i)
        QVERIFY(trackNumberSeconds(base, 5, i, i % 2) > base - 1);
    const qint64 far = 4102444800; // 2100-01-01
    QCOMPARE(trackNumberSeconds(far, 2, 1, false), far + 1);
}

void ModificationDatesTest::clockHandsCarryLikeAClock_data()
{
    QTest::addColumn<QTime>("from");
    QTest::addColumn<int>("hand");
    QTest::addColumn<double>("degrees");
    QTest::addColumn<QTime>("to");
    const int hour = int(ClockFace::Hand::Hour), minute = int(ClockFace::Hand::Minute), second = int(ClockFace::Hand::Second);
    QTest::newRow("minute hand forward past twelve") << QTime(10, 58, 30) << minute << 6.0 << QTime(11, 1, 30);
    QTest::newRow("minute hand back past twelve") << QTime(11, 1, 30) << minute << 354.0 << QTime(10, 59, 30);
    QTest::newRow("minute hand over midnight") << QTime(23, 59, 0) << minute << 0.0 << QTime(0, 0, 0);
    QTest::newRow("second hand carries the minute") << QTime(8, 15, 58) << second << 12.0 << QTime(8, 16, 2);
    QTest::newRow("hour hand keeps the afternoon") << QTime(14, 37, 52) << hour << 270.0 << QTime(21, 37, 52);
    QTest::newRow("hour hand keeps the morning") << QTime(2, 5, 0) << hour << 0.0 << QTime(0, 5, 0);
    QTest::newRow("negative angle") << QTime(9, 30, 0) << minute << -90.0 << QTime(9, 45, 0);
}

void ModificationDatesTest::clockHandsCarryLikeAClock()
{
    QFETCH(QTime, from);
    QFETCH(int, hand);
    QFETCH(double, degrees);
    QFETCH(QTime, to);
    QCOMPARE(ClockFace::turnHand(from, ClockFace::Hand(hand), degrees), to);
}

QTEST_GUILESS_MAIN(ModificationDatesTest)
#include "tst_modificationdates.moc"
