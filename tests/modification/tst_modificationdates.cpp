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
    void initTestCase()
    {
        // A zone with summer time, whatever the machine runs in.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void compose_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QDateTime>("utc");
        const auto utc = [](int y, int m, int d, const QTime &t) { return QDateTime(QDate(y, m, d), t, Qt::UTC); };
        // The fraction of a second is dropped.
        QTest::newRow("summer, fraction") << QDate(2013, 5, 1) << QTime(23, 59, 59, 640) << utc(2013, 5, 1, QTime(21, 59, 59));
        QTest::newRow("before the change") << QDate(2024, 3, 31) << QTime(1, 59, 59) << utc(2024, 3, 31, QTime(0, 59, 59));
        // 02:30 does not exist on that day: it lands just after the change.
        QTest::newRow("skipped hour") << QDate(2024, 3, 31) << QTime(2, 30) << utc(2024, 3, 31, QTime(1, 30));
        // 02:30 happens twice when summer time ends: the first one counts.
        QTest::newRow("repeated hour") << QDate(2024, 10, 27) << QTime(2, 30) << utc(2024, 10, 27, QTime(0, 30));
        QTest::newRow("after the end") << QDate(2024, 10, 27) << QTime(3, 30) << utc(2024, 10, 27, QTime(2, 30));
    }

    void compose()
    {
        QFETCH(QDate, day);
        QFETCH(QTime, time);
        QFETCH(QDateTime, utc);
        QCOMPARE(ModificationDates::compose(day, time).toMSecsSinceEpoch(), utc.toMSecsSinceEpoch());
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
        // No creation date: the dates sit at the start of 1970.
        QCOMPARE(trackNumberSeconds(0, 4, 0, true), qint64(4));
    }

    void clockHandsCarryLikeAClock_data()
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
        QTest::newRow("negative angle") << QTime(9, 30, 0) << minute << -90.0 << QTime(9, 45, 0);
    }

    void clockHandsCarryLikeAClock()
    {
        QFETCH(QTime, from);
        QFETCH(int, hand);
        QFETCH(double, degrees);
        QFETCH(QTime, to);
        QCOMPARE(ClockFace::turnHand(from, ClockFace::Hand(hand), degrees), to);
    }
};

QTEST_GUILESS_MAIN(ModificationDatesTest)
#include "tst_modificationdates.moc"
