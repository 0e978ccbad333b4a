#include "LibraryRefresh.h"

#include "ITunesApplication.h"

void refreshSingleFileFromItunesList(const QUrl &file)
{
    // A fresh handle each time: the library may have quit or restarted since.
    const ITunesApplication library =
        ITunesApplication::applicationWithBundleIdentifier(QStringLiteral("com.apple.iTunes"));
    if (!library.isRunning())
        return;
    // add, refresh and reveal as one call: the three answers would each cost
    // a trip through the bus, and a run makes this call for every file.
    library.addRefreshReveal(file);
}
