// LOAD: how it reads each file, where each file goes, and the limits of its path buffer. What a
// pattern finds, scans and nests is shown by the load end-to-end cases. An ANSI file is read and
// converted a block at a time: large random files, whose characters, invalid bytes, line ends,
// block-long lines and zero byte fall across the block boundaries, must run exactly as the whole
// file converted in one go.
#include "engine/load.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

using platform::host::SystemCalls;
using test::DeviceFolder;
using test::kNotFound;
using test::SystemCallFault;
using test::Utf16Le;

constexpr int32_t kOpenFailed = 110;

int32_t Load(std::u16string_view path) { return test::RunText(u"LOAD " + std::u16string(path)).result; }

// The path buffer holds 259 units and the terminator: a found name that would not fit is passed
// over (the end-to-end cases show longer arguments finding nothing).
TEST(LoadLimits, FoundNamesThatDoNotFitThe260UnitBufferArePassedOver) {
  DeviceFolder folder;
  const std::u16string deep(200, u'd');
  const size_t room = 259 - folder.Device(deep).size() - 1;  // units left for a found name
  folder.Write(deep + u"\\" + std::u16string(room - 4, u'a') + u".ovs", "EVAL x=8");
  folder.Write(deep + u"\\" + std::u16string(room - 3, u'b') + u".ovs", "EVAL x=9");
  EXPECT_EQ(Load(folder.Device(deep + u"\\*.ovs")), 8) << "the longest name that fits loads, one more does not";
  const size_t scanRoom = 259 - folder.Device(u"").size() - 1 - 6;  // a scan adds "\*.ovs"
  folder.Write(std::u16string(scanRoom, u's') + u"\\x.ovs", "EVAL x=3");
  folder.MakeFolder(std::u16string(scanRoom + 1, u't'));
  EXPECT_EQ(Load(folder.Device(u"*")), 3);
}

TEST(LoadFailures, AFileThatCannotBeReadGives110AndAnUnlistedFolderNothing) {
  DeviceFolder folder;
  folder.Write(u"a.ovs", "EVAL x=1");
  {
    SystemCallFault<&SystemCalls::open> denied(1, EACCES);
    EXPECT_EQ(Load(folder.Device(u"*.ovs")), kOpenFailed);
    EXPECT_EQ(denied.Calls(), 1);
  }
  SystemCallFault<&SystemCalls::opendir> unlisted(-1, EACCES);
  EXPECT_EQ(Load(folder.Device(u"*.ovs")), kNotFound);
}

TEST(LoadFailures, SymbolicLinkLoopsNeitherHangNorCrash) {
  DeviceFolder folder;
  folder.Write(u"d\\s\\a.ovs", "EVAL 0=%0s\nEVAL x=4");
  test::ResetInterpreter();
  ASSERT_EQ(symlink("loop", folder.Host(u"d/loop").c_str()), 0);
  ASSERT_EQ(symlink("..", folder.Host(u"d/s/up").c_str()), 0);
  ASSERT_EQ(symlink(".", folder.Host(u"d/self").c_str()), 0);
  EXPECT_EQ(Load(folder.Device(u"d\\loop")), kOpenFailed);
  EXPECT_EQ(Load(folder.Device(u"d\\*")), kNotFound) << "the last subfolder, self, holds no script directly";
  EXPECT_EQ(test::Variables(1), u"s") << "the scan goes one level down, not round the loop";
  EXPECT_EQ(Load(folder.Device(u"d\\s\\up\\s\\up\\s\\*.ovs")), 4);
}

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
  DeviceFolder folder;
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
TEST(LoadBlocks, ALargeFileLoadsWithoutLargePages) {
  const std::string text = "EVAL 1=first\r\n;" + std::string(5 << 20, 'x') + "\r\nEVAL 2=last";
  DeviceFolder folder;
  for (bool utf16 : {false, true}) {
    folder.Write(u"large.ovs", utf16 ? Utf16Le(u"\uFEFF" + std::u16string(text.begin(), text.end())) : text);
    SystemCallFault<&SystemCalls::madvise> refused(-1, EINVAL);
    test::ResetInterpreter();
    EXPECT_EQ(test::RunText(u"LOAD " + folder.Device(u"large.ovs")).result, 0);
    EXPECT_EQ(test::Variables(3), u"|first|last") << utf16;
    EXPECT_EQ(refused.Calls(), 1) << utf16;
  }
}

}  // namespace
}  // namespace orvinta
