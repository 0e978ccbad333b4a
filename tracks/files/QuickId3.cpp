#include "tracks/files/QuickId3.h"

#include "tracks/files/TagStream.h"

#include <array>
#include <cstring>

namespace {
constexpr long headerSize = 10;

quint32 bigEndian(const unsigned char *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// Seven bits per byte; nothing when a byte has its top bit set (a size some
// writers store plainly, which the full reading guesses at).
std::optional<quint32> synchsafe(const unsigned char *p)
{
    if ((p[0] | p[1] | p[2] | p[3]) & 0x80)
        return std::nullopt;
    return quint32(p[0]) << 21 | quint32(p[1]) << 14 | quint32(p[2]) << 7 | quint32(p[3]);
}

bool isIdByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The first non-empty value of a text frame (values end at a zero byte), when
// it is stored as ISO-8859-1 or UTF-8 and holds printable ASCII only.
std::optional<QByteArray> plainText(const QByteArray &data)
{
    if (data.size() < 2 || (data.at(0) != 0 && data.at(0) != 3))
        return std::nullopt;
    QByteArray value;
    for (qsizetype i = 1; i < data.size(); ++i) {
        const auto c = static_cast<unsigned char>(data.at(i));
        if (c == 0) {
            if (!value.isEmpty())
                break;
            continue;
        }
        if (c < 0x20 || c > 0x7E)
            return std::nullopt;
        value.append(char(c));
    }
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

// The length of the MPEG-1 Layer III frame whose header is h; 0 when h is
// no such header.
long frameLength(const unsigned char *h)
{
    static constexpr std::array<int, 15> kilobits{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr std::array<int, 3> rates{44100, 48000, 32000};
    const int bitrate = h[2] >> 4, rate = (h[2] >> 2) & 3;
    if (h[0] != 0xFF || (h[1] & 0xFE) != 0xFA || bitrate == 0 || bitrate == 15 || rate == 3)
        return 0;
    return 144000L * kilobits[bitrate] / rates[rate] + ((h[2] >> 1) & 1);
}

// Audio starts at offset: a frame there, and right behind it another of the
// same kind (version, layer, sample rate, channels).
bool audioAt(TagStream &stream, long offset)
{
    unsigned char first[4], second[4];
    if (!stream.readInto(reinterpret_cast<char *>(first), 4, offset))
        return false;
    const long length = frameLength(first);
    return length > 4 && stream.readInto(reinterpret_cast<char *>(second), 4, offset + length)
           && frameLength(second) > 0 && (first[1] & 0xFE) == (second[1] & 0xFE)
           && (first[2] & 0x0C) == (second[2] & 0x0C) && (first[3] & 0xC0) == (second[3] & 0xC0);
}

// An APE tag ends the file, or sits before an ID3v1 tag.
bool apeTagAtEnd(TagStream &stream, long size)
{
    for (const long back : {32L, 160L}) {
        char mark[8];
        if (size >= back && stream.readInto(mark, 8, size - back) && std::memcmp(mark, "APETAGEX", 8) == 0)
            return true;
    }
    return false;
}
} // namespace

std::optional<QuickId3::Texts> QuickId3::read(TagStream &stream)
{
    unsigned char header[headerSize];
    if (!stream.isOpen() || !stream.readInto(reinterpret_cast<char *>(header), headerSize, 0))
        return std::nullopt;
    const int version = header[3];
    if (std::memcmp(header, "ID3", 3) != 0 || (version != 3 && version != 4) || header[4] == 0xFF || header[5] != 0)
        return std::nullopt;
    const std::optional<quint32> tagSize = synchsafe(header + 6);
    if (!tagSize)
        return std::nullopt;
    const long end = headerSize + long(*tagSize);

    std::optional<QByteArray> track, disc;
    for (long at = headerSize; at + headerSize <= end;) {
        unsigned char frame[headerSize];
        if (!stream.readInto(reinterpret_cast<char *>(frame), headerSize, at))
            return std::nullopt;
        if (frame[0] == 0)
            break; // padding
        if (!isIdByte(frame[0]) || !isIdByte(frame[1]) || !isIdByte(frame[2]) || !isIdByte(frame[3]))
            return std::nullopt;
        const std::optional<quint32> size = version == 4 ? synchsafe(frame + 4) : std::optional<quint32>(bigEndian(frame + 4));
        if (!size || *size == 0 || long(*size) > end - at - headerSize)
            return std::nullopt;
        std::optional<QByteArray> *const wanted = std::memcmp(frame, "TRCK", 4) == 0 ? &track
                                                  : std::memcmp(frame, "TPOS", 4) == 0 ? &disc
                                                                                       : nullptr;
        if (wanted && !*wanted) { // the first frame of a kind is the one read
            if (frame[8] != 0 || frame[9] != 0)
                return std::nullopt;
            QByteArray data(qsizetype(*size), Qt::Uninitialized);
            if (!stream.readInto(data.data(), long(*size), at + headerSize))
                return std::nullopt;
            *wanted = plainText(data);
            if (!*wanted)
                return std::nullopt;
        }
        at += headerSize + long(*size);
    }
    if (!track || !audioAt(stream, end) || apeTagAtEnd(stream, stream.length()))
        return std::nullopt;
    return Texts{*track, disc.value_or(QByteArray())};
}
