#include "AudioFileInfo.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
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
    return fromTagLib(it->second.front());
}

qint64 nanoseconds(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec;
}
} // namespace

std::optional<AudioFileInfo::Stamp> AudioFileInfo::stampOf(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return Stamp{st.st_dev, st.st_ino, qint64(st.st_size), nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

std::optional<AudioFileInfo> AudioFileInfo::read(const QString &path)
{
    const auto stamp = stampOf(path);
    if (!stamp)
        return std::nullopt; // missing, a folder, a device...
    TagLib::FileRef ref(QFile::encodeName(path).constData(), true, TagLib::AudioProperties::Fast);
    if (ref.isNull() || !ref.file()->isValid())
        return std::nullopt;
    // TagLib happily "opens" a text file named .mp3; only a stream with a
    // sample rate shows that real audio frames were found.
    const TagLib::AudioProperties *audio = ref.audioProperties();
    if (!audio || audio->sampleRate() <= 0)
        return std::nullopt;

    const TagLib::PropertyMap properties = ref.file()->properties();
    AudioFileInfo info;
    info.name = firstValue(properties, "TITLE");
    if (info.name.isEmpty())
        info.name = QFileInfo(path).completeBaseName();
    info.artist = firstValue(properties, "ARTIST");
    info.album = firstValue(properties, "ALBUM");
    info.trackNumber = firstValue(properties, "TRACKNUMBER");
    // Floor, so that dates before 1970 round the same way as later ones.
    info.modifiedMs = stamp->mtimeNs >= 0 ? stamp->mtimeNs / 1000000 : -((-stamp->mtimeNs + 999999) / 1000000);
    info.stamp = *stamp;
    return info;
}
