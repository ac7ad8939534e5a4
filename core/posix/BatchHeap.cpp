#include "posix/BatchHeap.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace velmix {

void prepareHeapForOneBatch()
{
#ifdef __GLIBC__
    constexpr int Reserve = 64 << 20;   // grown by at least this much, untouched pages cost nothing
    constexpr int Blocks = 32 << 20;    // the largest block glibc will still take from the heap
    constexpr uintptr_t HugePage = 2 << 20;
    // The steps run on threads of their own, each of which would otherwise get an arena
    // of its own and fault in fresh pages for what the step before it freed.
    (void)mallopt(M_ARENA_MAX, 1);
    (void)mallopt(M_MMAP_THRESHOLD, Blocks);
    (void)mallopt(M_TRIM_THRESHOLD, 1 << 30);
    (void)mallopt(M_TOP_PAD, Reserve);
    // Grown now, so that the part the batch will use is known and asked for in huge pages.
    const auto before = reinterpret_cast<uintptr_t>(sbrk(0));
    void *volatile grown = std::malloc(HugePage); // volatile: a pair with no use between may be dropped
    std::free(grown);
    const auto after = reinterpret_cast<uintptr_t>(sbrk(0));
    const uintptr_t from = (before + HugePage - 1) & ~(HugePage - 1), to = after & ~(HugePage - 1);
    if (before != uintptr_t(-1) && to > from) // else the heap could not grow: it stays as it is
        (void)madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
#endif
}

} // namespace velmix
