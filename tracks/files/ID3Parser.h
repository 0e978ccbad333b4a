#pragma once

#include <QString>
#include <QUrl>

// Reads the track and disc numbers stored in an audio file's tags.
class ID3Parser
{
public:
    ID3Parser() = delete;
    // The normalised track-number text ("07", "12"), or "-" when the file has
    // none or cannot be read as audio.
    static QString getAudioFileTrackNumber(const QUrl &url);

    // Where a file stands in its album: the track-number text as above and
    // the disc number (1 when the file names none), read in one go.
    struct AlbumPlace
    {
        QString track;
        int disc = 1;
    };
    static AlbumPlace getAlbumPlace(const QUrl &url);
};
