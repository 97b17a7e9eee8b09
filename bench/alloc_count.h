// Counts the heap allocations of the whole process: malloc, calloc, realloc and the aligned
// forms, which operator new reaches too. A count is taken around the code under measure.
#pragma once
#include <cstdint>

namespace orvinta::bench {

// Allocations so far; 0 forever when counting is off (sanitizer builds own malloc).
uint64_t AllocationCount();
bool AllocationCountingEnabled();

}  // namespace orvinta::bench
