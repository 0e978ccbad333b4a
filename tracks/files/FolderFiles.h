#pragma once

#include <QList>
#include <QUrl>

// What a drop onto a file list means: a folder stands for the audio files it
// holds, as the library takes a folder dropped on it.
namespace FolderFiles {
// Whether the name is one TagLib reads as audio (by its suffix).
bool isAudioName(const QByteArray &path);
// Those suffixes, lower case, sorted ("aac", "aif", …).
QList<QByteArray> audioSuffixes();
// The dropped URLs with every folder replaced by the audio files below it,
// in path order (links to folders are not followed, so a loop cannot hold
// the drop); other URLs stay as they are, in dropped order.
QList<QUrl> expanded(const QList<QUrl> &dropped);
} // namespace FolderFiles
