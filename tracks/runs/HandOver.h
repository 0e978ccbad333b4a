#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// The rules of a Date Added run: files are handed to the library one at a
// time, first to last or last to first, each at least a second after the
// one before and in a later whole second than the one before ended, so the
// library (which keeps dates added to the second) gives them dates added in
// that order. Afterwards the dates the library holds are checked.
namespace HandOver {

// The list indexes in the order they are handed over.
QList<int> order(int count, bool firstToLast);

// The progress bar's value posted before the file at `index` is handed
// over: the index going first to last, count - index going last to first.
int barValue(int index, int count, bool firstToLast);

// The earliest moment (ms since the epoch) the next file may be handed over,
// after one handed over from `startMs` to `endMs`.
qint64 nextStart(qint64 startMs, qint64 endMs);

// Why a handed-over file did not get its place; None when it did.
enum class Miss { None, NotTaken, AlreadyHeld, NotLater };

// Which files missed their place, from what the library held for each file
// in hand-over order before it was handed over and afterwards (a date
// added; invalid when it held no track for the file). A file missed its
// place when the library took no track for it, when its date added did not
// change (the library held it already), or when its date added is not in a
// later whole second than that of the file handed over before it.
QList<Miss> check(const QList<QDateTime> &before, const QList<QDateTime> &after);

} // namespace HandOver
