#include "tracks/files/ID3Parser.h"

#include "app/common/Utils.h"
#include "tracks/files/FileDates.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/aifffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/xiphcomment.h>
#include <taglib/tiostream.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace {
const QString noNumber = QStringLiteral("-");

// A read-only view of an open file for TagLib. TagLib reads in small pieces
// and asks for the length and position again and again; on a plain file
// stream each of those is a system call. Here the pieces come from a few
// cached blocks read with pread, so reading a file's tags costs a handful of
// calls, whatever TagLib does.
class CachedFileStream : public TagLib::IOStream
{
public:
    CachedFileStream(int fd, QByteArray name, long size) : m_fd(fd), m_name(std::move(name)), m_size(size) {}

    TagLib::FileName name() const override { return m_name.constData(); }
    bool readOnly() const override { return true; }
    bool isOpen() const override { return m_fd >= 0; }
    long tell() const override { return m_position; }
    long length() override { return m_size; }
    void writeBlock(const TagLib::ByteVector &) override {}
    void insert(const TagLib::ByteVector &, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}

    void seek(long offset, Position from = Beginning) override
    {
        const long base = from == Beginning ? 0 : (from == Current ? m_position : m_size);
        m_position = std::max(0L, base + offset);
    }

    TagLib::ByteVector readBlock(unsigned long length) override
    {
        const long available = std::max(0L, m_size - m_position);
        const long wanted = long(std::min<unsigned long>(length, available));
        const long inFirst = m_position % blockSize;
        if (wanted <= blockSize - inFirst) {
            // Within one block, as most of TagLib's reads are.
            const Block &block = blockAt(m_position - inFirst);
            const long n = std::max(0L, std::min(wanted, block.size - inFirst));
            m_position += n;
            return TagLib::ByteVector(block.bytes.data() + inFirst, unsigned(n));
        }
        TagLib::ByteVector out(unsigned(wanted), '\0');
        long done = 0;
        if (wanted > blockSize) {
            // Large pieces (a tag holding cover art) skip the cache.
            done = readAt(out.data(), wanted, m_position);
        } else {
            while (done < wanted) {
                const long offset = m_position + done;
                const Block &block = blockAt(offset - offset % blockSize);
                const long inBlock = offset % blockSize;
                const long n = std::min(wanted - done, block.size - inBlock);
                if (n <= 0)
                    break; // the file is shorter than it was
                std::copy_n(block.bytes.data() + inBlock, n, out.data() + done);
                done += n;
            }
        }
        out.resize(unsigned(done));
        m_position += done;
        return out;
    }

private:
    // The blocks live inside the stream (on the reader's stack): one heap
    // block per file would cost more than the reading, as a large allocation
    // makes malloc tidy its free lists.
    static constexpr long blockSize = 8 * 1024;
    static constexpr size_t blockCount = 6;

    struct Block
    {
        long offset = -1;
        long size = 0;
        std::array<char, blockSize> bytes;
    };

    long readAt(char *into, long length, long offset) const
    {
        long done = 0;
        while (done < length) {
            const ssize_t n = ::pread(m_fd, into + done, size_t(length - done), off_t(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        return done;
    }

    const Block &blockAt(long offset)
    {
        for (const Block &block : m_blocks)
            if (block.offset == offset)
                return block;
        Block &block = m_blocks[m_nextBlock];
        m_nextBlock = (m_nextBlock + 1) % blockCount;
        block.offset = offset;
        block.size = readAt(block.bytes.data(), std::min(blockSize, std::max(0L, m_size - offset)), offset);
        return block;
    }

    int m_fd;
    QByteArray m_name;
    long m_size;
    long m_position = 0;
    std::array<Block, blockCount> m_blocks;
    size_t m_nextBlock = 0;
};

// Closes the descriptor on every way out.
struct FileDescriptor
{
    int fd;
    ~FileDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Length in bytes of the MPEG audio frame whose header starts at p, or 0
// when the four bytes are no valid frame header.
long mpegFrameLength(const unsigned char *p)
{
    static constexpr int bitrates[2][3][15] = {
        // MPEG-1: layer I, II, III (kbit/s by index, 0 = free format)
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        // MPEG-2 and 2.5
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
    };
    static constexpr int rates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return 0;
    const int version = (p[1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
    const int layer = (p[1] >> 1) & 3;   // 1: III, 2: II, 3: I
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    const long bitrate = bitrates[version == 3 ? 0 : 1][3 - layer][bitrateIndex] * 1000L;
    const long rate = rates[version][rateIndex];
    const long padding = (p[2] >> 1) & 1;
    if (layer == 3)
        return (12 * bitrate / rate + padding) * 4;
    if (layer == 1 && version != 3)
        return 72 * bitrate / rate + padding;
    return 144 * bitrate / rate + padding;
}

// Whether an MPEG audio frame follows the file's ID3v2 tag closely, the way
// encoders write it. TagLib looks for the first frame through the whole
// file, byte by byte: for a large file that only has an .mp3 name that takes
// seconds, so a file that fails this bounded look never reaches it.
bool mpegAudioNearStart(TagLib::IOStream &stream)
{
    constexpr unsigned long window = 64 * 1024;
    stream.seek(0);
    const TagLib::ByteVector header = stream.readBlock(10);
    long start = 0;
    if (header.size() == 10 && header.startsWith("ID3")) {
        const auto b = [&header](int i) { return long(static_cast<unsigned char>(header[i]) & 0x7F); };
        start = 10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9)) + ((header[5] & 0x10) ? 10 : 0);
    }
    stream.seek(start);
    const TagLib::ByteVector data = stream.readBlock(window + 4);
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.data());
    const long size = long(data.size());
    const long fileEnd = stream.length();
    for (long i = 0; i + 4 <= size && i < long(window); ++i) {
        const long length = mpegFrameLength(bytes + i);
        if (length <= 0)
            continue;
        const long next = i + length;
        // A frame counts when another one follows it with the same version,
        // layer and rate, or when it is the last thing in the file.
        if (start + next >= fileEnd)
            return true;
        if (next + 4 <= size && mpegFrameLength(bytes + next) > 0 && bytes[next + 1] == bytes[i + 1]
            && (bytes[next + 2] & 0x0C) == (bytes[i + 2] & 0x0C))
            return true;
    }
    return false;
}

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

bool openedAsMpeg(const QString &suffix)
{
    return suffix == u"mp3" || suffix == u"mp2" || suffix == u"aac";
}

// RIFF formats carry their audio description in a chunk TagLib reads with
// the tags anyway; only those are worth asking for audio properties.
bool wantsAudioProperties(const QString &suffix)
{
    return suffix == u"wav" || suffix == u"aif" || suffix == u"aiff" || suffix == u"aifc";
}
} // namespace

ID3Parser::AlbumPlace ID3Parser::getAlbumPlace(const QUrl &url)
{
    AlbumPlace none{noNumber, 1};
    if (!url.isLocalFile())
        return none;
    const QString path = url.toLocalFile();
    QByteArray name = FileDates::systemName(path);
    if (name.isEmpty())
        return none;
    // Non-blocking, so that a FIFO does not wait for a writer; then only
    // regular files go on (a folder opens but reads nothing).
    const FileDescriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat info = {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return none;

    CachedFileStream stream(file.fd, std::move(name), long(info.st_size));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (openedAsMpeg(suffix) && !mpegAudioNearStart(stream))
        return none;
    stream.seek(0);
    const TagLib::FileRef ref(&stream, wantsAudioProperties(suffix));
    if (ref.isNull() || !ref.file()->isValid() || !holdsAudio(ref.file()))
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
