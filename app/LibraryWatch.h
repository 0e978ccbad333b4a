#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <mutex>
#include <condition_variable>
#include <memory>
#include <optional>

// Polls, on a thread of its own, whether the music library is running, and
// asks the main thread to show or take down the "library required" alert when
// that changes. The alert flag is written only on the main thread.
class LibraryWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int pollIntervalMs = 2000;

    // `isRunning` is asked on the watch thread; `show` runs on the main thread.
    LibraryWatch(std::function<bool()> isRunning, std::function<void(bool show)> show,
                 const std::atomic_bool &alertShown, QObject *parent = nullptr);
    ~LibraryWatch() override;

    void start();
    // Wakes the thread out of its sleep and waits for it to end.
    void stop();
    bool isActive() const { return m_thread && m_thread->isRunning(); }

    // What one poll posts: show (true), take down (false) or nothing.
    static std::optional<bool> decide(bool running, bool alertShown);

private:
    void loop();

    std::function<bool()> m_isRunning;
    std::function<void(bool)> m_show;
    const std::atomic_bool &m_alertShown;
    std::unique_ptr<QThread> m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
};
