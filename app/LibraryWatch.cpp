#include "app/LibraryWatch.h"

#include <QMetaObject>

#include <chrono>

LibraryWatch::LibraryWatch(std::function<bool()> isRunning, std::function<void(bool)> show,
                           const std::atomic_bool &alertShown, QObject *parent)
    : QObject(parent), m_isRunning(std::move(isRunning)), m_show(std::move(show)), m_alertShown(alertShown)
{
}

LibraryWatch::~LibraryWatch()
{
    stop();
}

std::optional<bool> LibraryWatch::decide(bool running, bool alertShown)
{
    if (running && alertShown)
        return false;
    if (!running && !alertShown)
        return true;
    return std::nullopt;
}

void LibraryWatch::start()
{
    if (isActive())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    // A plain thread body: the watch needs no event loop of its own.
    m_thread.reset(QThread::create([this] { loop(); }));
    m_thread->setObjectName(QStringLiteral("library watch"));
    m_thread->start();
}

void LibraryWatch::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_thread)
        m_thread->wait();
}

void LibraryWatch::loop()
{
    for (;;) {
        const bool running = m_isRunning();
        if (const std::optional<bool> show = decide(running, m_alertShown.load())) {
            const bool value = *show;
            QMetaObject::invokeMethod(this, [this, value] { m_show(value); }, Qt::QueuedConnection);
        }
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(pollIntervalMs), [this] { return m_stopping; }))
            break;
    }
}
