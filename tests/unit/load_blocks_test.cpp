// LOAD reads and converts an ANSI file a block at a time. Large random files, whose characters,
// invalid bytes, line ends, block-long lines and zero byte fall across the block boundaries,
// must run exactly as the whole file converted in one go.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

// Lines of "EVAL n=" and random text, mostly characters of several bytes (so that a block's end
// falls inside one), stray high bytes, and ASCII bytes that double-byte code pages take as trail
// bytes. One line in the middle is longer than two blocks; a zero byte near the end stops the
// text there.
std::string RandomAnsiScript(std::mt19937& random) {
  static const char* const kPieces[] = {"a", ",", "@\\", "\xD6\xD0", "\xE4\xB8\xAD", "\xC3\xA9", "\xF0\x9F\x98\x80",
                                        "\x81\x40", "\x82\xA0", "\xB0\xA1\xCE\xC4", "\xE6\x96\x87\xE5\xAD\x97"};
  static const char* const kLineEnds[] = {"\r\n", "\n", "\r"};
  std::string bytes;
  int line = 0;
  bool longLine = false;
  while (bytes.size() < 400000) {
    bytes += "EVAL " + std::to_string(line++ % 10) + "=";
    size_t length = random() % 120;
    if (!longLine && bytes.size() > 150000) length = 150000, longLine = true;
    for (size_t end = bytes.size() + length; bytes.size() < end;) {
      if (random() % 5 == 0) bytes += static_cast<char>(0x80 + random() % 0x80);
      else bytes += kPieces[random() % std::size(kPieces)];
    }
    bytes += kLineEnds[random() % std::size(kLineEnds)];
  }
  return bytes + '\0' + "EVAL 0=behind the zero\r\n";
}

TEST(LoadBlocks, AnAnsiFileRunsAsItsWholeConversion) {
  std::mt19937 random(2026);
  test::DeviceFolder folder;
  for (uint32_t codePage : {936u, 65001u, 1252u}) {
    test::ScopedCodePage page(codePage);
    const std::string bytes = RandomAnsiScript(random);
    folder.Write(u"big.ovs", bytes);
    const std::u16string path = folder.Device(u"big.ovs");

    std::vector<char16_t> whole(bytes.size() + 16);
    ASSERT_GT(platform::Get().text->MultiByteToWideChar(bytes.c_str(), -1, whole.data(), static_cast<int>(whole.size())), 0);
    test::ResetInterpreter();
    const test::RunOutcome expected = test::RunText(whole.data(), path.c_str());
    const std::u16string variables = test::Variables(10);

    test::ResetInterpreter();
    const test::RunOutcome loaded = test::RunText(u"LOAD " + path);
    EXPECT_EQ(loaded.result, expected.result) << codePage;
    EXPECT_TRUE(loaded.log == u"LOAD " + path + u"\r\n" + expected.log + test::Entry(loaded.result)) << codePage;
    EXPECT_EQ(test::Variables(10), variables) << codePage;
  }
}

// A large file's text asks for large pages once; a kernel without them refuses, and LOAD goes on.
TEST(LoadBlocks, ALargeFileLoadsWhetherLargePagesAreGivenOrNot) {
  const std::string text = "EVAL 1=first\r\n;" + std::string(5 << 20, 'x') + "\r\nEVAL 2=last";
  test::DeviceFolder folder;
  for (bool utf16 : {false, true}) {
    folder.Write(u"large.ovs", utf16 ? test::Utf16Le(u"\uFEFF" + std::u16string(text.begin(), text.end())) : text);
    for (int refused : {0, -1}) {
      test::SystemCallFault<&platform::host::SystemCalls::madvise> advice(refused, EINVAL);
      test::ResetInterpreter();
      EXPECT_EQ(test::RunText(u"LOAD " + folder.Device(u"large.ovs")).result, 0);
      EXPECT_EQ(test::Variables(3), u"|first|last") << utf16 << refused;
      EXPECT_EQ(advice.Calls(), 1) << utf16 << refused;
    }
  }
}

}  // namespace
}  // namespace orvinta
