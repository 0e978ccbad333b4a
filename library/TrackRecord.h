#pragma once

#include <QString>
#include <QVariantMap>

#include <algorithm>

// One track of the library as stored and as answered over the bus.
struct TrackRecord
{
    qint64 id = 0;
    QString name;
    QString artist;
    QString album;
    QString trackNumber; // as tagged: "7", "7/12", ""
    QString location;    // file URL, unique in the library
    qint64 dateAdded = 0;    // ms since the epoch
    qint64 dateModified = 0; // the file's mtime as last read, ms since the epoch
    int playedCount = 0;
    int rating = 0;

    static int clampPlayedCount(int count) { return std::max(count, 0); }
    static int clampRating(int rating) { return std::clamp(rating, 0, 100); }

    QVariantMap toVariantMap() const;
};
