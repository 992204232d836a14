#include "support/FailingAllocator.h"

#include <cstdlib>
#include <new>

namespace {

bool gArmed = false;
long gCountdown = -1;              // fail when it reaches 0 (negative: never)
std::size_t gFailFrom = SIZE_MAX;  // fail every allocation of at least this many bytes
long gFailures = 0;

void* Allocate(std::size_t size) {
    if (gArmed && (size >= gFailFrom || gCountdown-- == 0)) {
        ++gFailures;
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

namespace qrtest {

Failing::Failing(long countdown, std::size_t from) {
    gCountdown = countdown;
    gFailFrom = from;
    gFailures = 0;
    gArmed = true;
}

Failing::~Failing() {
    gArmed = false;
}

long Failures() {
    return gFailures;
}

}  // namespace qrtest

void* operator new(std::size_t size) {
    void* p = Allocate(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t size) {
    void* p = Allocate(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
