#pragma once

// Songs a real Rhythmbox holds, and their values read back from it.
#include "app/common/FileNames.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/RhythmboxProcess.h"
#include "tracks/library/Rhythmbox.h"

#include <QFile>

#include <cstdio>

namespace RhythmboxFixture {
inline QString uriOf(const QByteArray &path)
{
    return Rhythmbox::storedUri(FileNames::urlOf(path));
}

// An entry's property as a number; 0 when Rhythmbox holds no such entry.
inline double value(const QByteArray &path, const char *property)
{
    return RhythmboxProcess::entry(uriOf(path)).value(QLatin1String(property)).toDouble();
}

// A tagged MP3 in the music folder under exactly these bytes; empty on failure.
inline QByteArray addSong(const RhythmboxProcess &rhythmbox, const QByteArray &name, int track, bool load = true)
{
    const QString written = rhythmbox.musicFolder() + QStringLiteral("/written.mp3");
    const QByteArray path = QFile::encodeName(rhythmbox.musicFolder()) + '/' + name;
    const AudioTags tags{QStringLiteral("Song %1").arg(track), QStringLiteral("Artist"), QStringLiteral("Album"),
                         QString::number(track)};
    if (!AudioFiles::writeMp3(written, tags) || std::rename(QFile::encodeName(written).constData(), path.constData()) != 0
        || (load && !RhythmboxProcess::load(uriOf(path))))
        return {};
    return path;
}
} // namespace RhythmboxFixture
