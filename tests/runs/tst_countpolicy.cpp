// The values a Play Count or Rating run writes, from the user's choice and
// what each track holds.

#include "tracks/runs/CountPolicy.h"
#include "tracks/runs/CountRun.h"

#include <QTest>

Q_DECLARE_METATYPE(const CountPolicy *)
Q_DECLARE_METATYPE(CountMode)

class CountPolicyTest : public QObject
{
    Q_OBJECT

private slots:
    void newValueStaysInBoundsWithoutWrapping_data()
    {
        QTest::addColumn<const CountPolicy *>("policy");
        QTest::addColumn<CountMode>("mode");
        QTest::addColumn<bool>("add");
        QTest::addColumn<qint32>("setCount");
        QTest::addColumn<qint32>("setCount2");
        QTest::addColumn<qint32>("current");
        QTest::addColumn<qint32>("expected");

        constexpr qint32 max = 2147483647;
        const CountPolicy *plays = &playCountPolicy;
        const CountPolicy *stars = &ratingPolicy;
        const auto set = CountMode::Set;
        const auto move = CountMode::AddOrSubtract;
        auto row = [](const char *name, const CountPolicy *policy, CountMode mode, bool add, qint32 setCount,
                      qint32 setCount2, qint32 current, qint32 expected) {
            QTest::newRow(name) << policy << mode << add << setCount << setCount2 << current << expected;
        };
        // Set ignores what the track holds and the other amount.
        row("plays set", plays, set, true, 12, 99, 500, 12);
        row("plays set negative", plays, set, true, -4, 0, 9, 0);
        row("plays set largest", plays, set, true, max, 0, 0, max);
        row("stars set", stars, set, true, 3, 1, 0, 60);
        row("stars set past five", stars, set, true, 6, 0, 0, 100);
        row("stars set huge", stars, set, true, max, 0, 0, 100); // × 20 passes 32 bits
        row("stars set negative", stars, set, true, -1, 0, 40, 0);
        // Add or subtract moves each track's own value.
        row("plays add", plays, move, true, 0, 3, 10, 13);
        row("plays subtract", plays, move, false, 0, 3, 10, 7);
        row("plays subtract below zero", plays, move, false, 0, 11, 10, 0);
        row("plays add zero keeps", plays, move, true, 7, 0, 42, 42);
        row("plays add stops at the top", plays, move, true, 0, 10, max - 3, max);
        row("plays add largest to largest", plays, move, true, 0, max, max, max);
        row("plays subtract largest", plays, move, false, 0, max, max - 1, 0);
        row("stars add one to 50", stars, move, true, 0, 1, 50, 70);
        row("stars subtract three from 50", stars, move, false, 0, 3, 50, 0);
        row("stars add two to 80", stars, move, true, 0, 2, 80, 100);
        row("stars add zero keeps", stars, move, true, 4, 0, 50, 50);
        row("stars add huge", stars, move, true, 0, max, 20, 100);
        row("stars subtract huge", stars, move, false, 0, max, 100, 0);
    }

    void newValueStaysInBoundsWithoutWrapping()
    {
        QFETCH(const CountPolicy *, policy);
        QFETCH(CountMode, mode);
        QFETCH(bool, add);
        QFETCH(qint32, setCount);
        QFETCH(qint32, setCount2);
        QFETCH(qint32, current);
        QFETCH(qint32, expected);
        QCOMPARE(newValue(*policy, mode, add, setCount, setCount2, current), expected);
    }

    void aPolicyIsKnownByWhatItWritesNotWhereItLives()
    {
        // A policy copied from text elsewhere (another library, a setting)
        // holds its property at another address: it is still a Rating.
        const QByteArray rating(ratingPolicy.property), plays(playCountPolicy.property);
        CountPolicy copy = ratingPolicy;
        copy.property = rating.constData();
        QCOMPARE(CountRun::toolName(copy), QStringLiteral("Rating"));
        copy.property = plays.constData();
        QCOMPARE(CountRun::toolName(copy), QStringLiteral("Play Count"));
    }
};

QTEST_GUILESS_MAIN(CountPolicyTest)
#include "tst_countpolicy.moc"
