#include "platform/memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#include "platform/host/system_calls.h"

namespace orvinta::platform {

void* AllocateLargeBlock(size_t bytes) {
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  void* block = std::malloc(bytes);
  if (block == nullptr || bytes < 2 * kLargePage) return block;
  // Only the large pages wholly inside the block. The advice is a hint: a kernel without large
  // pages refuses it, and the block serves as it is.
  const auto address = reinterpret_cast<uintptr_t>(block);
  const uintptr_t start = (address + kLargePage - 1) & ~(kLargePage - 1), end = (address + bytes) & ~(kLargePage - 1);
  if (end > start) host::Sys().madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  return block;
}

}  // namespace orvinta::platform
