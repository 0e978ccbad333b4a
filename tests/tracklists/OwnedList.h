#pragma once

#include "DropView.h"

// A list's owner that records every "items came in" it hears, and a list of a
// given kind owned by one.
struct RecordingOwner : FileDropDelegate
{
    QList<QList<QUrl>> calls;
    DropView *sender = nullptr;
    void fileDropped(const QList<QUrl> &items, DropView *from) override
    {
        calls.append(items);
        sender = from;
    }
};

struct OwnedList
{
    explicit OwnedList(int action)
    {
        view.setDelegate(&owner);
        view.setCurrentAction(action);
    }

    RecordingOwner owner;
    DropView view;
};
