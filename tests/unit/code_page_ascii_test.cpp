// The host's conversion widens ASCII runs itself and hands iconv only the rest. That rests on two
// claims, checked here: every code page a script may use maps each ASCII byte to itself, and the
// fast path gives what iconv alone gives, for any bytes (random ones here; the fuzz target
// code_page goes on from its corpus).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/host/code_page.h"
#include "support/device_files.h"

namespace orvinta::platform::host {
namespace {

constexpr uint32_t kScriptCodePages[] = {1252, 936, 932, 949, 950, 65001};

struct Converted {
  int count;
  uint32_t error;
  std::u16string text;
  bool operator==(const Converted&) const = default;
};

template <int (*Convert)(const char*, int, char16_t*, int, uint32_t*)>
Converted Through(const std::string& bytes, int length, int capacity) {
  std::u16string text(static_cast<size_t>(capacity), u'\xCCCC');
  uint32_t error = 0;
  int count = Convert(bytes.data(), length, capacity == 0 ? nullptr : text.data(), capacity, &error);
  return {count, count == 0 ? error : 0, text};
}

TEST(HostCodePageAscii, EveryScriptCodePageMapsAsciiToItself) {
  std::string ascii;
  for (int byte = 0; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
  std::u16string expected(ascii.begin(), ascii.end());
  for (uint32_t codePage : kScriptCodePages) {
    test::ScopedCodePage page(codePage);
    EXPECT_EQ(Through<AnsiToUtf16ThroughIconv>(ascii, 0x80, 0x80), (Converted{0x80, 0, expected})) << codePage;
  }
}

TEST(HostCodePageAscii, TheFastPathConvertsRandomBytesAsIconvAlone) {
  std::mt19937 random(950);
  for (uint32_t codePage : kScriptCodePages) {
    test::ScopedCodePage page(codePage);
    for (int round = 0; round < 2000; ++round) {
      // ASCII, control bytes (line ends and zero among them) and high bytes, in runs.
      std::string bytes;
      for (size_t length = 1 + random() % 64; bytes.size() < length;) {
        unsigned kind = random() % 4;
        size_t run = 1 + random() % 12;
        for (size_t i = 0; i < run; ++i) {
          bytes += static_cast<char>(kind == 0 ? random() % 0x20 : kind == 1 ? 0x20 + random() % 0x60 : 0x80 + random() % 0x80);
        }
      }
      const int length = static_cast<int>(bytes.size());
      const Converted reference = Through<AnsiToUtf16ThroughIconv>(bytes, length, 2 * length);
      const std::string shown = testing::PrintToString(bytes) + " in " + std::to_string(codePage);
      EXPECT_EQ(Through<AnsiToUtf16>(bytes, length, 2 * length), reference) << shown;
      // The size query, a buffer one unit short, and the length taken up to the first zero byte.
      EXPECT_EQ(Through<AnsiToUtf16>(bytes, length, 0), Through<AnsiToUtf16ThroughIconv>(bytes, length, 0)) << shown;
      EXPECT_EQ(Through<AnsiToUtf16>(bytes, length, reference.count - 1),
                Through<AnsiToUtf16ThroughIconv>(bytes, length, reference.count - 1)) << shown;
      EXPECT_EQ(Through<AnsiToUtf16>(bytes, -1, 2 * length + 2), Through<AnsiToUtf16ThroughIconv>(bytes, -1, 2 * length + 2))
          << shown;
    }
  }
}

}  // namespace
}  // namespace orvinta::platform::host
