#pragma once
// An allocator that can be told to fail, for the tests of what happens when memory runs out.
// A test executable that links failing_allocator has its global operator new replaced: while
// a Failing object lives, the n-th allocation from then fails, or every allocation from a
// size on (new throws std::bad_alloc, new (std::nothrow) gives nullptr). malloc is untouched.

#include <cstddef>
#include <cstdint>

namespace qrtest {

// Arms the allocator for the life of the object: countdown allocations succeed and the next
// fails (negative: none fails by count), and so does every one of at least from bytes.
class Failing {
  public:
    Failing(long countdown, std::size_t from);
    ~Failing();
    Failing(const Failing&) = delete;
    Failing& operator=(const Failing&) = delete;
};

// The allocations refused since the last Failing was made.
long Failures();

}  // namespace qrtest
