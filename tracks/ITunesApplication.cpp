#include "ITunesApplication.h"
#include "BusNameWatch.h"
#include "LibraryProtocol.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace {
QDBusMessage callLibrary(const QString &service, const char *method, const QVariantList &arguments = {})
{
    LibraryProtocol::registerTypes();
    QDBusMessage message = QDBusMessage::createMethodCall(service, QString::fromLatin1(LibraryProtocol::objectPath),
                                                          QString::fromLatin1(LibraryProtocol::interfaceName),
                                                          QString::fromLatin1(method));
    message.setArguments(arguments);
    // A plain call to an activatable name would start the library; only
    // run() may do that.
    message.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, ITunesApplication::callTimeoutMs);
}

// The first answer value, or an invalid QVariant when the call failed.
QVariant firstResult(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst();
}

QList<QVariantMap> recordList(const QDBusMessage &reply)
{
    const QVariant value = firstResult(reply);
    if (!value.canConvert<QDBusArgument>())
        return {};
    return qdbus_cast<QList<QVariantMap>>(value.value<QDBusArgument>());
}

ITunesTrack::Properties propertiesOf(const QVariantMap &record)
{
    using namespace LibraryProtocol;
    ITunesTrack::Properties p;
    p.name = record.value(Key::name).toString();
    p.artist = record.value(Key::artist).toString();
    p.location = QUrl(record.value(Key::location).toString());
    p.playedCount = record.value(Key::playedCount).toInt();
    p.rating = record.value(Key::rating).toInt();
    p.dateAdded = QDateTime::fromMSecsSinceEpoch(record.value(Key::dateAdded).toLongLong());
    p.dateModified = QDateTime::fromMSecsSinceEpoch(record.value(Key::dateModified).toLongLong());
    return p;
}

QString libraryProgram()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/music-library");
    const QFileInfo info(beside);
    if (info.isFile() && info.isExecutable())
        return beside;
    return QStandardPaths::findExecutable(QStringLiteral("music-library"));
}
} // namespace

// ITunesTrack

ITunesTrack::ITunesTrack(QString service, qint64 persistentId) : m_service(std::move(service)), m_id(persistentId)
{
}

ITunesTrack::Properties ITunesTrack::fetch() const
{
    if (m_cache)
        return *m_cache;
    if (!isValid())
        return {};
    const QList<QVariantMap> records = recordList(callLibrary(m_service, "Tracks", {QVariant::fromValue(QList<qlonglong>{m_id})}));
    return records.isEmpty() ? Properties() : propertiesOf(records.constFirst());
}

QString ITunesTrack::name() const { return fetch().name; }
QString ITunesTrack::artist() const { return fetch().artist; }
QUrl ITunesTrack::location() const { return fetch().location; }
int ITunesTrack::playedCount() const { return fetch().playedCount; }
int ITunesTrack::rating() const { return fetch().rating; }
QDateTime ITunesTrack::dateAdded() const { return fetch().dateAdded; }
QDateTime ITunesTrack::dateModified() const { return fetch().dateModified; }

void ITunesTrack::setPlayedCount(int count)
{
    if (!isValid())
        return;
    const QVariant stored = firstResult(callLibrary(m_service, "SetPlayedCount", {m_id, count}));
    if (m_cache && stored.isValid() && stored.toInt() >= 0)
        m_cache->playedCount = stored.toInt();
    else if (m_cache)
        m_cache.reset(); // unknown outcome: ask again next time
}

void ITunesTrack::setRating(int rating)
{
    if (!isValid())
        return;
    const QVariant stored = firstResult(callLibrary(m_service, "SetRating", {m_id, rating}));
    if (m_cache && stored.isValid() && stored.toInt() >= 0)
        m_cache->rating = stored.toInt();
    else if (m_cache)
        m_cache.reset();
}

void ITunesTrack::refresh()
{
    if (!isValid())
        return;
    callLibrary(m_service, "Refresh", {m_id});
    m_cache.reset();
}

void ITunesTrack::reveal()
{
    if (isValid())
        callLibrary(m_service, "Reveal", {m_id});
}

void ITunesTrack::setFetchedProperties(const Properties &properties)
{
    m_cache = std::make_shared<Properties>(properties);
}

// ITunesSelection

QList<ITunesTrack> ITunesSelection::get() const
{
    QList<ITunesTrack> tracks;
    const QList<QVariantMap> records = recordList(callLibrary(m_service, "SelectedTracks"));
    tracks.reserve(records.size());
    for (const QVariantMap &record : records) {
        const qint64 id = record.value(QString::fromLatin1(LibraryProtocol::Key::id)).toLongLong();
        if (id <= 0)
            continue;
        ITunesTrack track(m_service, id);
        track.setFetchedProperties(propertiesOf(record));
        tracks.append(track);
    }
    return tracks;
}

// ITunesApplication

ITunesApplication ITunesApplication::applicationWithBundleIdentifier(const QString &bundleIdentifier)
{
    return ITunesApplication(bundleIdentifier);
}

bool ITunesApplication::isRunning() const
{
    // Without a bus connection the watched state is stale; nothing runs for us.
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    if (const auto owned = BusNameWatch::hasOwner(m_service))
        return *owned;
    return BusNameWatch::queryHasOwner(m_service);
}

bool ITunesApplication::run() const
{
    if (BusNameWatch::queryHasOwner(m_service))
        return true;
    const QString program = libraryProgram();
    if (program.isEmpty() || !QProcess::startDetached(program, {}))
        return false;
    const QDeadlineTimer deadline(launchTimeoutMs);
    while (!deadline.hasExpired()) {
        if (BusNameWatch::queryHasOwner(m_service))
            return true;
        QThread::msleep(20);
    }
    return false;
}

ITunesSelection ITunesApplication::selection() const
{
    return ITunesSelection(m_service);
}

ITunesTrack ITunesApplication::add(const QList<QUrl> &files, const QString &to) const
{
    QStringList urls;
    urls.reserve(files.size());
    for (const QUrl &file : files)
        urls.append(file.toString(QUrl::FullyEncoded));
    const QVariant id = firstResult(callLibrary(m_service, "Add", {urls, to}));
    if (!id.isValid() || id.toLongLong() <= 0)
        return {};
    return ITunesTrack(m_service, id.toLongLong());
}
