#include "tracks/library/LibraryRefresh.h"

#include "tracks/library/BusNameWatch.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/library/ITunesCallWindow.h"

#include <optional>

namespace {
// Calls on the way per batch: enough to keep the library busy while the
// answers travel back, few enough that a stop waits for little.
constexpr int callsOnTheWay = 16;

// The batch open on this thread, if any. Per thread because its calls go out
// on the thread's own bus connection and only that thread may wait for them.
thread_local ITunesCallWindow *t_window = nullptr;

// Inside a batch, the library as last worked out, and the state of the bus
// names it was worked out from: asked again only once that state changes, not
// once per file of a long run.
struct KnownLibrary
{
    quint64 changes = 0;
    std::optional<ITunesApplication> running; // none: no library runs
};
thread_local std::optional<KnownLibrary> t_known;

std::optional<ITunesApplication> runningLibrary()
{
    const auto now = [] {
        const ITunesApplication library = ITunesApplication::iTunes();
        return library.isRunning() ? std::optional<ITunesApplication>(library) : std::nullopt;
    };
    if (!t_window)
        return now();
    const quint64 changes = BusNameWatch::changes(); // before asking: a change meanwhile asks again next time
    if (!t_known || t_known->changes != changes)
        t_known = KnownLibrary{changes, now()};
    return t_known->running;
}
} // namespace

void refreshSingleFileFromItunesList(const QUrl &file)
{
    // A fresh handle whenever the bus says a library came or went.
    const std::optional<ITunesApplication> running = runningLibrary();
    if (!running)
        return;
    const ITunesApplication &library = *running;
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
    t_known.reset();
}

LibraryRefreshBatch::~LibraryRefreshBatch()
{
    finish();
    t_window = m_outer;
    t_known.reset();
}

void LibraryRefreshBatch::finish()
{
    m_window->waitForAll();
}
