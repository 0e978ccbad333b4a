#pragma once

#include <QList>
#include <QUrl>

class QWidget;

// The dialogs behind File > Add Files… and Add Folder…, answering with file
// URLs of the names' bytes, the way dropped files arrive.
namespace AddDialogs {
// The files chosen (the audio files TagLib reads, or any with the other
// filter); none when cancelled.
QList<QUrl> chooseFiles(QWidget *parent);
// The folder chosen, as a list of one; none when cancelled.
QList<QUrl> chooseFolder(QWidget *parent);
} // namespace AddDialogs
