#pragma once

#include <QByteArray>

#include <taglib/tiostream.h>

#include <array>

// A read-only file for TagLib, opened by the bytes of its name, with two
// properties a plain file stream lacks:
// - It is cheap. TagLib reads in small pieces and asks for the length and
//   position again and again; here the pieces come from a few cached blocks
//   read with pread, so reading a file's tags costs a handful of calls.
// - Its work is bounded. TagLib looks for a format's marks through the
//   whole file, piece by piece (an MPEG frame, an Ogg page, "fLaC"): for a
//   large file that only has an audio name that takes seconds. After
//   readBudget bytes the stream reads as ended, and overBudget() says so;
//   such a file counts as no audio.
// Only regular files open (not FIFOs or devices), without waiting.
class TagStream : public TagLib::IOStream
{
public:
    // Tags of real files, cover art included, are a small part of this.
    static constexpr long readBudget = 64L * 1024 * 1024;

    explicit TagStream(const QByteArray &path);
    ~TagStream() override;
    TagStream(const TagStream &) = delete;
    TagStream &operator=(const TagStream &) = delete;

    bool overBudget() const { return m_overBudget; }
    long bytesRead() const { return m_spent; }

    TagLib::FileName name() const override { return m_name.constData(); }
    bool readOnly() const override { return true; }
    bool isOpen() const override { return m_fd >= 0; }
    long tell() const override { return m_position; }
    long length() override { return m_size; }
    void writeBlock(const TagLib::ByteVector &) override {}
    void insert(const TagLib::ByteVector &, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    void truncate(long) override {}
    void seek(long offset, Position from = Beginning) override;
    TagLib::ByteVector readBlock(unsigned long length) override;
    // length bytes from offset into a buffer of the caller's, through the
    // same blocks and budget; false when the file holds fewer.
    bool readInto(char *into, long length, long offset);

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

    long readAt(char *into, long length, long offset);
    // Copies through the cached blocks; the number of bytes there were.
    long fromBlocks(char *into, long length, long offset);
    const Block &blockAt(long offset);

    int m_fd = -1;
    QByteArray m_name;
    long m_size = 0;
    long m_position = 0;
    long m_spent = 0;
    bool m_overBudget = false;
    std::array<Block, blockCount> m_blocks;
    size_t m_nextBlock = 0;
};
