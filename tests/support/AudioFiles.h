#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Tags to store in a generated audio file. An empty field is not stored.
struct AudioTags
{
    QString title;
    QString artist;
    QString album;
    QString track; // stored as given: "7", "7/12", "A"
};

// Writes small, valid audio files without any network or encoder, then tags
// them through TagLib. Each file holds a moment of silence (streams/, made
// once from each format's own headers and frames), so a player or a tag
// reader takes it for what its name says.
namespace AudioFiles {
// Picks the format by the file's suffix (mp3, flac, ogg and oga for Vorbis,
// opus, wav, aif, aiff, m4a; case-insensitive). False for an unknown suffix or when writing
// or tagging fails.
bool write(const QString &path, const AudioTags &tags);
// The suffixes write() understands, lower case.
QStringList suffixes();

// Ten silent MPEG-1 Layer III frames with an ID3v2 tag.
bool writeMp3(const QString &path, const AudioTags &tags);
// One silent frame of 16-bit mono FLAC at 44.1 kHz, tags in a Vorbis comment.
bool writeFlac(const QString &path, const AudioTags &tags);
// An Ogg Vorbis stream of ten silent short blocks, tags in its comment header.
bool writeOggVorbis(const QString &path, const AudioTags &tags);
// An Ogg Opus stream of ten empty 20 ms frames, tags in its OpusTags packet.
bool writeOggOpus(const QString &path, const AudioTags &tags);
// 0.1 s of 16-bit mono PCM at 44.1 kHz, tags in an ID3v2 chunk.
bool writeWav(const QString &path, const AudioTags &tags);
// 0.1 s of 16-bit mono PCM at 44.1 kHz, tags in an ID3v2 chunk.
bool writeAiff(const QString &path, const AudioTags &tags);
// One silent AAC-LC frame in an MPEG-4 container, tags in its item list.
// The format keeps track numbers only as numbers: "07" is stored as 7, and
// letters as 0.
bool writeM4a(const QString &path, const AudioTags &tags);

// A file that is not audio whatever its name says.
bool writeNonAudio(const QString &path, const QByteArray &content = "This is plain text, not sound.\n");

// Stores a disc number ("2", "2/2"; empty removes it) into an existing audio file.
bool writeDisc(const QString &path, const QString &disc);

// Stores the tags into an existing audio file.
bool writeTags(const QString &path, const AudioTags &tags);
} // namespace AudioFiles
