#include "AudioFiles.h"

#include <QFile>

#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

namespace {
TagLib::String toTagLib(const QString &text)
{
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}
} // namespace

bool AudioFiles::writeMp3(const QString &path, const AudioTags &tags)
{
    // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, no padding: 417 bytes a frame.
    constexpr int frameBytes = 417;
    QByteArray frame(frameBytes, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x64);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (int i = 0; i < 10; ++i)
        file.write(frame);
    file.close();
    return writeTags(path, tags);
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
    ref.file()->setProperties(properties);
    return ref.file()->save();
}
