#include "tracks/library/BusNameWatch.h"

#include "tracks/library/BusCall.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QHash>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <memory>

namespace {
constexpr int queryTimeoutMs = 5000;

std::atomic<quint64> g_changes{1};

struct NameState
{
    std::atomic<int> owned{-1}; // -1 not subscribed yet, 0 no owner, 1 owned
    std::atomic<quint64> instance{0}; // see ownerInstance(); 0 while owned != 1
    quint64 owners = 0; // owners seen; watch thread only

    void setOwned(bool isOwned)
    {
        // The instance first: whoever sees the name owned sees its instance.
        instance.store(isOwned ? ++owners : 0);
        owned.store(isOwned ? 1 : 0);
        ++g_changes;
    }
};

// The thread that receives NameOwnerChanged. Its hub object and the watchers
// under it live and die in this thread.
class WatchThread : public QThread
{
public:
    WatchThread() : hub(new QObject) { hub->moveToThread(this); }
    QObject *hub;

protected:
    void run() override
    {
        exec();
        delete hub;
        hub = nullptr;
    }
};

// Process-wide by necessity (see BusNameWatch.h); every access holds mutex.
struct Registry
{
    QMutex mutex;
    WatchThread *thread = nullptr;
    bool stopped = false;
    QHash<QString, std::shared_ptr<NameState>> names;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

void stopWatch()
{
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    r.stopped = true;
    r.names.clear();
    ++g_changes;
    if (r.thread) {
        r.thread->quit();
        r.thread->wait();
        delete r.thread;
        r.thread = nullptr;
    }
}

// Runs in the watch thread. Subscribing first and asking second, on the
// connection that carries the subscription, means no change can fall between
// the two: the bus handles one connection's messages in order, so every
// change after the answer comes as a signal behind it, applied in order.
// (Asked on another connection, the answer could predate a change whose
// signal was already lost.)
void subscribe(QObject *hub, const QString &service, const std::shared_ptr<NameState> &state)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    auto *watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, hub);
    QObject::connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, watcher,
                     [state](const QString &, const QString &, const QString &newOwner) {
                         state->setOwned(!newOwner.isEmpty());
                     });
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << service;
    const QDBusReply<bool> owned = bus.call(ask, QDBus::Block, queryTimeoutMs);
    state->setOwned(owned.isValid() && owned.value());
}
} // namespace

bool BusNameWatch::queryHasOwner(const QString &service)
{
    BusCall call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner");
    call << service;
    return call.call(queryTimeoutMs) && call.boolResult().value_or(false);
}

std::optional<bool> BusNameWatch::hasOwner(const QString &service)
{
    if (!QCoreApplication::instance())
        return std::nullopt;
    Registry &r = registry();
    QMutexLocker lock(&r.mutex);
    if (r.stopped)
        return std::nullopt;
    const auto known = r.names.constFind(service);
    if (known != r.names.cend()) {
        const int owned = (*known)->owned.load();
        return owned < 0 ? std::nullopt : std::optional<bool>(owned == 1);
    }
    if (!r.thread) {
        r.thread = new WatchThread;
        r.thread->setObjectName(QStringLiteral("bus name watch"));
        r.thread->start();
        // Stops the thread while the application object (and with it the bus
        // connection) still exists.
        qAddPostRoutine(stopWatch);
    }
    auto state = std::make_shared<NameState>();
    r.names.insert(service, state);
    QObject *hub = r.thread->hub;
    QMetaObject::invokeMethod(hub, [hub, service, state] { subscribe(hub, service, state); }, Qt::QueuedConnection);
    return std::nullopt;
}

quint64 BusNameWatch::changes()
{
    return g_changes.load();
}

quint64 BusNameWatch::ownerInstance(const QString &service)
{
    if (hasOwner(service).value_or(false)) {
        Registry &r = registry();
        QMutexLocker lock(&r.mutex);
        const auto known = r.names.constFind(service);
        if (known != r.names.cend())
            return (*known)->instance.load();
    }
    return 0;
}
