#pragma once

#include <QtGlobal>

#include <algorithm>
#include <thread>
#include <vector>

// Works through items 0 .. count-1 as work(from, to) over a few stretches,
// each on its own thread, when the list is long enough for threads to pay;
// returns when every stretch is done. For work that mostly waits on the
// kernel (a stat per file) and writes only into its own items.
// How many threads work side by side on a list of count items, the
// caller's among them: one for a short list, where threads do not pay; at
// most four.
inline int sideBySideThreads(qsizetype count)
{
    constexpr qsizetype worthThreads = 1024;
    return count < worthThreads ? 1 : int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

template <typename Work>
void inStretches(qsizetype count, const Work &work)
{
    const qsizetype threads = sideBySideThreads(count);
    std::vector<std::jthread> helpers; // joined when this returns
    for (qsizetype t = 1; t < threads; ++t)
        helpers.emplace_back([&work, from = count * t / threads, to = count * (t + 1) / threads] { work(from, to); });
    work(0, count / threads);
}
