#pragma once
// Heap use of a stretch of code: the program's operator new and delete, replaced in
// CountingAllocator.cpp, count the bytes live at once while counting is on.

#include <cstddef>

namespace bench {

struct HeapCount {
    std::size_t peakBytes = 0;
    std::size_t allocations = 0;
};

// Counting from zero until StopCounting, which returns the peak and the allocations.
void StartCounting();
HeapCount StopCounting();

}  // namespace bench
