#include "cli/MemoryReserve.h"

#include "app/common/Stretches.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <latch>
#include <limits>
#include <thread>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace {
// Below this many files the faults cost less than claiming the memory.
constexpr qsizetype worthReserving = 1000;
// What a file takes, as measured for a run over 10,000 files: on the main
// thread, and on each thread that works beside it.
constexpr qsizetype mainBytesPerFile = 800;
constexpr qsizetype threadBytesPerFile = 300;
// Blocks stay below the size the allocator would map on its own (and hand
// back at once when freed).
constexpr qsizetype largestBlock = 24 << 20;

#if defined(__GLIBC__)
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; older kernels refuse it, and the pages come one by one as before
#endif

// A block of the calling thread's arena whose pages are filled in one call.
void *filledBlock(qsizetype bytes)
{
    char *const block = static_cast<char *>(std::malloc(size_t(bytes)));
    if (!block)
        return nullptr;
    constexpr std::uintptr_t page = 4096;
    const auto from = (reinterpret_cast<std::uintptr_t>(block) + page - 1) & ~(page - 1);
    const auto to = (reinterpret_cast<std::uintptr_t>(block) + std::uintptr_t(bytes)) & ~(page - 1);
    if (to > from)
        ::madvise(reinterpret_cast<void *>(from), to - from, MADV_POPULATE_WRITE);
    return block;
}
#endif
} // namespace

void MemoryReserve::forFiles(qsizetype count)
{
#if defined(__GLIBC__)
    if (count < worthReserving)
        return;
    // Freed memory stays with the allocator, and blocks up to 32 MiB come
    // from the arenas, so that the filled pages are the ones reused.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    // One arena for each thread that may work at once (the side-by-side
    // workers and the journal's writer): threads that all hold a block at
    // the same time are each given an arena of their own, and those arenas
    // go to the threads started after them. They fill theirs while this
    // thread fills the main one.
    const int threads = sideBySideThreads(std::numeric_limits<qsizetype>::max());
    const qsizetype share = std::min(largestBlock, count * threadBytesPerFile);
    std::latch allHold(threads);
    std::vector<std::jthread> fillers;
    for (int t = 0; t < threads; ++t)
        fillers.emplace_back([&allHold, share] {
            void *const block = filledBlock(share);
            allHold.arrive_and_wait();
            std::free(block);
        });
    std::free(filledBlock(std::min(largestBlock, count * mainBytesPerFile)));
    fillers.clear();
#else
    Q_UNUSED(count);
#endif
}
