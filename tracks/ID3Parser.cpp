#include "ID3Parser.h"

#include "Utils.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/aifffile.h>
#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/tiostream.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

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

    void seek(long offset, Position from) override
    {
        const long base = from == Beginning ? 0 : (from == Current ? m_position : m_size);
        m_position = std::max(0L, base + offset);
    }

    TagLib::ByteVector readBlock(unsigned long length) override
    {
        const long available = std::max(0L, m_size - m_position);
        const long wanted = long(std::min<unsigned long>(length, available));
        TagLib::ByteVector out(unsigned(wanted), '\0');
        long done = 0;
        if (wanted > blockSize) {
            // Large pieces (a tag holding cover art) skip the cache.
            done = readAt(out.data(), wanted, m_position);
        } else {
            while (done < wanted) {
                const long offset = m_position + done;
                const Block *block = blockAt(offset - offset % blockSize);
                const long inBlock = offset % blockSize;
                const long n = std::min(wanted - done, long(block->bytes.size()) - inBlock);
                if (n <= 0)
                    break; // the file is shorter than it was
                std::copy_n(block->bytes.data() + inBlock, n, out.data() + done);
                done += n;
            }
        }
        out.resize(unsigned(done));
        m_position += done;
        return out;
    }

private:
    static constexpr long blockSize = 16 * 1024;
    static constexpr size_t maxBlocks = 8;

    struct Block
    {
        long offset;
        std::vector<char> bytes;
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

    const Block *blockAt(long offset)
    {
        for (const Block &block : m_blocks)
            if (block.offset == offset)
                return &block;
        if (m_blocks.size() == maxBlocks)
            m_blocks.erase(m_blocks.begin());
        Block block{offset, std::vector<char>(size_t(std::min(blockSize, std::max(0L, m_size - offset))))};
        block.bytes.resize(size_t(readAt(block.bytes.data(), long(block.bytes.size()), offset)));
        m_blocks.push_back(std::move(block));
        return &m_blocks.back();
    }

    int m_fd;
    QByteArray m_name;
    long m_size;
    long m_position = 0;
    std::vector<Block> m_blocks;
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

// RIFF formats carry their audio description in a chunk TagLib reads with
// the tags anyway; only those are worth asking for audio properties.
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
    QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a FIFO does not wait for a writer; then only
    // regular files go on (a folder opens but reads nothing).
    const FileDescriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat info = {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return noNumber;

    CachedFileStream stream(file.fd, std::move(name), long(info.st_size));
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
