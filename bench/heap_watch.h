// Watches the heap of the whole process: how many blocks were allocated (malloc, calloc,
// realloc and the aligned forms, which operator new reaches too), bytes held, their peak since a
// reset, and how many blocks of at least a given size were allocated. The bench binary that links heap_watch.cpp
// defines malloc and its siblings itself; sanitizer builds own malloc, and then nothing is seen.
#pragma once
#include <cstddef>
#include <cstdint>

namespace orvinta::bench {

struct HeapFigures {
  uint64_t peakBytes;    // most bytes held at once since the reset, above what was held then
  uint64_t largeBlocks;  // blocks of at least the reset's threshold
};

bool HeapWatchEnabled();
// Blocks allocated so far; taken around the code under measure.
uint64_t AllocationCount();
void ResetHeapWatch(size_t largeThreshold);
HeapFigures ReadHeapWatch();

}  // namespace orvinta::bench
