#include "AllocationCount.h"

#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> gBlocks{0}, gBytes{0};

void* Take(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    gBlocks.fetch_add(1, std::memory_order_relaxed);
    gBytes.fetch_add(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    return p;
}

void Give(void* p) noexcept {
    if (!p) return;
    gBlocks.fetch_sub(1, std::memory_order_relaxed);
    gBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) { return Take(size); }
void* operator new[](std::size_t size) { return Take(size); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, std::size_t) noexcept { Give(p); }
void operator delete[](void* p, std::size_t) noexcept { Give(p); }

namespace orv::soak {

HeapUse LiveHeap() { return {gBlocks.load(), gBytes.load()}; }

long long ResidentBytes() {
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    long long pages = 0, resident = 0;
    const int got = std::fscanf(f, "%lld %lld", &pages, &resident);
    std::fclose(f);
    return got == 2 ? resident * sysconf(_SC_PAGESIZE) : 0;
}

}  // namespace orv::soak
