#pragma once

#include <QProcess>
#include <QString>

#include <memory>

class MusicLibraryProxy;
class QTemporaryDir;

// A real headless music-library with its own database file on the current
// session bus. The destructor kills the process and waits for it.
class LibraryProcess
{
public:
    static constexpr int startTimeoutMs = 10000;

    // databasePath empty: a file in a temporary folder owned by this object.
    explicit LibraryProcess(QString databasePath = QString());
    ~LibraryProcess();
    LibraryProcess(const LibraryProcess &) = delete;
    LibraryProcess &operator=(const LibraryProcess &) = delete;

    // Starts the library and waits until it owns "com.apple.iTunes".
    bool start(const QStringList &extraArguments = {});
    // SIGKILL, then waits for the process and for the name to be released.
    void kill();
    // Asks the library to quit over the bus; kills it when it does not.
    void stop();
    bool restart();
    // SIGSTOP, as a hung library; waits until every thread of it has stopped.
    bool suspend();
    void resume();

    bool isRunning() const;
    qint64 pid() const;
    QString databasePath() const { return m_databasePath; }
    // A client of the library on the current session bus, its types registered.
    static std::unique_ptr<MusicLibraryProxy> proxy();
    // music-library beside the running executable.
    static QString program();
    // Waits until the bus name has (or has lost) an owner.
    static bool waitForOwner(bool owned, int timeoutMs);

private:
    std::unique_ptr<QTemporaryDir> m_tempDir;
    QString m_databasePath;
    std::unique_ptr<QProcess> m_process;
};
