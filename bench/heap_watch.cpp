// malloc and its siblings, counted, before glibc's own allocator does the work. A block's size
// is what malloc_usable_size says, so that free can take it off again.
#include "heap_watch.h"

#ifndef ORVINTA_BENCH_NO_HEAP_WATCH

#include <malloc.h>

#include <atomic>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace {

std::atomic<uint64_t> g_held{0}, g_peak{0}, g_base{0}, g_large{0}, g_count{0};
std::atomic<size_t> g_threshold{SIZE_MAX};

void* Took(void* block) {
  if (block == nullptr) return block;
  g_count.fetch_add(1, std::memory_order_relaxed);
  size_t size = malloc_usable_size(block);
  uint64_t held = g_held.fetch_add(size, std::memory_order_relaxed) + size;
  uint64_t peak = g_peak.load(std::memory_order_relaxed);
  while (held > peak && !g_peak.compare_exchange_weak(peak, held, std::memory_order_relaxed)) {
  }
  if (size >= g_threshold.load(std::memory_order_relaxed)) g_large.fetch_add(1, std::memory_order_relaxed);
  return block;
}

void Gave(void* block) {
  if (block != nullptr) g_held.fetch_sub(malloc_usable_size(block), std::memory_order_relaxed);
}

}  // namespace

extern "C" {

void* malloc(size_t size) noexcept { return Took(__libc_malloc(size)); }
void* calloc(size_t count, size_t size) noexcept { return Took(__libc_calloc(count, size)); }
void* realloc(void* pointer, size_t size) noexcept {
  Gave(pointer);
  return Took(__libc_realloc(pointer, size));
}
void free(void* pointer) noexcept {
  Gave(pointer);
  __libc_free(pointer);
}
void* memalign(size_t alignment, size_t size) noexcept { return Took(__libc_memalign(alignment, size)); }
void* aligned_alloc(size_t alignment, size_t size) noexcept { return Took(__libc_memalign(alignment, size)); }
int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
  if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return 22;  // EINVAL
  void* block = Took(__libc_memalign(alignment, size));
  if (block == nullptr && size != 0) return 12;  // ENOMEM
  *out = block;
  return 0;
}

}  // extern "C"

namespace orvinta::bench {

bool HeapWatchEnabled() { return true; }
uint64_t AllocationCount() { return g_count.load(std::memory_order_relaxed); }

void ResetHeapWatch(size_t largeThreshold) {
  uint64_t held = g_held.load(std::memory_order_relaxed);
  g_base.store(held, std::memory_order_relaxed);
  g_peak.store(held, std::memory_order_relaxed);
  g_large.store(0, std::memory_order_relaxed);
  g_threshold.store(largeThreshold, std::memory_order_relaxed);
}

HeapFigures ReadHeapWatch() {
  return {g_peak.load(std::memory_order_relaxed) - g_base.load(std::memory_order_relaxed),
          g_large.load(std::memory_order_relaxed)};
}

}  // namespace orvinta::bench

#else

namespace orvinta::bench {
bool HeapWatchEnabled() { return false; }
uint64_t AllocationCount() { return 0; }
void ResetHeapWatch(size_t) {}
HeapFigures ReadHeapWatch() { return {0, 0}; }
}  // namespace orvinta::bench

#endif
