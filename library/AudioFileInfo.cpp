#include "library/AudioFileInfo.h"

#include "app/common/FileNames.h"
#include "tracks/files/TagStream.h"

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>

#include <sys/stat.h>

namespace {
QString fromTagLib(const TagLib::String &text)
{
    return QString::fromStdString(text.to8Bit(true)).trimmed();
}

QString firstValue(const TagLib::PropertyMap &properties, const char *key)
{
    const auto it = properties.find(key);
    if (it == properties.end() || it->second.isEmpty())
        return {};
    // The library's rows show one line per field: control characters (a
    // line break in a title) become spaces.
    QString value = fromTagLib(it->second.front());
    for (QChar &c : value)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return value;
}

// The names TagLib reads as MPEG audio.
bool isMpegName(const QByteArray &path)
{
    const QByteArray suffix = FileNames::suffixOf(path);
    return suffix == "mp3" || suffix == "mp2";
}

qint64 nanoseconds(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec;
}
} // namespace

std::optional<AudioFileInfo::Stamp> AudioFileInfo::stampOf(const QByteArray &path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return Stamp{st.st_dev, st.st_ino, qint64(st.st_size), nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

std::optional<AudioFileInfo> AudioFileInfo::read(const QByteArray &path)
{
    const auto stamp = stampOf(path);
    if (!stamp)
        return std::nullopt; // missing, a folder, a device...
    // Read through a stream whose work is bounded: a huge file that only
    // has an audio name costs a moment, not seconds in which every other
    // call waits.
    TagStream stream(path);
    if (!stream.isOpen())
        return std::nullopt;
    TagLib::PropertyMap properties;
    if (isMpegName(path)) {
        // TagLib happily "opens" a text file named .mp3; only a valid first
        // frame shows that there is audio in it. That is all its audio
        // properties would prove, after also walking back from the end of the
        // file for the last frame.
        TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        if (!file.isValid() || file.firstFrameOffset() < 0 || stream.overBudget())
            return std::nullopt;
        properties = file.properties();
    } else {
        TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Fast);
        if (ref.isNull() || !ref.file()->isValid() || stream.overBudget())
            return std::nullopt;
        // Only a stream with a sample rate shows that audio was found.
        const TagLib::AudioProperties *audio = ref.audioProperties();
        if (!audio || audio->sampleRate() <= 0)
            return std::nullopt;
        properties = ref.file()->properties();
    }
    AudioFileInfo info;
    info.name = firstValue(properties, "TITLE");
    if (info.name.isEmpty()) {
        // The file name without its extension, as a person reads it.
        const QByteArray file = path.mid(path.lastIndexOf('/') + 1);
        const qsizetype dot = file.lastIndexOf('.');
        info.name = FileNames::shown(dot > 0 ? file.left(dot) : file);
    }
    info.artist = firstValue(properties, "ARTIST");
    info.album = firstValue(properties, "ALBUM");
    info.trackNumber = firstValue(properties, "TRACKNUMBER");
    // Floor, so that dates before 1970 round the same way as later ones.
    info.modifiedMs = stamp->mtimeNs >= 0 ? stamp->mtimeNs / 1000000 : -((-stamp->mtimeNs + 999999) / 1000000);
    info.stamp = *stamp;
    return info;
}
