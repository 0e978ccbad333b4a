#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>

#include <memory>

// A real Rhythmbox for tests and benchmarks: on the current session bus, on
// an X server of its own (Xvfb), with an empty home in a temporary folder,
// library monitoring on and our plugin installed and active. Whatever
// happens, the destructor ends Rhythmbox (cleanly when it can) and the X
// server, and waits for both.
class RhythmboxProcess
{
public:
    static constexpr int startTimeoutMs = 60000;

    RhythmboxProcess();
    ~RhythmboxProcess();
    RhythmboxProcess(const RhythmboxProcess &) = delete;
    RhythmboxProcess &operator=(const RhythmboxProcess &) = delete;

    // Why Rhythmbox cannot run here (not installed, no X server); empty
    // when it can. Tests skip with this message.
    static QString missing();

    // Before start(): Rhythmbox starts holding these songs (location URIs
    // as Rhythmbox keeps them, and their paths), without importing each.
    struct Song
    {
        QString uri;
        QString path;
    };
    bool holdAtStart(const QList<Song> &songs);

    // Starts the X server and Rhythmbox and waits until both Rhythmbox and
    // the plugin answer; after quit() it starts again in the same home.
    // withPlugin false turns the plugin off. false with
    // why set when it does not come up.
    bool start(QString *why, bool withPlugin = true);
    // Quits through its media-player interface and waits for the process to
    // end; true when it ended by itself with status 0.
    bool quit();
    bool isRunning() const;
    // Stops the process (SIGSTOP) as a hung Rhythmbox; resume() lets it go on.
    void suspend();
    void resume();

    // Where Rhythmbox keeps its database file (written when it saves).
    QString databaseFile() const;
    QString display() const { return m_display; }
    QString home() const { return m_home.path(); }
    // A folder in the home for music.
    QString musicFolder() const;

    // Straight over Qt D-Bus, independent of the program's own client: an
    // entry's properties (empty when Rhythmbox holds none at that URI),
    // the import of a file, and waiting until its song entry exists.
    static QVariantMap entry(const QString &uri);
    static bool load(const QString &uri);
    static bool waitForEntry(const QString &uri, int timeoutMs = 20000);
    static bool set(const QString &uri, const QVariantMap &values);
    // The locations the plugin reports selected (false: no plugin answer).
    static bool selected(QStringList *uris);

private:
    QProcessEnvironment environment() const;
    bool setting(const QString &schema, const QString &key, const QString &value) const;
    void stopAll();

    QTemporaryDir m_home;
    QString m_display;
    std::unique_ptr<QProcess> m_xserver;
    std::unique_ptr<QProcess> m_rhythmbox;
};
