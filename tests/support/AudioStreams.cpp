#include "tests/support/AudioStreams.h"

#include <QCryptographicHash>
#include <QList>

#include <array>

namespace {
// Big- and little-endian integers appended to a byte buffer.
void be16(QByteArray &out, quint32 v)
{
    out.append(char(v >> 8)).append(char(v));
}
void be24(QByteArray &out, quint32 v)
{
    out.append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}
void be32(QByteArray &out, quint32 v)
{
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}
void le16(QByteArray &out, quint32 v)
{
    out.append(char(v)).append(char(v >> 8));
}
void le32(QByteArray &out, quint32 v)
{
    out.append(char(v)).append(char(v >> 8)).append(char(v >> 16)).append(char(v >> 24));
}
void le64(QByteArray &out, quint64 v)
{
    le32(out, quint32(v));
    le32(out, quint32(v >> 32));
}

// --- FLAC -------------------------------------------------------------------

quint8 crc8(const QByteArray &data)
{
    quint8 crc = 0;
    for (char c : data) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x80) ? quint8((crc << 1) ^ 0x07) : quint8(crc << 1);
    }
    return crc;
}

quint16 crc16(const QByteArray &data)
{
    quint16 crc = 0;
    for (char c : data) {
        crc ^= quint16(quint8(c)) << 8;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x8005) : quint16(crc << 1);
    }
    return crc;
}

} // namespace

QByteArray AudioStreams::flac()
{
    constexpr quint32 blockSize = 4096;
    constexpr quint32 sampleRate = 44100;

    // One frame: fixed block size 4096, 44.1 kHz, mono, 16 bits, frame 0,
    // then a single CONSTANT subframe of value 0.
    QByteArray frame;
    frame.append(char(0xFF)).append(char(0xF8)).append(char(0xC9)).append(char(0x08)).append('\0');
    frame.append(char(crc8(frame)));
    frame.append('\0');        // padding bit, CONSTANT, no wasted bits
    be16(frame, 0);            // the constant sample value
    be16(frame, crc16(frame)); // frame footer

    // The stream's checksum is that of the decoded samples, here all zero.
    const QByteArray samples(int(blockSize * 2), '\0');
    const QByteArray md5 = QCryptographicHash::hash(samples, QCryptographicHash::Md5);

    QByteArray info;
    be16(info, blockSize);
    be16(info, blockSize);
    be24(info, quint32(frame.size()));
    be24(info, quint32(frame.size()));
    // 20 bits rate, 3 bits channels - 1, 5 bits bits-per-sample - 1, 36 bits total samples.
    const quint64 packed = (quint64(sampleRate) << 44) | (quint64(0) << 41) | (quint64(15) << 36) | blockSize;
    be32(info, quint32(packed >> 32));
    be32(info, quint32(packed));
    info.append(md5);

    // An empty Vorbis comment block, as encoders write one. TagLib fills a
    // FLAC file that has none from its other tags, and that copying deletes
    // a track number of value 0 ("0", "A").
    QByteArray comment;
    const QByteArray vendor("melvora test support");
    le32(comment, quint32(vendor.size()));
    comment.append(vendor);
    le32(comment, 0);

    QByteArray out("fLaC");
    out.append(char(0x00)); // STREAMINFO
    be24(out, quint32(info.size()));
    out.append(info);
    out.append(char(0x84)); // last metadata block, VORBIS_COMMENT
    be24(out, quint32(comment.size()));
    out.append(comment);
    out.append(frame);
    return out;
}

namespace {

// --- Ogg Opus ---------------------------------------------------------------

quint32 oggCrc(const QByteArray &data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 r = i << 24;
            for (int j = 0; j < 8; ++j)
                r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : (r << 1);
            t[i] = r;
        }
        return t;
    }();
    quint32 crc = 0;
    for (char c : data)
        crc = (crc << 8) ^ table[((crc >> 24) ^ quint8(c)) & 0xFF];
    return crc;
}

// One page holding whole packets (each shorter than 255 bytes).
QByteArray oggPage(const QList<QByteArray> &packets, quint8 flags, quint64 granule, quint32 sequence)
{
    constexpr quint32 serial = 0x4D4C5652;
    QByteArray page("OggS");
    page.append('\0').append(char(flags));
    le64(page, granule);
    le32(page, serial);
    le32(page, sequence);
    le32(page, 0); // checksum, filled in below
    page.append(char(packets.size()));
    for (const QByteArray &p : packets)
        page.append(char(p.size()));
    for (const QByteArray &p : packets)
        page.append(p);
    const quint32 crc = oggCrc(page);
    for (int i = 0; i < 4; ++i)
        page[22 + i] = char(crc >> (8 * i));
    return page;
}

} // namespace

QByteArray AudioStreams::oggOpus()
{
    constexpr quint32 preSkip = 312;
    constexpr int frames = 10;
    constexpr quint64 samplesPerFrame = 960; // 20 ms at 48 kHz

    QByteArray head("OpusHead");
    head.append(char(1)).append(char(1)); // version, one channel
    le16(head, preSkip);
    le32(head, 44100); // the rate of the source, for information only
    le16(head, 0);     // output gain
    head.append('\0'); // mapping family 0

    QByteArray tags("OpusTags");
    const QByteArray vendor("melvora test support");
    le32(tags, quint32(vendor.size()));
    tags.append(vendor);
    le32(tags, 0);

    // A packet of just its table-of-contents byte (CELT, full band, 20 ms,
    // mono, one frame) carries an empty frame, which decodes to silence.
    QList<QByteArray> audio;
    for (int i = 0; i < frames; ++i)
        audio.append(QByteArray(1, char(0xF8)));

    QByteArray out = oggPage({head}, 0x02, 0, 0);
    out.append(oggPage({tags}, 0x00, 0, 1));
    out.append(oggPage(audio, 0x04, frames * samplesPerFrame, 2));
    return out;
}

namespace {

// Vorbis packs its headers least significant bit first.
class BitWriter
{
public:
    void put(quint32 value, int bits)
    {
        for (int i = 0; i < bits; ++i) {
            if (m_used == 0)
                m_bytes.append('\0');
            if ((value >> i) & 1)
                m_bytes[m_bytes.size() - 1] = char(quint8(m_bytes.back()) | (1u << m_used));
            m_used = (m_used + 1) % 8;
        }
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    int m_used = 0;
};

} // namespace

QByteArray AudioStreams::oggVorbis()
{
    constexpr int packets = 10;
    constexpr quint64 samplesPerPacket = 128; // half the short block of 256

    QByteArray identification("\x01vorbis", 7);
    le32(identification, 0);     // version
    identification.append('\1'); // one channel
    le32(identification, 44100);
    le32(identification, 0);        // maximum bit rate: unset
    le32(identification, 64000);    // nominal
    le32(identification, 0);        // minimum: unset
    identification.append('\xB8');  // block sizes 2^8 and 2^11
    identification.append('\1');    // framing

    QByteArray comment("\x03vorbis", 7);
    const QByteArray vendor("melvora test support");
    le32(comment, quint32(vendor.size()));
    comment.append(vendor);
    le32(comment, 0);
    comment.append('\1');

    // The smallest setup that decodes: one codebook of two one-bit words, a
    // floor 1 without partitions, an empty residue 0, one mapping, one mode
    // of short blocks.
    BitWriter setup;
    for (char c : QByteArray("\x05vorbis", 7))
        setup.put(quint8(c), 8);
    setup.put(0, 8);         // one codebook
    setup.put(0x564342, 24); // codebook sync
    setup.put(1, 16);        // dimensions
    setup.put(2, 24);        // entries
    setup.put(0, 1);         // not ordered
    setup.put(0, 1);         // not sparse
    setup.put(0, 5);         // first word: length 1
    setup.put(0, 5);         // second word: length 1
    setup.put(0, 4);         // no value lookup
    setup.put(0, 6);         // one time-domain transform
    setup.put(0, 16);        // ... which is a placeholder
    setup.put(0, 6);         // one floor
    setup.put(1, 16);        // of type 1
    setup.put(0, 5);         // no partitions
    setup.put(0, 2);         // multiplier 1
    setup.put(0, 4);         // range bits
    setup.put(0, 6);         // one residue
    setup.put(0, 16);        // of type 0
    setup.put(0, 24);        // begin
    setup.put(0, 24);        // end
    setup.put(0, 24);        // partition size 1
    setup.put(0, 6);         // one classification
    setup.put(0, 8);         // classbook 0
    setup.put(0, 3);         // cascade: no books
    setup.put(0, 1);
    setup.put(0, 6);         // one mapping
    setup.put(0, 16);        // of type 0
    setup.put(0, 1);         // one submap
    setup.put(0, 1);         // no coupling
    setup.put(0, 2);         // reserved
    setup.put(0, 8);         // submap: unused time configuration
    setup.put(0, 8);         // floor 0
    setup.put(0, 8);         // residue 0
    setup.put(0, 6);         // one mode
    setup.put(0, 1);         // short blocks
    setup.put(0, 16);        // window type
    setup.put(0, 16);        // transform type
    setup.put(0, 8);         // mapping 0
    setup.put(1, 1);         // framing

    // An audio packet whose only channel has its floor switched off: silence.
    QList<QByteArray> audio;
    for (int i = 0; i < packets; ++i)
        audio.append(QByteArray(1, '\0'));

    QByteArray out = oggPage({identification}, 0x02, 0, 0);
    out.append(oggPage({comment, setup.bytes()}, 0x00, 0, 1));
    // The first packet only primes the overlap; each later one adds half a block.
    out.append(oggPage(audio, 0x04, (packets - 1) * samplesPerPacket, 2));
    return out;
}

namespace {

// --- WAV, AIFF --------------------------------------------------------------

constexpr quint32 pcmFrames = 4410;

} // namespace

QByteArray AudioStreams::wav()
{
    QByteArray fmt;
    le16(fmt, 1);     // PCM
    le16(fmt, 1);     // mono
    le32(fmt, 44100); // sample rate
    le32(fmt, 88200); // bytes per second
    le16(fmt, 2);     // block align
    le16(fmt, 16);    // bits per sample

    QByteArray body("WAVE");
    body.append("fmt ");
    le32(body, quint32(fmt.size()));
    body.append(fmt);
    body.append("data");
    le32(body, pcmFrames * 2);
    body.append(QByteArray(int(pcmFrames * 2), '\0'));

    QByteArray out("RIFF");
    le32(out, quint32(body.size()));
    out.append(body);
    return out;
}

QByteArray AudioStreams::aiff()
{
    QByteArray comm;
    be16(comm, 1);         // channels
    be32(comm, pcmFrames); // sample frames
    be16(comm, 16);        // bits per sample
    // 44100 as an 80-bit IEEE extended number.
    be16(comm, 0x400E);
    be32(comm, 0xAC440000u);
    be32(comm, 0);

    QByteArray body("AIFF");
    body.append("COMM");
    be32(body, quint32(comm.size()));
    body.append(comm);
    body.append("SSND");
    be32(body, 8 + pcmFrames * 2);
    be32(body, 0); // offset
    be32(body, 0); // block size
    body.append(QByteArray(int(pcmFrames * 2), '\0'));

    QByteArray out("FORM");
    be32(out, quint32(body.size()));
    out.append(body);
    return out;
}

namespace {

// --- M4A --------------------------------------------------------------------

QByteArray atom(const char *type, const QByteArray &payload)
{
    QByteArray out;
    be32(out, quint32(8 + payload.size()));
    out.append(type, 4);
    out.append(payload);
    return out;
}

QByteArray fullAtom(const char *type, quint32 versionAndFlags, const QByteArray &payload)
{
    QByteArray body;
    be32(body, versionAndFlags);
    return atom(type, body + payload);
}

QByteArray unityMatrix()
{
    QByteArray m;
    for (quint32 v : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u})
        be32(m, v);
    return m;
}

// A descriptor of the elementary stream descriptor box; every length here fits one byte.
QByteArray descriptor(quint8 tag, const QByteArray &payload)
{
    QByteArray out;
    out.append(char(tag)).append(char(payload.size()));
    return out + payload;
}

} // namespace

QByteArray AudioStreams::m4a()
{
    constexpr quint32 rate = 44100;
    constexpr quint32 frameSamples = 1024;
    // One AAC-LC raw data block: a mono channel element with global gain 100
    // and no scale factor bands (silence), then the end element.
    const QByteArray aacFrame("\x00\xC8\x00\x07", 4);

    QByteArray ftypBody("M4A ");
    be32(ftypBody, 0);
    ftypBody.append("M4A mp42isom");
    const QByteArray ftyp = atom("ftyp", ftypBody);
    const QByteArray mdat = atom("mdat", aacFrame);
    const quint32 sampleOffset = quint32(ftyp.size() + 8);

    QByteArray mvhd;
    be32(mvhd, 0);
    be32(mvhd, 0);
    be32(mvhd, rate);
    be32(mvhd, frameSamples);
    be32(mvhd, 0x00010000); // rate 1.0
    be16(mvhd, 0x0100);     // volume 1.0
    mvhd.append(QByteArray(10, '\0'));
    mvhd.append(unityMatrix());
    mvhd.append(QByteArray(24, '\0'));
    be32(mvhd, 2); // next track id

    QByteArray tkhd;
    be32(tkhd, 0);
    be32(tkhd, 0);
    be32(tkhd, 1); // track id
    be32(tkhd, 0);
    be32(tkhd, frameSamples);
    tkhd.append(QByteArray(8, '\0'));
    be16(tkhd, 0);      // layer
    be16(tkhd, 0);      // alternate group
    be16(tkhd, 0x0100); // volume
    be16(tkhd, 0);
    tkhd.append(unityMatrix());
    be32(tkhd, 0); // width
    be32(tkhd, 0); // height

    QByteArray mdhd;
    be32(mdhd, 0);
    be32(mdhd, 0);
    be32(mdhd, rate);
    be32(mdhd, frameSamples);
    be16(mdhd, 0x55C4); // language "und"
    be16(mdhd, 0);

    QByteArray hdlr;
    be32(hdlr, 0);
    hdlr.append("soun");
    hdlr.append(QByteArray(12, '\0'));
    hdlr.append("SoundHandler", 13); // with its terminating zero

    QByteArray decoderConfig;
    decoderConfig.append(char(0x40)); // MPEG-4 audio
    decoderConfig.append(char(0x15)); // audio stream
    be24(decoderConfig, 0);           // buffer size
    be32(decoderConfig, 128000);      // maximum bit rate
    be32(decoderConfig, 128000);      // average bit rate
    decoderConfig.append(descriptor(0x05, QByteArray("\x12\x08", 2))); // AAC-LC, 44.1 kHz, mono
    QByteArray es;
    be16(es, 0); // stream id
    es.append('\0');
    es.append(descriptor(0x04, decoderConfig));
    es.append(descriptor(0x06, QByteArray("\x02", 1)));
    const QByteArray esds = fullAtom("esds", 0, descriptor(0x03, es));

    QByteArray mp4a(6, '\0');
    be16(mp4a, 1); // data reference index
    mp4a.append(QByteArray(8, '\0'));
    be16(mp4a, 1);  // channels
    be16(mp4a, 16); // sample size
    be16(mp4a, 0);
    be16(mp4a, 0);
    be32(mp4a, rate << 16);
    mp4a.append(esds);

    QByteArray stsd;
    be32(stsd, 1);
    stsd.append(atom("mp4a", mp4a));
    QByteArray stts;
    be32(stts, 1);
    be32(stts, 1);
    be32(stts, frameSamples);
    QByteArray stsc;
    be32(stsc, 1);
    be32(stsc, 1);
    be32(stsc, 1);
    be32(stsc, 1);
    QByteArray stsz;
    be32(stsz, 0);
    be32(stsz, 1);
    be32(stsz, quint32(aacFrame.size()));
    QByteArray stco;
    be32(stco, 1);
    be32(stco, sampleOffset);
    const QByteArray stbl = atom("stbl", fullAtom("stsd", 0, stsd) + fullAtom("stts", 0, stts)
                                             + fullAtom("stsc", 0, stsc) + fullAtom("stsz", 0, stsz)
                                             + fullAtom("stco", 0, stco));

    QByteArray dref;
    be32(dref, 1);
    dref.append(fullAtom("url ", 1, {})); // media data in this file
    QByteArray smhd;
    be32(smhd, 0);
    const QByteArray minf = atom("minf", fullAtom("smhd", 0, smhd) + atom("dinf", fullAtom("dref", 0, dref)) + stbl);
    const QByteArray mdia = atom("mdia", fullAtom("mdhd", 0, mdhd) + fullAtom("hdlr", 0, hdlr) + minf);
    const QByteArray trak = atom("trak", fullAtom("tkhd", 7, tkhd) + mdia);
    // The media data comes before the movie box, so that growing the movie
    // box with tags moves no sample.
    return ftyp + mdat + atom("moov", fullAtom("mvhd", 0, mvhd) + trak);
}

