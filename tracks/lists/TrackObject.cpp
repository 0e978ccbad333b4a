#include "tracks/lists/TrackObject.h"

TrackObject TrackObject::initWithName(const QString &name, const QString &artist, const QUrl &location,
                                      qint32 plays, qint32 rating)
{
    return TrackObject{name, artist, location, plays, plays, rating};
}
