#pragma once

#include <QtGlobal>

#include <algorithm>
#include <thread>
#include <vector>

// Works through items 0 .. count-1 as work(from, to) over a few stretches,
// each on its own thread, when the list is long enough for threads to pay;
// returns when every stretch is done. For work that mostly waits on the
// kernel (a stat per file) and writes only into its own items.
template <typename Work>
void inStretches(qsizetype count, const Work &work)
{
    constexpr qsizetype worthThreads = 1024;
    const qsizetype threads = count < worthThreads ? 1 : std::clamp<qsizetype>(std::thread::hardware_concurrency(), 1, 4);
    std::vector<std::jthread> helpers; // joined when this returns
    for (qsizetype t = 1; t < threads; ++t)
        helpers.emplace_back([&work, from = count * t / threads, to = count * (t + 1) / threads] { work(from, to); });
    work(0, count / threads);
}
