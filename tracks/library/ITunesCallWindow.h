#pragma once

#include "tracks/library/ITunesApplication.h"

#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

class BusCall;

// Calls of one thread that do not wait for their answers one by one: each is
// sent at once, and the thread waits only when `size` calls are on the way
// (for the oldest) or at waitForAll(). The library answers a thread's calls
// in the order they were sent, so what they do is what the same calls made
// one after the other would do. Each wait is bounded by the bridge's timeout.
//
// A window serves one run. Once one of its calls goes unanswered (it timed
// out, or the library went away) the window is cut off: the calls still on
// the way are collected without waiting, and every later call completes at
// once as "no result" without being sent. A hung library thus costs a run one
// timeout, not one per window of calls.
//
// Used and destroyed on the thread that made it; completions run on that
// thread, in the order the calls were made. Destroying it waits for every
// call still on the way.
class ITunesCallWindow
{
public:
    // Gets the library's stored value; nullopt when there is no track (the
    // file or the property was refused) or no answer.
    using StoredHandler = std::function<void(std::optional<int> stored)>;

    explicit ITunesCallWindow(int size);
    ~ITunesCallWindow();
    ITunesCallWindow(const ITunesCallWindow &) = delete;
    ITunesCallWindow &operator=(const ITunesCallWindow &) = delete;

    // As library.addRefreshReveal(file), without waiting for the answer.
    void addRefreshReveal(const ITunesApplication &library, const QUrl &file);
    // As library.addSetRefreshReveal(file, property, value); done gets the
    // stored value when the answer is collected.
    void addSetRefreshReveal(const ITunesApplication &library, const QUrl &file, const QString &property, int value,
                             StoredHandler done);
    // done(nullopt) in its turn, after the calls made before it, without a call.
    void skip(StoredHandler done);
    void waitForAll();

private:
    // A call on the way (or one not sent) and what to do with its answer:
    // the answered call, or nullptr for "no result".
    struct Entry
    {
        std::unique_ptr<BusCall> call;
        std::function<void(const BusCall *answered)> collect;
    };

    void enqueue(std::unique_ptr<BusCall> call, std::function<void(const BusCall *)> collect);
    void collectOldest();

    int m_size;
    bool m_cutOff = false;
    std::deque<Entry> m_entries;
};
