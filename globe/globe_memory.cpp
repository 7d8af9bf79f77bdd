// Each scene globe's one allocation, mapped on huge-page boundaries with the
// kernel asked for transparent huge pages: the first touch of a globe's
// 8.2 MB then costs a handful of faults instead of about two thousand.
#include "globe/earth.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace {

constexpr size_t hugePageBytes = size_t(2) << 20;
constexpr size_t globeBytes = (sizeof(Globe) + hugePageBytes - 1) / hugePageBytes * hugePageBytes;

// A zeroed block of globeBytes starting on a huge-page boundary, or null.
void* mapHugePageBlock()
{
    // One huge page more than needed, then the unaligned head and the tail
    // are handed back.
    void* raw = mmap(nullptr, globeBytes + hugePageBytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + hugePageBytes - 1) & ~uintptr_t(hugePageBytes - 1);
    const size_t head = aligned - start;
    if (head > 0)
        munmap(raw, head);
    if (hugePageBytes - head > 0)
        munmap(reinterpret_cast<void*>(aligned + globeBytes), hugePageBytes - head);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    // Only a hint: where transparent huge pages are off or unsupported the
    // block stays in ordinary pages.
    madvise(block, globeBytes, MADV_HUGEPAGE);
#endif
    return block;
}

}  // namespace

Globe* createGlobe(int season, const char* fileName)
{
    void* block = mapHugePageBlock();
    return block == nullptr ? nullptr : new (block) Globe(season, fileName);
}

void destroyGlobe(Globe* globe)
{
    if (globe == nullptr)
        return;
    globe->~Globe();
    munmap(globe, globeBytes);
}
