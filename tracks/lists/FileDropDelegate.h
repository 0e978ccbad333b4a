#pragma once

#include <QList>
#include <QUrl>

class DropView;

// Implemented by the tool that owns a DropView: told when items came in, so it
// can sort or reload its table and show the list in place of its drop hint.
class FileDropDelegate
{
public:
    virtual ~FileDropDelegate() = default;
    // items: what was dropped (file lists, duplicates included) or the files of
    // the library's selected tracks (track lists).
    virtual void fileDropped(const QList<QUrl> &items, DropView *sender) = 0;
};
