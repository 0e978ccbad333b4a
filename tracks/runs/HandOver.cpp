#include "tracks/runs/HandOver.h"

#include <limits>

namespace HandOver {

QList<int> order(int count, bool firstToLast)
{
    QList<int> indexes;
    indexes.reserve(std::max(count, 0));
    for (int k = 0; k < count; ++k)
        indexes.append(firstToLast ? k : count - 1 - k);
    return indexes;
}

int barValue(int index, int count, bool firstToLast)
{
    return firstToLast ? index : count - index;
}

qint64 nextStart(qint64 startMs, qint64 endMs)
{
    const qint64 nextWholeSecond = (endMs / 1000 + 1) * 1000;
    return std::max(startMs + 1000, nextWholeSecond);
}

QList<Miss> check(const QList<QDateTime> &before, const QList<QDateTime> &after)
{
    QList<Miss> misses;
    qint64 previousSecond = std::numeric_limits<qint64>::min();
    for (qsizetype k = 0; k < after.size(); ++k) {
        const QDateTime &added = after.at(k);
        const qint64 second = added.isValid() ? added.toSecsSinceEpoch() : previousSecond;
        Miss miss = Miss::None;
        if (!added.isValid())
            miss = Miss::NotTaken;
        else if (before.value(k).isValid() && before.value(k) == added)
            miss = Miss::AlreadyHeld;
        else if (second <= previousSecond)
            miss = Miss::NotLater;
        previousSecond = std::max(previousSecond, second);
        misses.append(miss);
    }
    return misses;
}

} // namespace HandOver
