#pragma once

#include <QUrl>

#include <memory>

// Makes the music library read a changed file again and show it: asks whether
// the library runs (never starts it), then add (finds or adds the file's
// track), refresh and reveal, in one call. Safe from a worker thread; the
// call is bounded by the bridge's timeout. Inside a LibraryRefreshBatch it
// returns without waiting for the library's answer.
void refreshSingleFileFromItunesList(const QUrl &file);

class ITunesCallWindow;

// While one lives on a thread, refreshSingleFileFromItunesList() on that
// thread does not wait for the library's answer to each file: a few calls are
// on the way at once, which spares a batch of files a bus round trip each.
// finish() (or the end of the scope) waits for the rest, so that what the
// library shows afterwards is what one call after the other would leave.
class LibraryRefreshBatch
{
public:
    LibraryRefreshBatch();
    ~LibraryRefreshBatch();
    LibraryRefreshBatch(const LibraryRefreshBatch &) = delete;
    LibraryRefreshBatch &operator=(const LibraryRefreshBatch &) = delete;
    void finish();

private:
    std::unique_ptr<ITunesCallWindow> m_window;
    ITunesCallWindow *m_outer; // the batch this one is opened inside, if any
};
