#pragma once

#include <QString>
#include <QUrl>

// Reads the track number stored in an audio file's tags.
class ID3Parser
{
public:
    ID3Parser() = delete;
    // The normalised track-number text ("07", "12"), or "-" when the file has
    // none or cannot be read as audio.
    static QString getAudioFileTrackNumber(const QUrl &url);
};
