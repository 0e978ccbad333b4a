#include "ID3Parser.h"

#include "Utils.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/aifffile.h>
#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <sys/stat.h>

namespace {
const QString noNumber = QStringLiteral("-");

// TagLib accepts some files by name alone: a text file called .mp3 or .wav
// passes isValid(). These checks ask for the audio itself.
bool holdsAudio(TagLib::File *file)
{
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file))
        return mpeg->firstFrameOffset() >= 0;
    if (dynamic_cast<TagLib::RIFF::WAV::File *>(file) || dynamic_cast<TagLib::RIFF::AIFF::File *>(file)) {
        const TagLib::AudioProperties *properties = file->audioProperties();
        return properties && properties->sampleRate() > 0 && properties->channels() > 0;
    }
    return true;
}

// RIFF formats carry their audio description in a chunk TagLib has already
// read with the tags; only those are worth asking for audio properties.
bool wantsAudioProperties(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"wav" || suffix == u"aif" || suffix == u"aiff" || suffix == u"aifc";
}
} // namespace

QString ID3Parser::getAudioFileTrackNumber(const QUrl &url)
{
    if (!url.isLocalFile())
        return noNumber;
    const QString path = url.toLocalFile();
    const QByteArray name = QFile::encodeName(path);
    // Only regular files: opening a FIFO would wait for a writer, and a
    // folder opens but reads nothing.
    struct stat info = {};
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return noNumber;

    TagLib::FileStream stream(name.constData(), true);
    if (!stream.isOpen())
        return noNumber;
    const TagLib::FileRef ref(&stream, wantsAudioProperties(path));
    if (ref.isNull() || !ref.file()->isValid() || !holdsAudio(ref.file()))
        return noNumber;
    // The file's own map keeps the stored text ("7/12"); the generic tag's map
    // would give the number alone.
    const TagLib::PropertyMap properties = ref.file()->properties();
    const auto entry = properties.find("TRACKNUMBER");
    if (entry == properties.end() || entry->second.isEmpty())
        return noNumber;
    return Utils::getTrackNumber(QString::fromStdString(entry->second.front().to8Bit(true)));
}
