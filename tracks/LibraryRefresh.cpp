#include "LibraryRefresh.h"

#include "ITunesApplication.h"

void refreshSingleFileFromItunesList(const QUrl &file)
{
    // A fresh handle each time: the library may have quit or restarted since.
    const ITunesApplication library =
        ITunesApplication::applicationWithBundleIdentifier(QStringLiteral("com.apple.iTunes"));
    if (!library.isRunning())
        return;
    ITunesTrack track = library.add({file});
    track.refresh();
    track.reveal();
}
