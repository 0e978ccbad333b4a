#pragma once

// What the tests of the library application and its client share: calls
// made straight to the library on the test's bus, and real files to hand it.

#include "protocol/LibraryProtocol.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tracks/library/ITunesApplication.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

inline const QString service = QString::fromLatin1(LibraryProtocol::serviceName);

inline ITunesApplication iTunes()
{
    return ITunesApplication::applicationWithBundleIdentifier(service);
}

inline QDBusMessage callLibrary(const char *method, const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, QString::fromLatin1(LibraryProtocol::objectPath),
                                                          QString::fromLatin1(LibraryProtocol::interfaceName),
                                                          QString::fromLatin1(method));
    message.setArguments(arguments);
    message.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

inline int trackCount()
{
    const QDBusMessage reply = callLibrary("AllTracks");
    if (reply.type() != QDBusMessage::ReplyMessage)
        return -1;
    return int(qdbus_cast<QList<QVariantMap>>(reply.arguments().at(0).value<QDBusArgument>()).size());
}

inline void setSelection(const QList<qlonglong> &ids)
{
    callLibrary("SetSelection", {QVariant::fromValue(ids)});
}

inline QList<qint64> selectedIds()
{
    QList<qint64> ids;
    for (const ITunesTrack &track : iTunes().selection().get())
        ids << track.persistentId();
    return ids;
}

inline bool setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime);
}

// Kills a process that a test started some other way than LibraryProcess.
struct PidGuard
{
    qint64 pid = 0;
    ~PidGuard()
    {
        if (pid > 0) {
            ::kill(pid_t(pid), SIGKILL);
            LibraryProcess::waitForOwner(false, 2000);
        }
    }
};

// Until the files' change times are a clock step old, so a new change is told apart.
inline void waitUntilChangeTimesAged(const QStringList &paths)
{
    for (const QString &path : paths)
        QTRY_VERIFY(QFileInfo(path).metadataChangeTime().msecsTo(QDateTime::currentDateTime()) > 100);
}

// A test object with a folder of real files to give the library.
class ScriptingTestBase : public QObject
{
protected:
    QTemporaryDir m_files;
    int m_fileCount = 0;

    QString tagged(const QString &title, const QString &artist = QStringLiteral("Test Artist"))
    {
        const QString path = m_files.filePath(QStringLiteral("track %1.mp3").arg(++m_fileCount));
        if (!AudioFiles::writeMp3(path, {title, artist, QStringLiteral("Test Album"), QString::number(m_fileCount)}))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // A file named like audio that holds none.
    QString textFile(const QString &name, int lines = 200)
    {
        const QString path = m_files.filePath(name);
        if (!AudioFiles::writeNonAudio(path, QByteArray("Not a song, just words.\n").repeated(lines)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
};
