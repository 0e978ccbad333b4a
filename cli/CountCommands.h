#pragma once

#include <QByteArrayList>

// play-count and rating: the Play Count and Rating tools on the tracks
// behind the files, through the running library.
namespace CountCommands {
int playCount(const QByteArrayList &arguments);
int rating(const QByteArrayList &arguments);
} // namespace CountCommands
