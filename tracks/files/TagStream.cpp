#include "tracks/files/TagStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

TagStream::TagStream(const QByteArray &path) : m_name(path)
{
    if (path.isEmpty() || path.contains('\0'))
        return;
    // Non-blocking, so that a FIFO does not wait for a writer; then only
    // regular files go on (a folder opens but reads nothing).
    m_fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info = {};
    if (m_fd >= 0 && (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_size = m_fd >= 0 ? long(info.st_size) : 0;
}

TagStream::~TagStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TagStream::seek(long offset, Position from)
{
    const long base = from == Beginning ? 0 : (from == Current ? m_position : m_size);
    m_position = std::max(0L, base + offset);
}

TagLib::ByteVector TagStream::readBlock(unsigned long length)
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
        done = fromBlocks(out.data(), wanted, m_position);
    }
    out.resize(unsigned(done));
    m_position += done;
    return out;
}

bool TagStream::readInto(char *into, long length, long offset)
{
    return length >= 0 && offset >= 0 && offset <= m_size - length && fromBlocks(into, length, offset) == length;
}

long TagStream::fromBlocks(char *into, long length, long offset)
{
    long done = 0;
    while (done < length) {
        const long at = offset + done;
        const Block &block = blockAt(at - at % blockSize);
        const long n = std::min(length - done, block.size - at % blockSize);
        if (n <= 0)
            break; // the file is shorter than it was, or the budget is spent
        std::copy_n(block.bytes.data() + at % blockSize, n, into + done);
        done += n;
    }
    return done;
}

long TagStream::readAt(char *into, long length, long offset)
{
    if (m_spent + length > readBudget) {
        m_overBudget = true;
        return 0;
    }
    long done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, into + done, size_t(length - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    m_spent += done;
    return done;
}

const TagStream::Block &TagStream::blockAt(long offset)
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
