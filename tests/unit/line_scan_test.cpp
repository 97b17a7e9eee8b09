// The runner's two block scans against a unit-by-unit search: random texts at every alignment,
// with units that look like the ones searched for in one byte only, and matches in front of the
// start that must not count.
#include <gtest/gtest.h>

#include <random>

#include "engine/line_scan.h"

namespace orvinta::engine {
namespace {

const char16_t* Slow(const char16_t* p, bool commas) {
  while (*p != 0 && *p != u'\r' && *p != u'\n' && *p != u'%' && !(commas && *p == u',')) ++p;
  return p;
}

TEST(LineScan, BothScansStopWhereAUnitByUnitSearchStops) {
  // Near misses: the searched units with a high byte, neighbours, and units at the top.
  constexpr char16_t kAlphabet[] = {u'\r', u'\n', u'%', u',', 0,      u'A',   u' ',   u'+',   u'-',   u'\t',
                                    0x0D0D, 0x0A00, 0x2500, 0x252C, 0x2C00, 0x0100, 0x8000, 0xFFFF, 0x7F2C, 0x002B};
  std::mt19937 random(12);
  alignas(16) char16_t text[160];
  for (int round = 0; round < 4000; ++round) {
    for (char16_t& unit : text) unit = u'%';  // in front of the start and behind the end
    const size_t start = random() % 16, length = random() % 100;
    for (size_t i = 0; i < length; ++i) {
      // Mostly plain text, so that runs cross several blocks.
      text[start + i] = random() % 4 == 0 ? kAlphabet[random() % std::size(kAlphabet)]
                                          : static_cast<char16_t>(u'a' + random() % 26);
    }
    text[start + length] = 0;
    for (bool commas : {false, true}) {
      const char16_t* expected = Slow(text + start, commas);
      EXPECT_EQ(scan_detail::Words(text + start, commas), expected) << round;
      if (const char16_t* found = scan_detail::Sse2(text + start, commas)) {
        EXPECT_EQ(found, expected) << round;
      }
      EXPECT_EQ(commas ? FindLineSpecial(text + start) : FindLineEndOrMacro(text + start), expected) << round;
    }
  }
}

}  // namespace
}  // namespace orvinta::engine
