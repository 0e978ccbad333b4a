#include "tracks/library/ITunesApplication.h"

#include "protocol/LibraryProtocol.h"
#include "tracks/library/BusNameWatch.h"
#include "tracks/library/LibraryCall.h"
#include "tracks/library/Rhythmbox.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace {
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

bool isRhythmbox(const QString &service)
{
    return service == QLatin1String(Rhythmbox::service);
}

QString libraryProgram(const QString &service)
{
    if (isRhythmbox(service))
        return QStandardPaths::findExecutable(QStringLiteral("rhythmbox"));
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

ITunesTrack ITunesTrack::locatedAt(QString service, qint64 persistentId, QString uri)
{
    ITunesTrack track(std::move(service), persistentId);
    track.m_uri = std::move(uri);
    return track;
}

ITunesTrack::Properties ITunesTrack::fetch() const
{
    if (m_cache)
        return *m_cache;
    if (!isValid())
        return {};
    if (isRhythmbox(m_service)) {
        const std::optional<Rhythmbox::Entry> entry = Rhythmbox::entry(m_uri);
        return entry ? entry->properties : Properties();
    }
    const auto call = LibraryCall::make(m_service, "Tracks");
    *call << QList<qint64>{m_id};
    if (!call->call(ITunesApplication::callTimeoutMs))
        return {};
    const QList<QVariantMap> records = call->recordsResult();
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
    store("SetPlayedCount", QStringLiteral("playedCount"), count, &Properties::playedCount);
}

void ITunesTrack::setRating(int rating)
{
    store("SetRating", QStringLiteral("rating"), rating, &Properties::rating);
}

void ITunesTrack::store(const char *method, const QString &property, int value, int Properties::*field)
{
    if (!isValid())
        return;
    std::optional<qint64> stored;
    if (isRhythmbox(m_service)) {
        if (const auto entry = Rhythmbox::written(m_uri, property, value))
            stored = Rhythmbox::storedValueOf(property, *entry);
    } else {
        const auto call = LibraryCall::make(m_service, method);
        *call << m_id << value;
        if (call->call(ITunesApplication::callTimeoutMs))
            stored = call->intResult();
    }
    if (m_cache && stored && *stored >= 0)
        (*m_cache).*field = int(*stored);
    else if (m_cache)
        m_cache.reset(); // unknown outcome: ask again next time
}

QDateTime ITunesTrack::setDateAdded(const QDateTime &date)
{
    if (!isValid() || !isRhythmbox(m_service) || !date.isValid())
        return {};
    const auto entry = Rhythmbox::written(m_uri, QStringLiteral("dateAdded"), date.toSecsSinceEpoch());
    m_cache.reset();
    return entry ? entry->properties.dateAdded : QDateTime();
}

void ITunesTrack::refresh()
{
    if (!isValid())
        return;
    m_cache.reset();
    if (isRhythmbox(m_service)) {
        Rhythmbox::refresh(m_uri);
        return;
    }
    const auto call = LibraryCall::make(m_service, "Refresh");
    *call << m_id;
    call->call(ITunesApplication::callTimeoutMs);
    m_cache.reset();
}

void ITunesTrack::reveal()
{
    if (!isValid())
        return;
    if (isRhythmbox(m_service)) {
        Rhythmbox::reveal(m_uri);
        return;
    }
    const auto call = LibraryCall::make(m_service, "Reveal");
    *call << m_id;
    call->call(ITunesApplication::callTimeoutMs);
}

void ITunesTrack::setFetchedProperties(const Properties &properties)
{
    m_cache = properties;
}

// ITunesSelection

QList<ITunesTrack> ITunesSelection::get() const
{
    if (isRhythmbox(m_service)) {
        QList<ITunesTrack> tracks;
        for (const Rhythmbox::Entry &entry : Rhythmbox::selected()) {
            ITunesTrack track = ITunesTrack::locatedAt(m_service, entry.id, entry.uri);
            track.setFetchedProperties(entry.properties);
            tracks.append(track);
        }
        return tracks;
    }
    // One array per field: thousands of selected tracks travel and read in
    // a fraction of the time their records would.
    const auto call = LibraryCall::make(m_service, "SelectedTrackColumns");
    if (!call->call(ITunesApplication::callTimeoutMs))
        return {};
    const QList<qint64> ids = call->int64ArrayResult(0);
    const QStringList names = call->stringArrayResult(1);
    const QStringList artists = call->stringArrayResult(2);
    const QStringList locations = call->stringArrayResult(3);
    const QList<int> plays = call->intArrayResult(4);
    const QList<int> ratings = call->intArrayResult(5);
    const QList<qint64> added = call->int64ArrayResult(6);
    const QList<qint64> modified = call->int64ArrayResult(7);
    const qsizetype count = ids.size();
    for (qsizetype size : {names.size(), artists.size(), locations.size(), plays.size(), ratings.size(), added.size(),
                           modified.size()})
        if (size != count)
            return {}; // not an answer this client understands
    QList<ITunesTrack> tracks;
    tracks.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        if (ids.at(i) <= 0)
            continue;
        ITunesTrack track(m_service, ids.at(i));
        track.setFetchedProperties({names.at(i), artists.at(i), QUrl(locations.at(i)), plays.at(i), ratings.at(i),
                                    QDateTime::fromMSecsSinceEpoch(added.at(i)),
                                    QDateTime::fromMSecsSinceEpoch(modified.at(i))});
        tracks.append(track);
    }
    return tracks;
}

// ITunesApplication

ITunesApplication ITunesApplication::applicationWithBundleIdentifier(const QString &bundleIdentifier)
{
    return ITunesApplication(bundleIdentifier);
}

ITunesApplication ITunesApplication::iTunes()
{
    // The running library is the one used; ours first, should both run.
    for (const char *service : {LibraryProtocol::serviceName, Rhythmbox::service}) {
        const ITunesApplication library{QString::fromLatin1(service)};
        if (library.isRunning())
            return library;
    }
    return ITunesApplication(preferredService());
}

void ITunesApplication::watch()
{
    for (const char *service : {LibraryProtocol::serviceName, Rhythmbox::service})
        BusNameWatch::hasOwner(QString::fromLatin1(service));
}

QString ITunesApplication::preferredService()
{
    return qEnvironmentVariable("MELVORA_LIBRARY").compare(u"rhythmbox", Qt::CaseInsensitive) == 0
               ? QString::fromLatin1(Rhythmbox::service)
               : QString::fromLatin1(LibraryProtocol::serviceName);
}

QString ITunesApplication::displayName() const
{
    return isRhythmbox(m_service) ? Rhythmbox::displayName() : QStringLiteral("iTunes");
}

bool ITunesApplication::setsDateAdded() const
{
    return isRhythmbox(m_service);
}

bool ITunesApplication::savesOnQuit() const
{
    return isRhythmbox(m_service);
}

bool ITunesApplication::save() const
{
    return !isRhythmbox(m_service) || Rhythmbox::save();
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
    const QString program = libraryProgram(m_service);
    if (program.isEmpty() || !QProcess::startDetached(program, {}))
        return false;
    // Rhythmbox reads its whole database before it takes its name.
    const QDeadlineTimer deadline(isRhythmbox(m_service) ? 6 * launchTimeoutMs : launchTimeoutMs);
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
    if (isRhythmbox(m_service)) {
        ITunesTrack first;
        for (const QUrl &file : files) {
            const std::optional<Rhythmbox::Entry> entry = Rhythmbox::added(file);
            if (!first.isValid() && file == files.constFirst() && entry)
                first = ITunesTrack::locatedAt(m_service, entry->id, entry->uri);
        }
        return first;
    }
    QStringList urls;
    urls.reserve(files.size());
    for (const QUrl &file : files)
        urls.append(LibraryCall::fileArgument(file));
    const auto call = LibraryCall::make(m_service, "Add");
    *call << urls << to;
    const std::optional<qint64> id = call->call(callTimeoutMs) ? call->int64Result() : std::nullopt;
    if (!id || *id <= 0)
        return {};
    return ITunesTrack(m_service, *id);
}

std::optional<ITunesApplication::HeldTrack> ITunesApplication::trackOfFile(const QUrl &file) const
{
    if (isRhythmbox(m_service)) {
        const QString uri = Rhythmbox::storedUri(file);
        const std::optional<Rhythmbox::Entry> entry = uri.isEmpty() ? Rhythmbox::Entry{} : Rhythmbox::entry(uri);
        if (!entry)
            return std::nullopt;
        if (entry->id <= 0)
            return HeldTrack{};
        ITunesTrack track = ITunesTrack::locatedAt(m_service, entry->id, entry->uri);
        track.setFetchedProperties(entry->properties);
        return HeldTrack{track, entry->properties.dateAdded};
    }
    const auto call = LibraryCall::make(m_service, "TrackOfFile");
    *call << LibraryCall::fileArgument(file);
    if (!call->call(callTimeoutMs))
        return std::nullopt;
    const qint64 id = call->int64Result(0).value_or(-1);
    const qint64 added = call->int64Result(1).value_or(-1);
    if (id < 0 || added < 0)
        return std::nullopt;
    if (id == 0)
        return HeldTrack{};
    return HeldTrack{ITunesTrack(m_service, id), QDateTime::fromMSecsSinceEpoch(added)};
}

ITunesTrack ITunesApplication::addRefreshReveal(const QUrl &file) const
{
    if (isRhythmbox(m_service)) {
        // Files Rhythmbox does not hold are left out of it, as in a run.
        const QString uri = Rhythmbox::storedUri(file);
        const std::optional<Rhythmbox::Entry> entry = uri.isEmpty() ? std::nullopt : Rhythmbox::entry(uri);
        if (!entry || entry->id <= 0)
            return {};
        Rhythmbox::setEntry(entry->uri, Rhythmbox::modificationValues(file))->call(callTimeoutMs);
        Rhythmbox::reveal(entry->uri);
        return ITunesTrack::locatedAt(m_service, entry->id, entry->uri);
    }
    const auto call = LibraryCall::make(m_service, "AddRefreshReveal");
    *call << LibraryCall::fileArgument(file);
    const std::optional<qint64> id = call->call(callTimeoutMs) ? call->int64Result() : std::nullopt;
    if (!id || *id <= 0)
        return {};
    return ITunesTrack(m_service, *id);
}

ITunesApplication::StoredValue ITunesApplication::addSetRefreshReveal(const QUrl &file, const QString &property, int value) const
{
    if (isRhythmbox(m_service)) {
        const std::optional<Rhythmbox::Entry> entry = Rhythmbox::added(file);
        const std::optional<Rhythmbox::Entry> after = entry ? Rhythmbox::written(entry->uri, property, value) : std::nullopt;
        if (!after)
            return {};
        Rhythmbox::reveal(after->uri);
        const std::optional<qint64> stored = Rhythmbox::storedValueOf(property, *after);
        return {ITunesTrack::locatedAt(m_service, after->id, after->uri), stored ? std::optional<int>(int(*stored)) : std::nullopt};
    }
    const auto call = LibraryCall::addSetRefreshReveal(m_service, file, property, value);
    if (!call->call(callTimeoutMs))
        return {};
    const std::optional<qint64> id = call->int64Result(0);
    const std::optional<int> stored = LibraryCall::storedValue(*call);
    return {id && *id > 0 && stored ? ITunesTrack(m_service, *id) : ITunesTrack(), stored};
}
