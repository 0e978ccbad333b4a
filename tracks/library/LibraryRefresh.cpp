#include "tracks/library/LibraryRefresh.h"

#include "tracks/library/ITunesApplication.h"
#include "tracks/library/ITunesCallWindow.h"

namespace {
// Calls on the way per batch: enough to keep the library busy while the
// answers travel back, few enough that a stop waits for little.
constexpr int callsOnTheWay = 16;

// The batch open on this thread, if any. Per thread because its calls go out
// on the thread's own bus connection and only that thread may wait for them.
thread_local ITunesCallWindow *t_window = nullptr;
} // namespace

void refreshSingleFileFromItunesList(const QUrl &file)
{
    // A fresh handle each time: the library may have quit or restarted since.
    const ITunesApplication library =
        ITunesApplication::iTunes();
    if (!library.isRunning())
        return;
    // add, refresh and reveal as one call: the three answers would each cost
    // a trip through the bus, and a run makes this call for every file.
    if (t_window)
        t_window->addRefreshReveal(library, file);
    else
        library.addRefreshReveal(file);
}

LibraryRefreshBatch::LibraryRefreshBatch()
    : m_window(std::make_unique<ITunesCallWindow>(callsOnTheWay)), m_outer(t_window)
{
    t_window = m_window.get();
}

LibraryRefreshBatch::~LibraryRefreshBatch()
{
    finish();
    t_window = m_outer;
}

void LibraryRefreshBatch::finish()
{
    m_window->waitForAll();
}
