// Blocks for a whole file's bytes or text.
#pragma once
#include <cstddef>

namespace orvinta::platform {

// A malloc block of `bytes` (released with free), or null. Where the system can back a large
// block with large pages, it asks for them: LOAD writes tens of megabytes into fresh memory, and
// faulting that in a small page at a time costs more than the copy itself.
void* AllocateLargeBlock(size_t bytes);

}  // namespace orvinta::platform
