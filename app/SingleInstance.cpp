#include "app/SingleInstance.h"

#include "app/common/FileNames.h"

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

bool SingleInstance::claim(const QList<QUrl> &files)
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
                                                       files.isEmpty() ? QStringLiteral("activate") : QStringLiteral("open"));
    if (!files.isEmpty()) {
        QStringList urls;
        for (const QUrl &file : files)
            urls.append(QString::fromLatin1(file.toEncoded()));
        call << urls;
    }
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    // When the other copy does not answer it is hung or going away: run anyway.
    return reply.type() == QDBusMessage::ErrorMessage;
}

void SingleInstance::activate()
{
    emit activated();
}

void SingleInstance::open(const QStringList &urls)
{
    QList<QUrl> files;
    for (const QString &url : urls) {
        // Spelled the one way every list spells a file; anything else is no file.
        const QByteArray path = FileNames::pathOf(QUrl::fromEncoded(url.toLatin1(), QUrl::StrictMode));
        if (!path.isEmpty())
            files.append(FileNames::urlOf(path));
    }
    emit activated();
    if (!files.isEmpty())
        emit filesOpened(files);
}
