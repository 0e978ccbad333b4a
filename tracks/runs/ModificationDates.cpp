#include "tracks/runs/ModificationDates.h"

namespace ModificationDates {

QDateTime compose(const QDate &day, const QTime &time)
{
    const QTime wholeSeconds(time.hour(), time.minute(), time.second());
    QDateTime moment(day, wholeSeconds, Qt::LocalTime);
    if (moment.isValid() || !day.isValid() || !time.isValid())
        return moment;
    // The wall-clock time does not exist on that day: read it with the
    // offset that held a day earlier, which is the offset before the change.
    const qint64 naive = QDateTime(day, wholeSeconds, Qt::UTC).toSecsSinceEpoch();
    const int offsetBefore = QDateTime::fromSecsSinceEpoch(naive - 86400, Qt::LocalTime).offsetFromUtc();
    return QDateTime::fromSecsSinceEpoch(naive - offsetBefore, Qt::LocalTime);
}

QTime fullHour(const QTime &time)
{
    return QTime(time.hour(), 0, 0);
}

QTime fullMinute(const QTime &time)
{
    return QTime(time.hour(), time.minute(), 0);
}

std::optional<FileTime> latest(const QList<std::optional<FileTime>> &dates)
{
    std::optional<FileTime> result;
    for (const std::optional<FileTime> &date : dates) {
        if (date && (!result || *date > *result))
            result = date;
    }
    return result;
}

qint64 baseSeconds(const std::optional<FileTime> &latestCreation)
{
    if (!latestCreation)
        return 0;
    // Before 1970 the seconds field is floored; a fraction then belongs to
    // the next whole second toward zero.
    if (latestCreation->seconds < 0 && latestCreation->nanoseconds > 0)
        return latestCreation->seconds + 1;
    return latestCreation->seconds;
}

qint64 trackNumberSeconds(qint64 base, qint64 count, qint64 index, bool firstGetsLatest)
{
    return base + (firstGetsLatest ? count - index : index);
}

} // namespace ModificationDates
