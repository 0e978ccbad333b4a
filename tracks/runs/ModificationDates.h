#pragma once

#include "tracks/files/FileDates.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QTime>

#include <optional>

// The date rules of the Date Modified tool, free of any window: composing a
// day and a time into one moment, the time shortcuts, and the consecutive
// dates of an album sorted by track number.
namespace ModificationDates {

// The moment that the day and the time of day name in the Gregorian calendar
// and the system time zone, in whole seconds. A time that the clocks skip
// (the hour lost when summer time starts) is read with the offset in force
// before the change, so it lands just after it; a time that happens twice
// gives the first of the two.
QDateTime compose(const QDate &day, const QTime &time);

QTime fullHour(const QTime &time);   // hh:mm:ss -> hh:00:00
QTime fullMinute(const QTime &time); // hh:mm:ss -> hh:mm:00

// The latest of the given birth times; a tie keeps the earlier one. None when
// no date is known.
std::optional<FileTime> latest(const QList<std::optional<FileTime>> &dates);

// Whole seconds since 1970 of a moment, cut toward zero; 0 for none.
qint64 baseSeconds(const std::optional<FileTime> &latestCreation);

// The new date, in seconds since 1970, of track `index` of `count` when an
// album's dates run one second apart from `base`. With firstGetsLatest the
// first track gets base + count and the last base + 1; otherwise the first
// gets base and the last base + count - 1. Computed in 64 bits so that a base
// near the end of 32-bit time gives later dates, never earlier ones.
qint64 trackNumberSeconds(qint64 base, qint64 count, qint64 index, bool firstGetsLatest);

} // namespace ModificationDates
