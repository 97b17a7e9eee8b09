// Both scans read aligned blocks: a block that holds the terminator may reach beyond the text,
// but an aligned block never crosses a page, so the read can't fault. The address sanitizer
// would count those units as read out of bounds; they are never used, hence its exemption here.
#include "engine/line_scan.h"

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__GNUC__) || defined(__clang__)
#define ORVINTA_WHOLE_BLOCK_READS __attribute__((no_sanitize_address))
#else
#define ORVINTA_WHOLE_BLOCK_READS
#endif

namespace orvinta::engine {

namespace scan_detail {

constexpr int kPrefetchBytes = 1024;

#if defined(__SSE2__)
ORVINTA_WHOLE_BLOCK_READS const char16_t* Sse2(const char16_t* p, bool commas) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(p);
  const auto* block = reinterpret_cast<const __m128i*>(address & ~uintptr_t{15});
  const __m128i zero = _mm_setzero_si128(), cr = _mm_set1_epi16(u'\r'), lf = _mm_set1_epi16(u'\n'),
                percent = _mm_set1_epi16(u'%');
  // A comma that is not looked for is compared with the terminator again.
  const __m128i comma = commas ? _mm_set1_epi16(u',') : zero;
  auto matches = [&](__m128i units) {
    __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(units, zero), _mm_cmpeq_epi16(units, cr)),
                               _mm_or_si128(_mm_cmpeq_epi16(units, lf), _mm_cmpeq_epi16(units, percent)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(hit, _mm_cmpeq_epi16(units, comma))));
  };
  // Lines are short, and where one ends decides where the next scan starts: without a hint, each
  // new stretch of a large text waits for memory.
  __builtin_prefetch(reinterpret_cast<const char*>(block) + kPrefetchBytes);
  // Units in front of p in the first block don't count.
  unsigned mask = matches(_mm_load_si128(block)) & (0xFFFFu << (address & 15));
  while (mask == 0) mask = matches(_mm_load_si128(++block));
  return reinterpret_cast<const char16_t*>(reinterpret_cast<const char*>(block) + std::countr_zero(mask));
}
#else
const char16_t* Sse2(const char16_t*, bool) { return nullptr; }
#endif

ORVINTA_WHOLE_BLOCK_READS const char16_t* Words(const char16_t* p, bool commas) {
  if constexpr (std::endian::native != std::endian::little) {
    while (*p != 0 && *p != u'\r' && *p != u'\n' && *p != u'%' && !(commas && *p == u',')) ++p;
    return p;
  } else {
    typedef uint64_t __attribute__((may_alias)) Word;
    constexpr uint64_t kOnes = 0x0001000100010001u, kHigh = 0x8000800080008000u;
    // High bit of each lane below `n`. A lane above such a lane may be flagged too (the borrow),
    // so only the lowest flag is sure: the first match is all that is asked for.
    auto below = [](uint64_t v, uint64_t n) { return (v - n * kOnes) & ~v & kHigh; };
    auto zeroLanes = [&](uint64_t v) { return below(v, 1); };
    const uint64_t cr = u'\r' * kOnes, lf = u'\n' * kOnes, percent = u'%' * kOnes, comma = commas ? u',' * kOnes : 0;
    const uintptr_t address = reinterpret_cast<uintptr_t>(p);
    const auto* word = reinterpret_cast<const Word*>(address & ~uintptr_t{7});
    __builtin_prefetch(reinterpret_cast<const char*>(word) + kPrefetchBytes);
    // Units in front of p in the first word read as "A", which matches nothing and borrows nothing.
    const uint64_t front = (uint64_t{1} << (8 * (address & 7))) - 1;
    uint64_t units = (*word & ~front) | (u'A' * kOnes & front);
    for (;;) {
      // Every unit looked for is below ",": a word without such a unit is passed at once.
      if (below(units, u',' + 1) != 0) {
        uint64_t hits = zeroLanes(units) | zeroLanes(units ^ cr) | zeroLanes(units ^ lf) | zeroLanes(units ^ percent) |
                        zeroLanes(units ^ comma);
        if (hits != 0) return reinterpret_cast<const char16_t*>(word) + (std::countr_zero(hits) >> 4);
      }
      units = *++word;
    }
  }
}

}  // namespace scan_detail

const char16_t* FindLineSpecial(const char16_t* p) {
#if defined(__SSE2__)
  return scan_detail::Sse2(p, true);
#else
  return scan_detail::Words(p, true);
#endif
}

const char16_t* FindLineEndOrMacro(const char16_t* p) {
#if defined(__SSE2__)
  return scan_detail::Sse2(p, false);
#else
  return scan_detail::Words(p, false);
#endif
}

}  // namespace orvinta::engine
