#include "tracks/files/ID3Parser.h"

#include "app/common/FileNames.h"
#include "app/common/Utils.h"
#include "tracks/files/TagStream.h"

#include <taglib/aifffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/xiphcomment.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <algorithm>

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

// The stored track-number text straight from the tag that holds it, for the
// common tag kinds; building the file's whole property map costs about as
// much as parsing the tag. Empty when the fast way finds nothing.
TagLib::String storedTrackNumber(TagLib::File *file)
{
    const TagLib::ID3v2::Tag *id3 = nullptr;
    const TagLib::Ogg::XiphComment *xiph = nullptr;
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file))
        id3 = mpeg->hasID3v2Tag() ? mpeg->ID3v2Tag() : nullptr;
    else if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(file))
        id3 = wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr;
    else if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(file))
        id3 = aiff->hasID3v2Tag() ? aiff->tag() : nullptr;
    else if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file))
        xiph = flac->hasXiphComment() ? flac->xiphComment() : nullptr;
    else
        xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(file->tag());

    if (id3) {
        const TagLib::ID3v2::FrameList &frames = id3->frameListMap()["TRCK"];
        if (!frames.isEmpty())
            if (auto *text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame *>(frames.front()))
                if (!text->fieldList().isEmpty())
                    return text->fieldList().front();
    } else if (xiph) {
        const TagLib::Ogg::FieldListMap &fields = xiph->fieldListMap();
        const auto entry = fields.find("TRACKNUMBER");
        if (entry != fields.end() && !entry->second.isEmpty())
            return entry->second.front();
    }
    return {};
}

// RIFF formats carry their audio description in a chunk TagLib reads with
// the tags anyway; only those are worth asking for audio properties.
bool wantsAudioProperties(const QByteArray &suffix)
{
    return suffix == "wav" || suffix == "aif" || suffix == "aiff" || suffix == "aifc";
}
} // namespace

ID3Parser::AlbumPlace ID3Parser::getAlbumPlace(const QUrl &url)
{
    AlbumPlace none{noNumber, 1};
    TagStream stream(FileNames::pathOf(url));
    if (!stream.isOpen())
        return none;
    const QByteArray suffix = FileNames::suffixOf(stream.name());
    const TagLib::FileRef ref(&stream, wantsAudioProperties(suffix));
    if (ref.isNull() || !ref.file()->isValid() || !holdsAudio(ref.file()) || stream.overBudget())
        return none;
    // Every format's own map names its disc number DISCNUMBER ("2/2").
    const TagLib::PropertyMap properties = ref.file()->properties();
    const auto disc = properties.find("DISCNUMBER");
    if (disc != properties.end() && !disc->second.isEmpty())
        none.disc = std::max(1, QString::fromStdString(disc->second.front().to8Bit(true)).section(u'/', 0, 0).trimmed().toInt());
    TagLib::String stored = storedTrackNumber(ref.file());
    if (stored.isEmpty()) {
        // The file's own map keeps the stored text ("7/12") for every format;
        // the generic tag's map would give the number alone.
        const auto entry = properties.find("TRACKNUMBER");
        if (entry == properties.end() || entry->second.isEmpty())
            return none;
        stored = entry->second.front();
    }
    return {Utils::getTrackNumber(QString::fromStdString(stored.to8Bit(true))), none.disc};
}

QString ID3Parser::getAudioFileTrackNumber(const QUrl &url)
{
    return getAlbumPlace(url).track;
}
