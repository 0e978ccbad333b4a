#include "tests/support/AudioFiles.h"


#include <QFile>
#include <QFileInfo>

#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

// Outside any namespace, as the resource's initialiser is declared there.
static void initStreams()
{
    Q_INIT_RESOURCE(streams);
}

namespace {
TagLib::String toTagLib(const QString &text)
{
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

// Saving an MP3 the default way copies fields between its ID3v1 and ID3v2
// tags, and copying a track number of value 0 ("0", "A") deletes it.
bool saveTags(TagLib::FileRef &ref)
{
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(ref.file()))
        return mpeg->save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4,
                          TagLib::File::DoNotDuplicate);
    return ref.file()->save();
}

// A short, silent, valid stream of the format, without tags: made once from
// the format's own headers and frames and kept beside this file.
QByteArray stream(const char *suffix)
{
    initStreams();
    QFile file(QStringLiteral(":/streams/silence.") + QLatin1String(suffix));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAndTag(const QString &path, const QByteArray &bytes, const AudioTags &tags)
{
    return writeBytes(path, bytes) && AudioFiles::writeTags(path, tags);
}
} // namespace

bool AudioFiles::write(const QString &path, const AudioTags &tags)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"mp3")
        return writeMp3(path, tags);
    if (suffix == u"flac")
        return writeFlac(path, tags);
    if (suffix == u"ogg" || suffix == u"oga")
        return writeOggVorbis(path, tags);
    if (suffix == u"opus")
        return writeOggOpus(path, tags);
    if (suffix == u"wav")
        return writeWav(path, tags);
    if (suffix == u"aif" || suffix == u"aiff")
        return writeAiff(path, tags);
    if (suffix == u"m4a")
        return writeM4a(path, tags);
    return false;
}

QStringList AudioFiles::suffixes()
{
    return {QStringLiteral("mp3"), QStringLiteral("flac"), QStringLiteral("ogg"), QStringLiteral("oga"), QStringLiteral("opus"),
            QStringLiteral("wav"), QStringLiteral("aif"),  QStringLiteral("aiff"), QStringLiteral("m4a")};
}

bool AudioFiles::writeMp3(const QString &path, const AudioTags &tags)
{
    // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, no padding: 417 bytes a frame.
    constexpr int frameBytes = 417;
    QByteArray frame(frameBytes, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x64);
    return writeAndTag(path, frame.repeated(10), tags);
}

bool AudioFiles::writeFlac(const QString &path, const AudioTags &tags)
{
    return writeAndTag(path, stream("flac"), tags);
}

bool AudioFiles::writeOggVorbis(const QString &path, const AudioTags &tags)
{
    return writeAndTag(path, stream("ogg"), tags);
}

bool AudioFiles::writeOggOpus(const QString &path, const AudioTags &tags)
{
    return writeAndTag(path, stream("opus"), tags);
}

bool AudioFiles::writeWav(const QString &path, const AudioTags &tags)
{
    return writeAndTag(path, stream("wav"), tags);
}

bool AudioFiles::writeAiff(const QString &path, const AudioTags &tags)
{
    return writeAndTag(path, stream("aiff"), tags);
}

bool AudioFiles::writeM4a(const QString &path, const AudioTags &tags)
{
    return writeAndTag(path, stream("m4a"), tags);
}

bool AudioFiles::writeNonAudio(const QString &path, const QByteArray &content)
{
    return writeBytes(path, content);
}

bool AudioFiles::writeDisc(const QString &path, const QString &disc)
{
    TagLib::FileRef ref(QFile::encodeName(path).constData(), false);
    if (ref.isNull() || !ref.file()->isValid())
        return false;
    TagLib::PropertyMap properties = ref.file()->properties();
    if (disc.isEmpty())
        properties.erase("DISCNUMBER");
    else
        properties.replace("DISCNUMBER", TagLib::StringList(toTagLib(disc)));
    return ref.file()->setProperties(properties).isEmpty() && saveTags(ref);
}

bool AudioFiles::writeTags(const QString &path, const AudioTags &tags)
{
    TagLib::FileRef ref(QFile::encodeName(path).constData(), false);
    if (ref.isNull() || !ref.file()->isValid())
        return false;
    TagLib::PropertyMap properties = ref.file()->properties();
    const auto put = [&properties](const char *key, const QString &value) {
        if (value.isEmpty())
            properties.erase(key);
        else
            properties.replace(key, TagLib::StringList(toTagLib(value)));
    };
    put("TITLE", tags.title);
    put("ARTIST", tags.artist);
    put("ALBUM", tags.album);
    put("TRACKNUMBER", tags.track);
    // A format that cannot hold a value (letters as an MPEG-4 track number)
    // hands it back; the file would not say what the caller asked for.
    const TagLib::PropertyMap refused = ref.file()->setProperties(properties);
    for (const char *key : {"TITLE", "ARTIST", "ALBUM", "TRACKNUMBER"})
        if (refused.contains(key))
            return false;
    return saveTags(ref);
}
