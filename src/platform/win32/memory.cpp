#include "platform/memory.h"

#include <cstdlib>

namespace orvinta::platform {

// A device has no large pages to ask for.
void* AllocateLargeBlock(size_t bytes) { return std::malloc(bytes); }

}  // namespace orvinta::platform
