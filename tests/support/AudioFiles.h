#pragma once

#include <QString>

// Tags to store in a generated audio file. An empty field is not stored.
struct AudioTags
{
    QString title;
    QString artist;
    QString album;
    QString track; // stored as given: "7", "7/12", "A"
};

// Writes small, valid audio files without any network or encoder, then tags
// them through TagLib.
namespace AudioFiles {
// Ten silent MPEG-1 Layer III frames with an ID3v2 tag.
bool writeMp3(const QString &path, const AudioTags &tags);
// Stores the tags into an existing audio file.
bool writeTags(const QString &path, const AudioTags &tags);
} // namespace AudioFiles
