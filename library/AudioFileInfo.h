#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

// What the library reads from an audio file: its tags and its dates. A file
// counts as audio only when TagLib recognises the format, parses it as valid
// and finds an audio stream in it; an extension alone proves nothing.
struct AudioFileInfo
{
    QString name; // the title tag, else the file name without its extension
    QString artist;
    QString album;
    QString trackNumber;
    qint64 modifiedMs = 0;

    // Identifies one state of the file on disk. The change time moves with
    // every write and every date change and cannot be set back by a user, so
    // an equal stamp means the tags and dates read before still hold.
    struct Stamp
    {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = -1;
        qint64 mtimeNs = 0;
        qint64 ctimeNs = 0;
        bool operator==(const Stamp &) const = default;
    };

    Stamp stamp; // taken before the tags were read

    // The stamp of the regular file at path; nullopt when there is none.
    static std::optional<Stamp> stampOf(const QByteArray &path);
    // Tags and modification date of a readable audio file; nullopt otherwise.
    static std::optional<AudioFileInfo> read(const QByteArray &path);
};
