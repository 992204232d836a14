#include "CountingAllocator.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {

// One benchmark thread counts at a time; the counts are the benchmark's own, not the code's.
bool gCounting = false;
std::size_t gLive = 0, gPeak = 0, gAllocations = 0;

void* Allocate(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    if (gCounting) {
        gLive += malloc_usable_size(p);
        if (gLive > gPeak) gPeak = gLive;
        ++gAllocations;
    }
    return p;
}

void Release(void* p) {
    if (p == nullptr) return;
    if (gCounting) gLive -= malloc_usable_size(p);
    std::free(p);
}

}  // namespace

namespace bench {

void StartCounting() {
    gLive = gPeak = gAllocations = 0;
    gCounting = true;
}

HeapCount StopCounting() {
    gCounting = false;
    return {gPeak, gAllocations};
}

}  // namespace bench

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
