#pragma once

#include "tracks/lists/DropView.h"

// A list whose owner records every "items came in" it hears.
struct OwnedList : FileDropDelegate
{
    explicit OwnedList(int action)
    {
        view.setDelegate(this);
        view.setCurrentAction(action);
    }
    void fileDropped(const QList<QUrl> &items, DropView *from) override
    {
        calls.append(items);
        sender = from;
    }

    QList<QList<QUrl>> calls;
    DropView *sender = nullptr;
    DropView view;
};
