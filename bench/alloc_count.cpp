// The bench binary defines malloc and its siblings itself, so every allocation of the process
// (the C++ runtime's operator new included) comes through here before going on to glibc's own
// allocator. Counting is a relaxed atomic increment: it costs nothing where nothing allocates.
#include "alloc_count.h"

#ifndef ORVINTA_BENCH_NO_ALLOC_COUNT

#include <atomic>
#include <cstddef>
#include <cstdlib>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace {
std::atomic<uint64_t> g_allocations{0};
void Count() { g_allocations.fetch_add(1, std::memory_order_relaxed); }
}  // namespace

extern "C" {

void* malloc(size_t size) noexcept {
  Count();
  return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) noexcept {
  Count();
  return __libc_calloc(count, size);
}

void* realloc(void* pointer, size_t size) noexcept {
  Count();
  return __libc_realloc(pointer, size);
}

void free(void* pointer) noexcept { __libc_free(pointer); }

void* memalign(size_t alignment, size_t size) noexcept {
  Count();
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
  Count();
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return 22;  // EINVAL
  Count();
  void* pointer = __libc_memalign(alignment, size);
  if (pointer == nullptr && size != 0) return 12;  // ENOMEM
  *out = pointer;
  return 0;
}

}  // extern "C"

namespace orvinta::bench {
uint64_t AllocationCount() { return g_allocations.load(std::memory_order_relaxed); }
bool AllocationCountingEnabled() { return true; }
}  // namespace orvinta::bench

#else

namespace orvinta::bench {
uint64_t AllocationCount() { return 0; }
bool AllocationCountingEnabled() { return false; }
}  // namespace orvinta::bench

#endif
