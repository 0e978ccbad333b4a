// The values a Play Count or Rating run writes, from the user's choice and
// what each track holds.
#include "tracks/runs/CountPolicy.h"
#include "tracks/runs/CountRun.h"

#include <QTest>

class CountPolicyTest : public QObject
{
    Q_OBJECT

private slots:
    void newValueStaysInBoundsWithoutWrapping()
    {
        constexpr qint32 max = 2147483647;
        const CountPolicy *plays = &playCountPolicy;
        const CountPolicy *stars = &ratingPolicy;
        const auto set = CountMode::Set;
        const auto move = CountMode::AddOrSubtract;
        struct Case
        {
            const char *name;
            const CountPolicy *policy;
            CountMode mode;
            bool add;
            qint32 setCount, setCount2, current, expected;
        };
        const Case cases[]{
            // Set ignores what the track holds and the other amount.
            {"plays set", plays, set, true, 12, 99, 500, 12},
            {"plays set negative", plays, set, true, -4, 0, 9, 0},
            {"plays set largest", plays, set, true, max, 0, 0, max},
            {"stars set", stars, set, true, 3, 1, 0, 60},
            {"stars set past five", stars, set, true, 6, 0, 0, 100},
            {"stars set huge", stars, set, true, max, 0, 0, 100}, // × 20 passes 32 bits
            {"stars set negative", stars, set, true, -1, 0, 40, 0},
            // Add or subtract moves each track's own value.
            {"plays add", plays, move, true, 0, 3, 10, 13},
            {"plays subtract", plays, move, false, 0, 3, 10, 7},
            {"plays subtract below zero", plays, move, false, 0, 11, 10, 0},
            {"plays add zero keeps", plays, move, true, 7, 0, 42, 42},
            {"plays add stops at the top", plays, move, true, 0, 10, max - 3, max},
            {"plays add largest to largest", plays, move, true, 0, max, max, max},
            {"stars add one to 50", stars, move, true, 0, 1, 50, 70},
            {"stars subtract three from 50", stars, move, false, 0, 3, 50, 0},
            {"stars add two to 80", stars, move, true, 0, 2, 80, 100},
            {"stars add zero keeps", stars, move, true, 4, 0, 50, 50},
            {"stars add huge", stars, move, true, 0, max, 20, 100},
            {"stars subtract huge", stars, move, false, 0, max, 100, 0},
        };
        for (const Case &c : cases) {
            const qint32 got = newValue(*c.policy, c.mode, c.add, c.setCount, c.setCount2, c.current);
            QVERIFY2(got == c.expected, qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(c.name)).arg(got)));
        }
    }

    // A policy copied from text elsewhere holds its property at another
    // address: it is still known by what it writes.
    void aPolicyIsKnownByWhatItWritesNotWhereItLives()
    {
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
