#pragma once

#include <QByteArray>

#include <optional>

class TagStream;

// The track and disc texts of an MP3 file of the kind nearly every one is,
// read straight from its bytes without building the tag's objects: an
// ID3v2.3 or 2.4 tag at the start with no tag-wide flags, the two text
// frames unflagged in ISO-8859-1 or UTF-8 holding plain ASCII, MPEG-1 Layer
// III audio right after the tag (two frames that agree), no APE tag. For
// such a file these are the texts the full reading finds. Anything else, or
// anything unusual in such a file, gives nothing, and the full reading
// decides. Only the frame headers are read, not what the other frames hold
// (cover art), so a file with large art costs a few small reads.
namespace QuickId3 {
struct Texts
{
    QByteArray track; // as stored ("7/12"), never empty
    QByteArray disc;  // as stored ("1/2"), empty when the tag has none
};
std::optional<Texts> read(TagStream &stream);
} // namespace QuickId3
