#pragma once

// What the in-process tests of the library share: real audio files in a
// folder of the test's own, and libraries kept in store files there.

#include "library/MusicLibrary.h"
#include "library/TrackStore.h"
#include "tests/support/AudioFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

// A library on a store file, the store opened before the library is made.
struct StoredLibrary
{
    explicit StoredLibrary(const QString &path) : opened(store.open(path)), library(&store) { }
    qint64 add(const QString &file) { return library.addFile(QUrl::fromLocalFile(file)); }

    TrackStore store;
    bool opened;
    MusicLibrary library;
};

class LibraryFixture : public QObject
{
protected:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A tagged audio file of the format its name says, its folders made.
    QString audio(const QString &name, const AudioTags &tags = {})
    {
        const QString file = path(name);
        if (!QDir().mkpath(QFileInfo(file).absolutePath()) || !AudioFiles::write(file, tags))
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }

    // The windows keep their settings here, never in the user's own.
    bool settingsKeptInside() const
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path(QStringLiteral("config"))));
        return QSettings().fileName().startsWith(m_dir.path());
    }
};
