#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <mutex>

// A request to stop a run, shared by the window that asks and the worker
// that obeys. The worker's waits end at once when the request comes, so a
// stopped run (or a program quitting during a run) never waits out a pause.
class StopFlag
{
public:
    void request();
    bool isRequested() const;
    // Waits until the moment (ms since the epoch, by the system clock) or
    // until a stop is requested; false when a stop was requested.
    bool sleepUntil(qint64 epochMs);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_requested = false;
};
