#include "app/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {
constexpr const char *objectPath = "/Melvora";
}

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance()
{
    if (m_registered) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QLatin1String(objectPath));
        bus.unregisterService(QLatin1String(serviceName));
    }
}

bool SingleInstance::claim()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return true;
    bus.registerObject(QLatin1String(objectPath), this, QDBusConnection::ExportScriptableSlots);
    if (bus.registerService(QLatin1String(serviceName))) {
        m_registered = true;
        return true;
    }
    bus.unregisterObject(QLatin1String(objectPath));
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(serviceName), QLatin1String(objectPath),
                                                       QLatin1String("org.melvora.Melvora"),
                                                       QStringLiteral("activate"));
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    // When the other copy does not answer it is hung or going away: run anyway.
    return reply.type() == QDBusMessage::ErrorMessage;
}

void SingleInstance::activate()
{
    emit activated();
}
