#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>

#include <memory>

// A real Rhythmbox on the session bus and an X server (Xvfb) of its own, with
// an empty home, library monitoring on and our plugin active. The destructor
// ends both (Rhythmbox cleanly when it can) and waits for them.
class RhythmboxProcess
{
public:
    static constexpr int startTimeoutMs = 60000;

    RhythmboxProcess();
    ~RhythmboxProcess();
    RhythmboxProcess(const RhythmboxProcess &) = delete;
    RhythmboxProcess &operator=(const RhythmboxProcess &) = delete;

    // Why Rhythmbox cannot run here; empty when it can.
    static QString missing();

    // Before start(): songs Rhythmbox holds from its start (URIs as it keeps them).
    struct Song
    {
        QString uri;
        QString path;
    };
    bool holdAtStart(const QList<Song> &songs);

    // Waits until Rhythmbox (and the plugin, unless withPlugin is false)
    // answers; again after quit(), in the same home. On failure sets why.
    bool start(QString *why, bool withPlugin = true);
    // True when Rhythmbox, asked to quit, ended by itself with status 0.
    bool quit();
    bool isRunning() const;
    // SIGSTOP, as a hung Rhythmbox; resume() lets it go on.
    void suspend();
    void resume();

    QString databaseFile() const;
    QString display() const { return m_display; }
    QString home() const { return m_home.path(); }
    QString musicFolder() const;

    // Straight over Qt D-Bus, not through the program's own client; entry()
    // is empty when Rhythmbox holds nothing at uri.
    static QVariantMap entry(const QString &uri);
    static bool load(const QString &uri);
    static bool waitForEntry(const QString &uri, int timeoutMs = 20000);
    static bool set(const QString &uri, const QVariantMap &values);
    // The locations the plugin reports selected; false without its answer.
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
