#pragma once

#include <QString>
#include <QUrl>

// One library track as listed by the Play Count and Rating tools.
struct TrackObject
{
    QString name;
    QString artist;
    QUrl location;
    qint32 plays = 0;
    qint32 playsNew = 0;
    qint32 rating = 0;

    static TrackObject initWithName(const QString &name, const QString &artist, const QUrl &location,
                                    qint32 plays, qint32 rating);
};
