#include "tracks/files/ID3Parser.h"

#include "app/common/FileNames.h"
#include "app/common/TextRules.h"
#include "tracks/files/QuickId3.h"
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

// The tag the fast way reads, for the common tag kinds: an ID3v2 tag or a
// Vorbis comment. complete says it is the file's only tag that can carry a
// disc number, so that its answer is the file's property map's answer.
struct FastTag
{
    const TagLib::ID3v2::Tag *id3 = nullptr;
    const TagLib::Ogg::XiphComment *xiph = nullptr;
    bool complete = false;
};

FastTag fastTag(TagLib::File *file)
{
    FastTag tag;
    if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file)) {
        tag.id3 = mpeg->hasID3v2Tag() ? mpeg->ID3v2Tag() : nullptr;
        tag.complete = !mpeg->hasAPETag(); // an ID3v1 tag has no disc
    } else if (auto *wav = dynamic_cast<TagLib::RIFF::WAV::File *>(file)) {
        tag.id3 = wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr;
    } else if (auto *aiff = dynamic_cast<TagLib::RIFF::AIFF::File *>(file)) {
        tag.id3 = aiff->hasID3v2Tag() ? aiff->tag() : nullptr;
        tag.complete = true;
    } else if (auto *flac = dynamic_cast<TagLib::FLAC::File *>(file)) {
        tag.xiph = flac->hasXiphComment() ? flac->xiphComment() : nullptr;
        tag.complete = !flac->hasID3v2Tag() && !flac->hasID3v1Tag();
    } else {
        tag.xiph = dynamic_cast<TagLib::Ogg::XiphComment *>(file->tag());
        tag.complete = tag.xiph != nullptr;
    }
    tag.complete = tag.complete && (tag.id3 || tag.xiph);
    return tag;
}

// A stored text straight from the tag that holds it (ID3v2 frame, Vorbis
// comment field); building the file's whole property map costs about as
// much as parsing the tag. Empty when the fast way finds nothing.
TagLib::String storedText(const FastTag &tag, const char *frame, const char *field)
{
    if (tag.id3) {
        const TagLib::ID3v2::FrameList &frames = tag.id3->frameListMap()[frame];
        if (!frames.isEmpty())
            if (auto *text = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame *>(frames.front()))
                if (!text->fieldList().isEmpty())
                    return text->fieldList().front();
    } else if (tag.xiph) {
        const TagLib::Ogg::FieldListMap &fields = tag.xiph->fieldListMap();
        const auto entry = fields.find(field);
        if (entry != fields.end() && !entry->second.isEmpty())
            return entry->second.front();
    }
    return {};
}

// The place the stored texts give; none without a track text.
ID3Parser::AlbumPlace placeOf(const QString &track, const QString &disc)
{
    const int discNumber = disc.isEmpty() ? 1 : std::max(1, disc.section(u'/', 0, 0).trimmed().toInt());
    return {track.isEmpty() ? noNumber : TextRules::trackNumber(track), discNumber};
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
    // Most MP3 files are read without TagLib's objects.
    if (suffix == "mp3")
        if (const std::optional<QuickId3::Texts> quick = QuickId3::read(stream))
            return placeOf(QString::fromLatin1(quick->track), QString::fromLatin1(quick->disc));
    const TagLib::FileRef ref(&stream, wantsAudioProperties(suffix));
    if (ref.isNull() || !ref.file()->isValid() || !holdsAudio(ref.file()) || stream.overBudget())
        return none;
    const FastTag tag = fastTag(ref.file());
    TagLib::String stored = storedText(tag, "TRCK", "TRACKNUMBER");
    TagLib::String disc;
    if (tag.complete && !stored.isEmpty()) {
        disc = storedText(tag, "TPOS", "DISCNUMBER");
    } else {
        // Every format's own map names its disc number DISCNUMBER ("2/2"),
        // and keeps the stored track text ("7/12"); the generic tag's map
        // would give the number alone.
        const TagLib::PropertyMap properties = ref.file()->properties();
        const auto discs = properties.find("DISCNUMBER");
        if (discs != properties.end() && !discs->second.isEmpty())
            disc = discs->second.front();
        if (stored.isEmpty()) {
            const auto entry = properties.find("TRACKNUMBER");
            if (entry != properties.end() && !entry->second.isEmpty())
                stored = entry->second.front();
        }
    }
    return placeOf(QString::fromStdString(stored.to8Bit(true)), QString::fromStdString(disc.to8Bit(true)));
}

QString ID3Parser::getAudioFileTrackNumber(const QUrl &url)
{
    return getAlbumPlace(url).track;
}
