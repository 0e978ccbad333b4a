#include "tracks/runs/StopFlag.h"

#include <QDateTime>

#include <chrono>

void StopFlag::request()
{
    {
        std::lock_guard lock(m_mutex);
        m_requested = true;
    }
    m_changed.notify_all();
}

bool StopFlag::isRequested() const
{
    std::lock_guard lock(m_mutex);
    return m_requested;
}

bool StopFlag::sleepUntil(qint64 epochMs)
{
    std::unique_lock lock(m_mutex);
    // Short waits, each measured against the clock afresh: the moment is a
    // wall-clock one, and a wait may wake early.
    while (!m_requested) {
        const qint64 left = epochMs - QDateTime::currentMSecsSinceEpoch();
        if (left <= 0)
            return true;
        m_changed.wait_for(lock, std::chrono::milliseconds(std::min<qint64>(left, 50)));
    }
    return false;
}
