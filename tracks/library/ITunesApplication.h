#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

// The music library as a scripting client sees it. Objects are cheap handles
// over synchronous D-Bus calls with a bounded timeout; they may be made and
// used on any thread. A call that fails or times out gives "no result"
// (an invalid track, an empty list, false) and never blocks for longer than
// ITunesApplication::callTimeoutMs. No call but run() starts the library.
// Each calling thread reaches the library over its own connection
// (BusCall.h): directly, once the library instance that owns the name has
// told it where, else through the bus. Either way a call costs one round trip.

class ITunesTrack
{
public:
    ITunesTrack() = default; // no track
    ITunesTrack(QString service, qint64 persistentId);
    // A track of a library that finds its tracks by location (uri, exactly
    // as that library keeps it) rather than by id.
    static ITunesTrack locatedAt(QString service, qint64 persistentId, QString uri);

    bool isValid() const { return m_id > 0; }
    qint64 persistentId() const { return m_id; }

    // Properties. A track returned by ITunesSelection::get() carries them
    // already; otherwise each getter asks the library (one call). Invalid
    // track or no answer: empty/0.
    QString name() const;
    QString artist() const;
    QUrl location() const;
    int playedCount() const;
    int rating() const;
    QDateTime dateAdded() const;
    QDateTime dateModified() const;

    // Writes into the library; silently nothing on an invalid track. The
    // library stores counts >= 0 and ratings within 0..100; the track keeps
    // the stored value.
    void setPlayedCount(int count);
    void setRating(int rating);
    // Where the library lets its Date Added be written (see
    // ITunesApplication::setsDateAdded): writes it and reads it back; the
    // date the library holds afterwards, invalid when nothing was written.
    QDateTime setDateAdded(const QDateTime &date);
    // The library reads the file again; properties this track carries are
    // dropped, so the next getter sees what the library read.
    void refresh();
    void reveal();

    // Used by ITunesSelection::get() to hand over fetched properties.
    struct Properties
    {
        QString name;
        QString artist;
        QUrl location;
        int playedCount = 0;
        int rating = 0;
        QDateTime dateAdded;
        QDateTime dateModified;
    };
    void setFetchedProperties(const Properties &properties);

private:
    Properties fetch() const;
    // Writes one property ("playedCount", "rating") and keeps what was stored.
    void store(const char *method, const QString &property, int value, int Properties::*field);

    QString m_service;
    qint64 m_id = 0;
    QString m_uri; // the library's location of the track, where it finds tracks so
    // Each copy keeps its own: a handle copied to another thread shares no
    // mutable state with the one it came from, so both may be used at once.
    std::optional<Properties> m_cache;
};

class ITunesSelection
{
public:
    explicit ITunesSelection(QString service) : m_service(std::move(service)) {}
    // The tracks selected in the library's window, in window order, with their
    // properties fetched in one call. Empty when nothing is selected or the
    // library does not answer.
    QList<ITunesTrack> get() const;

private:
    QString m_service;
};

class ITunesApplication
{
public:
    static constexpr int callTimeoutMs = 5000;
    // How long run() waits for a started library to appear on the bus.
    static constexpr int launchTimeoutMs = 5000;

    // A fresh handle for the application with this bundle identifier
    // ("com.apple.iTunes"); nothing is contacted yet.
    static ITunesApplication applicationWithBundleIdentifier(const QString &bundleIdentifier);
    // The same for the library this program drives.
    // The library this program drives: the one that is running, ours or
    // Rhythmbox; when neither runs, ours, unless MELVORA_LIBRARY names
    // "rhythmbox" (see preferredService()).
    static ITunesApplication iTunes();
    // The library to start when none runs: MELVORA_LIBRARY=rhythmbox
    // names Rhythmbox, anything else ours.
    static QString preferredService();

    // Whether the library application is on the bus. Never starts it. Cheap:
    // answered from a process-wide watch of the bus name once that is set up.
    bool isRunning() const;
    // Sets up that watch for every library now, without waiting for it, so
    // that a program which will ask later finds the answer ready then
    // instead of asking the bus itself.
    static void watch();
    // Starts the library application (found beside this executable, else on
    // PATH) when it is not running, and waits until it is on the bus.
    // Returns whether it runs.
    bool run() const;

    ITunesSelection selection() const;
    // The library track of the first file URL, added to the library when it is
    // not there yet; an invalid track when the library refuses the file.
    ITunesTrack add(const QList<QUrl> &files, const QString &to = QString()) const;
    // The library track of a file, without adding it: its track (invalid
    // when the library does not hold the file) and date added. Nothing when
    // the library does not answer.
    struct HeldTrack
    {
        ITunesTrack track;
        QDateTime dateAdded;
    };
    std::optional<HeldTrack> trackOfFile(const QUrl &file) const;
    // add({file}), then refresh() and reveal() on its track, in one call and
    // one round trip: for a file just changed that the library should read
    // again and show. An invalid track (and nothing done) when the library
    // refuses the file.
    ITunesTrack addRefreshReveal(const QUrl &file) const;
    // add({file}), then the track's property ("playedCount" or "rating") set
    // to value, refresh() and reveal(), in one call and one round trip. The
    // library holds the value within its bounds and answers what it stored.
    // An invalid track and no stored value (and nothing done) when the
    // library refuses the file or the property, or does not answer.
    struct StoredValue
    {
        ITunesTrack track;
        std::optional<int> stored;
    };
    StoredValue addSetRefreshReveal(const QUrl &file, const QString &property, int value) const;

    QString serviceName() const { return m_service; }
    // The library's name as people know it ("iTunes" for ours, which plays
    // that part, "Rhythmbox").
    QString displayName() const;
    // Whether the library lets a track's Date Added be written directly.
    bool setsDateAdded() const;
    // Whether the library keeps changes in memory until it quits.
    bool savesOnQuit() const;
    // Has the library write its changes to disk now; true when they are
    // (a library that writes at once always is).
    bool save() const;

private:
    explicit ITunesApplication(QString service) : m_service(std::move(service)) {}
    QString m_service;
};
