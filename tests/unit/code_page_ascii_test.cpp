// The host's conversion widens ASCII runs itself and hands iconv only the rest. That rests on two
// claims, checked here for each code page a script may use: it maps every ASCII byte to itself,
// and the fast path gives what iconv alone gives for any bytes (random ones here; the fuzz target
// code_page goes on from its corpus): the same units, count and error, whatever the room.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/host/code_page.h"
#include "support/device_files.h"

namespace orvinta::platform::host {
namespace {

// The count, the error of a failure, and the units written (0xCCCC where nothing was written).
template <int (*Convert)(const char*, int, char16_t*, int, uint32_t*)>
std::u16string Through(const std::string& bytes, int length, int capacity) {
  std::u16string text(static_cast<size_t>(capacity), u'\xCCCC');
  uint32_t error = 0;
  int count = Convert(bytes.data(), length, capacity == 0 ? nullptr : text.data(), capacity, &error);
  return std::u16string{static_cast<char16_t>(count), static_cast<char16_t>(count == 0 ? error : 0)} + text;
}

TEST(HostCodePageAscii, AsciiStandsForItselfAndTheFastPathConvertsAsIconvAlone) {
  std::string ascii;
  for (int byte = 0; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
  const std::u16string units = std::u16string{0x80, 0} + std::u16string(ascii.begin(), ascii.end());
  std::mt19937 random(950);
  for (uint32_t codePage : {1252u, 936u, 932u, 949u, 950u, 65001u}) {
    test::ScopedCodePage page(codePage);
    EXPECT_EQ(Through<AnsiToUtf16ThroughIconv>(ascii, 0x80, 0x80), units) << codePage;
    for (int round = 0; round < 2000; ++round) {
      // Runs of control bytes (zero and line ends among them), other ASCII bytes and high bytes.
      std::string bytes;
      for (size_t length = 1 + random() % 64; bytes.size() < length;) {
        const unsigned kind = random() % 4, low = kind == 0 ? 0 : kind == 1 ? 0x20 : 0x80, span = kind < 2 ? 0x20 : 0x80;
        for (size_t run = 1 + random() % 12; run > 0; --run) bytes += static_cast<char>(low + random() % (kind == 1 ? 0x60 : span));
      }
      const int n = static_cast<int>(bytes.size());
      const int count = Through<AnsiToUtf16ThroughIconv>(bytes, n, 2 * n)[0];
      // A room for all, the size query, a room one unit short, and the text up to its first zero.
      for (auto [length, capacity] : {std::pair{n, 2 * n}, {n, 0}, {n, count - 1}, {-1, 2 * n + 2}}) {
        EXPECT_EQ(Through<AnsiToUtf16>(bytes, length, capacity), Through<AnsiToUtf16ThroughIconv>(bytes, length, capacity))
            << testing::PrintToString(bytes) << " in " << codePage << ", room " << capacity;
      }
    }
  }
}

}  // namespace
}  // namespace orvinta::platform::host
