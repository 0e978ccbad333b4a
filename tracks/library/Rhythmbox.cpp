#include "tracks/library/Rhythmbox.h"

#include "app/common/FileNames.h"
#include "tracks/library/BusCall.h"
#include "tracks/library/BusValues.h"

#include <QDeadlineTimer>
#include <QThread>

#include <cmath>
#include <limits>

#include <sys/stat.h>
#include <deque>

namespace Rhythmbox {

namespace {
constexpr const char *databasePath = "/org/gnome/Rhythmbox3/RhythmDB";
constexpr const char *databaseInterface = "org.gnome.Rhythmbox3.RhythmDB";
constexpr const char *pluginPath = "/org/melvora/Rhythmbox";
constexpr const char *pluginInterface = "org.melvora.Rhythmbox";
// Calls on the way at once when many entries are read.
constexpr int readsOnTheWay = 32;
// How often an import, or a write not yet applied, is looked for.
constexpr int importPollMs = 25;
// How long a write may take to show after Rhythmbox has answered it.
constexpr int writeSettleMs = 2000;

bool keptRaw(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
           || std::strchr("-._~!$&'()*+,=:@/", c) != nullptr;
}

qint64 number(const QVariantMap &values, const char *key)
{
    return values.value(QLatin1String(key)).toLongLong();
}
} // namespace

QString displayName()
{
    return QStringLiteral("Rhythmbox");
}

QString storedUri(const QUrl &file)
{
    const QByteArray path = FileNames::pathOf(file);
    if (path.isEmpty())
        return {};
    static const char hex[] = "0123456789ABCDEF";
    QString uri = QStringLiteral("file://");
    uri.reserve(7 + path.size() * 3);
    for (const char byte : path) {
        const auto c = static_cast<unsigned char>(byte);
        if (c != 0 && keptRaw(c)) {
            uri += QLatin1Char(char(c));
        } else {
            uri += QLatin1Char('%');
            uri += QLatin1Char(hex[c >> 4]);
            uri += QLatin1Char(hex[c & 15]);
        }
    }
    return uri;
}

std::unique_ptr<BusCall> getEntry(const QString &uri)
{
    auto call = std::make_unique<BusCall>(service, databasePath, databaseInterface, "GetEntryProperties");
    *call << uri;
    return call;
}

std::unique_ptr<BusCall> setEntry(const QString &uri, const QVariantMap &values)
{
    auto call = std::make_unique<BusCall>(service, databasePath, databaseInterface, "SetEntryProperties");
    *call << uri;
    BusValues::appendDictionary(*call, values);
    return call;
}

std::unique_ptr<BusCall> loadUri(const QString &uri)
{
    auto call = std::make_unique<BusCall>(service, "/org/gnome/Rhythmbox3", "org.gtk.Actions", "Activate");
    *call << QStringLiteral("load-uri");
    BusValues::appendActionParameter(*call, uri, false);
    return call;
}

std::unique_ptr<BusCall> pluginCall(const char *method, const QString &uri)
{
    auto call = std::make_unique<BusCall>(service, pluginPath, pluginInterface, method);
    if (!uri.isEmpty())
        *call << uri;
    return call;
}

std::optional<Entry> entryOf(const BusCall &answered)
{
    const QVariantMap values = BusValues::dictionaryResult(answered);
    const QString media = values.value(QStringLiteral("media-type")).toString();
    // A file Rhythmbox could not import is kept as an entry of another kind:
    // never seen as a song, and not audio.
    if (values.isEmpty() || number(values, "first-seen") <= 0 || media.startsWith(QLatin1String("application/")))
        return std::nullopt;
    Entry entry;
    entry.id = number(values, "entry-id") + 1; // Rhythmbox counts from 0
    entry.uri = values.value(QStringLiteral("location")).toString();
    ITunesTrack::Properties &p = entry.properties;
    p.name = values.value(QStringLiteral("title")).toString();
    p.artist = values.value(QStringLiteral("artist")).toString();
    p.location = QUrl(entry.uri, QUrl::StrictMode);
    p.playedCount = int(std::min<qint64>(number(values, "play-count"), std::numeric_limits<int>::max()));
    p.rating = ratingOf(values.value(QStringLiteral("rating")).toDouble());
    p.dateAdded = QDateTime::fromSecsSinceEpoch(number(values, "first-seen"));
    p.dateModified = QDateTime::fromSecsSinceEpoch(number(values, "mtime"));
    return entry;
}

double starsOf(int rating)
{
    return std::clamp(rating, 0, 100) / 20.0;
}

int ratingOf(double stars)
{
    return std::isfinite(stars) ? int(std::lround(std::clamp(stars, 0.0, 5.0) * 20)) : 0;
}

QVariantMap valuesFor(const QString &property, qint64 value)
{
    if (property == u"playedCount")
        return {{QStringLiteral("play-count"), uint(std::clamp<qint64>(value, 0, std::numeric_limits<uint>::max()))}};
    if (property == u"rating")
        return {{QStringLiteral("rating"), starsOf(int(std::clamp<qint64>(value, 0, 100)))}};
    if (property == u"dateAdded")
        return {{QStringLiteral("first-seen"), uint(std::clamp<qint64>(value, 1, std::numeric_limits<uint>::max()))}};
    return {};
}

QVariantMap modificationValues(const QUrl &file)
{
    const QByteArray path = FileNames::pathOf(file);
    struct stat info = {};
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0 || info.st_mtime < 0
        || info.st_mtime > std::numeric_limits<uint>::max())
        return {};
    return {{QStringLiteral("mtime"), uint(info.st_mtime)}};
}

std::optional<qint64> storedValueOf(const QString &property, const Entry &entry)
{
    if (property == u"playedCount")
        return entry.properties.playedCount;
    if (property == u"rating")
        return entry.properties.rating;
    if (property == u"dateAdded")
        return entry.properties.dateAdded.toSecsSinceEpoch();
    return std::nullopt;
}

std::optional<Entry> entry(const QString &uri)
{
    const auto call = getEntry(uri);
    if (call->call(ITunesApplication::callTimeoutMs))
        return entryOf(*call).value_or(Entry{-1, uri, {}});
    // Rhythmbox answers a location it does not hold with an error.
    return call->wentUnanswered() ? std::nullopt : std::optional<Entry>(Entry{});
}

std::optional<Entry> added(const QUrl &file)
{
    const QString uri = storedUri(file);
    if (uri.isEmpty())
        return std::nullopt;
    std::optional<Entry> held = entry(uri);
    if (!held || held->id != 0)
        return held && held->id > 0 ? held : std::nullopt;
    if (!loadUri(uri)->call(ITunesApplication::callTimeoutMs))
        return std::nullopt;
    // The import runs in Rhythmbox's own time: look until the song is there
    // or Rhythmbox has given up on the file.
    const QDeadlineTimer deadline(ITunesApplication::callTimeoutMs);
    while (!deadline.hasExpired()) {
        QThread::msleep(importPollMs);
        held = entry(uri);
        if (!held || held->id != 0)
            return held && held->id > 0 ? held : std::nullopt;
    }
    return std::nullopt;
}

qint64 expectedValue(const QString &property, qint64 value)
{
    if (property == u"rating")
        return ratingOf(starsOf(int(std::clamp<qint64>(value, 0, 100))));
    if (property == u"dateAdded")
        return std::clamp<qint64>(value, 1, std::numeric_limits<uint>::max());
    return std::clamp<qint64>(value, 0, std::numeric_limits<int>::max());
}

std::optional<Entry> confirmed(const QString &uri, const QString &property, qint64 value, std::optional<Entry> read)
{
    const qint64 expected = expectedValue(property, value);
    const auto holds = [&](const std::optional<Entry> &entry) {
        return entry && entry->id > 0 && storedValueOf(property, *entry) == expected;
    };
    const QDeadlineTimer deadline(writeSettleMs);
    while (!holds(read) && !deadline.hasExpired()) {
        QThread::msleep(importPollMs);
        read = entry(uri);
        if (!read)
            return std::nullopt; // no answer
    }
    return holds(read) ? read : std::nullopt;
}

std::optional<Entry> written(const QString &uri, const QString &property, qint64 value)
{
    const QVariantMap values = valuesFor(property, value);
    if (values.isEmpty())
        return std::nullopt;
    // Sent together, the read right behind the write.
    const auto set = setEntry(uri, values);
    const auto get = getEntry(uri);
    if (!set->send(ITunesApplication::callTimeoutMs) || !get->send(ITunesApplication::callTimeoutMs))
        return std::nullopt;
    set->finish();
    if (!get->finish())
        return std::nullopt;
    return confirmed(uri, property, value, entryOf(*get));
}

bool refresh(const QString &uri)
{
    const auto call = pluginCall("Refresh", uri);
    return call->call(ITunesApplication::callTimeoutMs) && call->boolResult().value_or(false);
}

bool reveal(const QString &uri)
{
    const auto call = pluginCall("Reveal", uri);
    return call->call(ITunesApplication::callTimeoutMs) && call->boolResult().value_or(false);
}

bool save()
{
    const auto call = pluginCall("Save");
    return call->call(ITunesApplication::callTimeoutMs) && call->boolResult().value_or(false);
}

QList<Entry> selected()
{
    const auto call = pluginCall("SelectedLocations");
    if (!call->call(ITunesApplication::callTimeoutMs))
        return {};
    const QStringList uris = call->stringArrayResult(0);
    // Each entry read by its own call, several on the way at once.
    QList<Entry> entries;
    std::deque<std::unique_ptr<BusCall>> onTheWay;
    const auto collect = [&] {
        const std::unique_ptr<BusCall> oldest = std::move(onTheWay.front());
        onTheWay.pop_front();
        if (oldest->finish())
            if (const std::optional<Entry> read = entryOf(*oldest))
                entries.append(*read);
    };
    for (const QString &uri : uris) {
        if (int(onTheWay.size()) >= readsOnTheWay)
            collect();
        auto read = getEntry(uri);
        if (read->send(ITunesApplication::callTimeoutMs))
            onTheWay.push_back(std::move(read));
    }
    while (!onTheWay.empty())
        collect();
    return entries;
}

} // namespace Rhythmbox
