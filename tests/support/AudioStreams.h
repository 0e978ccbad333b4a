#pragma once

#include <QByteArray>

// The bytes of short, silent, valid audio streams in the formats tests use,
// built from each format's own headers and frames, without tags: the
// AudioFiles writer stores them and tags them through TagLib.
namespace AudioStreams {
QByteArray flac();      // one frame of 16-bit mono FLAC at 44.1 kHz
QByteArray oggVorbis(); // Ogg Vorbis, ten silent short blocks
QByteArray oggOpus();   // Ogg Opus, ten empty 20 ms frames
QByteArray wav();       // 0.1 s of 16-bit mono PCM at 44.1 kHz
QByteArray aiff();      // the same as AIFF
QByteArray m4a();       // one silent AAC-LC frame in an MPEG-4 container
} // namespace AudioStreams
