#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <QEventLoop>

#include <algorithm>
#include <functional>

// The longest time the main thread went without serving a 1-ms timer: how
// long the window would have stood still for a user.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_clock.nsecsElapsed());
            m_clock.restart();
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    // The longest stall in milliseconds.
    double stop()
    {
        m_longest = std::max(m_longest, m_clock.nsecsElapsed());
        m_timer.stop();
        return double(m_longest) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

struct RunTiming
{
    double seconds = -1;
    double maxStallMs = -1;
};

// Calls start (a click on Set) and waits, ten minutes at most, for the
// sender's finished signal: how long that took, and how long the main thread
// stood still meanwhile.
template<typename Sender, typename Signal>
RunTiming timeUntil(Sender *sender, Signal finished, const std::function<void()> &start)
{
    QEventLoop loop;
    QObject::connect(sender, finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(600'000, &loop, &QEventLoop::quit);
    StallMeter stalls;
    QElapsedTimer clock;
    stalls.start();
    clock.start();
    start();
    loop.exec();
    RunTiming timing;
    timing.seconds = double(clock.nsecsElapsed()) / 1e9;
    timing.maxStallMs = stalls.stop();
    return timing;
}
