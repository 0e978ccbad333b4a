#include "library/LibraryScripting.h"

#include "library/MusicLibrary.h"
#include "library/TrackStore.h"
#include "libraryadaptor.h"
#include "protocol/LibraryProtocol.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>
#include <QUrl>

LibraryScripting::LibraryScripting(MusicLibrary *library, QObject *parent) : QObject(parent), m_library(library)
{
    LibraryProtocol::registerTypes();
    new LibraryAdaptor(this);
}

bool LibraryScripting::publish(QString *error)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("no session bus: %1").arg(bus.lastError().message());
        return false;
    }
    // The object goes up before the name, so that nobody who sees the name
    // owned can reach a library without its interface.
    if (!bus.registerObject(QString::fromLatin1(LibraryProtocol::objectPath), this,
                            QDBusConnection::ExportAdaptors)) {
        *error = QStringLiteral("cannot publish the library object");
        return false;
    }
    const auto reply = bus.interface()->registerService(QString::fromLatin1(LibraryProtocol::serviceName),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        *error = QStringLiteral("another library already owns %1").arg(QLatin1String(LibraryProtocol::serviceName));
        bus.unregisterObject(QString::fromLatin1(LibraryProtocol::objectPath));
        return false;
    }
    return true;
}

QList<QVariantMap> LibraryScripting::recordMaps(const QList<qint64> &ids) const
{
    QList<QVariantMap> maps;
    const QList<TrackRecord> records = m_library->records(ids);
    maps.reserve(records.size());
    for (const TrackRecord &r : records)
        maps.append(r.toVariantMap());
    return maps;
}

QList<qlonglong> LibraryScripting::Selection()
{
    const QList<qint64> ids = m_library->selection();
    return {ids.begin(), ids.end()};
}

QList<QVariantMap> LibraryScripting::SelectedTracks()
{
    return recordMaps(m_library->selection());
}

QList<qlonglong> LibraryScripting::SelectedTrackColumns(QStringList &names, QStringList &artists, QStringList &locations,
                                                       QList<int> &playedCounts, QList<int> &ratings,
                                                       QList<qlonglong> &datesAdded, QList<qlonglong> &datesModified)
{
    const QList<TrackRecord> records = m_library->records(m_library->selection());
    QList<qlonglong> ids;
    for (auto *column : {&ids, &datesAdded, &datesModified})
        column->reserve(records.size());
    for (auto *column : {&names, &artists, &locations})
        column->reserve(records.size());
    for (const TrackRecord &r : records) {
        ids.append(r.id);
        names.append(r.name);
        artists.append(r.artist);
        locations.append(r.location);
        playedCounts.append(r.playedCount);
        ratings.append(r.rating);
        datesAdded.append(r.dateAdded);
        datesModified.append(r.dateModified);
    }
    return ids;
}

QList<QVariantMap> LibraryScripting::Tracks(const QList<qlonglong> &ids)
{
    return recordMaps({ids.begin(), ids.end()});
}

QList<QVariantMap> LibraryScripting::AllTracks()
{
    QList<QVariantMap> maps;
    const QList<TrackRecord> &tracks = m_library->store()->tracks();
    maps.reserve(tracks.size());
    for (const TrackRecord &r : tracks)
        maps.append(r.toVariantMap());
    return maps;
}

qlonglong LibraryScripting::TrackOfFile(const QString &file, qlonglong &dateAdded)
{
    const qint64 id = m_library->trackIdOf(QUrl(file));
    const TrackRecord *record = id ? m_library->store()->track(id) : nullptr;
    dateAdded = record ? record->dateAdded : 0;
    return record ? id : 0;
}

qlonglong LibraryScripting::Add(const QStringList &files, const QString &playlist)
{
    Q_UNUSED(playlist) // the library has no playlists besides itself
    qint64 first = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const qint64 id = m_library->addFile(QUrl(files.at(i)));
        if (i == 0)
            first = id;
    }
    return first;
}

int LibraryScripting::SetPlayedCount(qlonglong id, int count)
{
    return m_library->setPlayedCount(id, count);
}

int LibraryScripting::SetRating(qlonglong id, int rating)
{
    return m_library->setRating(id, rating);
}

bool LibraryScripting::Refresh(qlonglong id)
{
    return m_library->refresh(id);
}

bool LibraryScripting::Reveal(qlonglong id)
{
    return m_library->reveal(id);
}

qlonglong LibraryScripting::AddRefreshReveal(const QString &file)
{
    return m_library->addRefreshReveal(QUrl(file));
}

qlonglong LibraryScripting::AddSetRefreshReveal(const QString &file, const QString &property, int value, int &stored)
{
    const auto written = m_library->addSetRefreshReveal(QUrl(file), property, value);
    stored = written.stored;
    return written.id;
}

void LibraryScripting::SetSelection(const QList<qlonglong> &ids)
{
    m_library->setSelection({ids.begin(), ids.end()});
}

void LibraryScripting::Quit()
{
    // Quit after the answer has gone out, so the caller is not left waiting.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}
