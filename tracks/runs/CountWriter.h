#pragma once

#include "tracks/library/ITunesApplication.h"
#include "tracks/library/ITunesCallWindow.h"
#include "tracks/runs/CountPolicy.h"

#include <QUrl>

#include <functional>
#include <optional>

// Writes a Play Count or Rating run into the library, one call per track
// (found or added, written, read again, shown), with several calls on the
// way at once. Made, used and destroyed on the run's worker thread.
//
// Every write reports what the library stored, or nullopt when nothing was
// written: the track has no usable location, the library does not run, it
// refused the file, or it stopped answering (the run then makes no more
// calls; see ITunesCallWindow). Reports come on the worker thread in the
// order of the writes, by finish() at the latest.
class CountWriter
{
public:
    using Done = std::function<void(std::optional<qint32> stored)>;

    // Calls on the way at once: enough to keep the library busy while the
    // answers travel back, few enough that a stop waits for little.
    static constexpr int callsOnTheWay = 16;

    explicit CountWriter(const CountPolicy &policy, ITunesApplication library = ITunesApplication::iTunes());
    ~CountWriter();
    CountWriter(const CountWriter &) = delete;
    CountWriter &operator=(const CountWriter &) = delete;

    // value is held within the policy's range before it is sent.
    void write(const QUrl &location, qint32 value, Done done);
    // Waits for every write's answer (each bounded by the library's timeout).
    void finish();

private:
    CountPolicy m_policy;
    ITunesApplication m_library;
    ITunesCallWindow m_window;
};
