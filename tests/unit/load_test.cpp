// LOAD: what it finds, how it reads each file, and where each file goes.
#include "engine/load.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/host/code_page.h"
#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

namespace pf = platform;
using pf::host::SystemCalls;
using test::DeviceFolder;
using test::SystemCallFault;
using test::Utf16Le;

constexpr int32_t kNotFound = 2;
constexpr int32_t kOpenFailed = 110;
constexpr int32_t kNotRegistryText = 1017;  // the importer's answer to a line that is no registry text

// Runs "LOAD <path>" as a script and returns its result.
int32_t Load(std::u16string_view path) { return test::RunText(u"LOAD " + std::u16string(path)).result; }

// Puts an ANSI code page in force for one test.
class AnsiCodePage {
 public:
  explicit AnsiCodePage(uint32_t number) { EXPECT_TRUE(pf::host::SelectAnsiCodePage(number)); }
  ~AnsiCodePage() { pf::host::SelectAnsiCodePage(65001); }
};

TEST(LoadEncoding, TheFirstBytesDecideBetweenUtf16AndTheAnsiCodePage) {
  struct Case {
    const char* what;
    uint32_t codePage;
    std::string bytes;
    std::u16string_view variable;
  } cases[] = {
      {"UTF-16 with a byte-order mark", 65001, Utf16Le(u"\uFEFFEVAL 0=\u4E2D\u6587"), u"\u4E2D\u6587"},
      {"UTF-16 without a mark", 1252, Utf16Le(u"EVAL 0=\u00E9"), u"\u00E9"},
      {"UTF-16, mark then a Chinese first character", 1252, Utf16Le(u"\uFEFF\u4E2D\u6587\r\nEVAL 0=\u6587"), u"\u6587"},
      {"UTF-16 without a mark, Chinese first", 1252, Utf16Le(u"\u4E2D\r\nEVAL 0=ok"), u"ok"},
      {"ANSI in 1252", 1252, "EVAL 0=caf\xE9 \x80", u"caf\u00E9 \u20AC"},
      {"ANSI in 936", 936, "; \xD6\xD0\xCE\xC4\r\nEVAL 0=\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},
      {"UTF-8 in 65001", 65001, "EVAL 0=\xE4\xB8\xAD\xC3\xA9", u"\u4E2D\u00E9"},
      {"UTF-8 with its mark in 65001", 65001, "\xEF\xBB\xBF" "EVAL 0=x\xC3\xA9", u"x\u00E9"},
      {"UTF-8 read as 1252", 1252, "EVAL 0=\xC3\xA9", u"\u00C3\u00A9"},
      {"UTF-8 mark read as 1252 is skipped", 1252, "\xEF\xBB\xBF" "EVAL 0=y", u"y"},
  };
  DeviceFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    AnsiCodePage page(c.codePage);
    test::ResetUserVariables();
    folder.Write(u"s.ovs", c.bytes);
    EXPECT_EQ(Load(folder.Device(u"s.ovs")), 0);
    EXPECT_EQ(std::u16string(engine::UserVariable(0)), c.variable);
  }
}

TEST(LoadEncoding, TinyFilesReadTheSameEitherWay) {
  test::RecordingDevice device;
  device.xmlResult = 0x1234;
  DeviceFolder folder;
  struct Case {
    std::string bytes;
    int32_t result;
    std::u16string_view journal;
  } cases[] = {
      {"", 0, u""},                                 // an empty script
      {";", 0, u""},                                // one byte: a comment either way
      {"<", 0x1234, u"ProcessConfigXml 1 [<]"},     // one byte: "<" either way, so an XML document
      {"AB", 0, u""},                               // read as one UTF-16 character from 0x7F up: skipped
      {"\xFF\xFE", 0, u""},
  };
  for (const Case& c : cases) {
    folder.Write(u"t", c.bytes);
    device.journal.clear();
    EXPECT_EQ(engine::LoadOneFile(folder.Device(u"t").c_str()), c.result) << testing::PrintToString(c.bytes);
    EXPECT_EQ(device.journal, c.journal) << testing::PrintToString(c.bytes);
  }
}

TEST(LoadRoutes, ContentDecidesBetweenXmlRegistryScriptAndCommandScript) {
  test::RecordingDevice device;
  device.xmlResult = 0x80042002;
  DeviceFolder folder;
  struct Case {
    std::string bytes;
    int32_t result;
    std::u16string_view document;  // what the configuration manager got; empty: not called
  } cases[] = {
      {" \r\n\t<?xml version=\"1.0\"?><wap-provisioningdoc/>", win::AsResult(0x80042002),
       u"<?xml version=\"1.0\"?><wap-provisioningdoc/>"},
      {Utf16Le(u"\uFEFF<wap-provisioningdoc/>"), win::AsResult(0x80042002), u"<wap-provisioningdoc/>"},
      {"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\OrvintaLoad]\r\n\"v\"=\"from a file\"\r\n", 0, u""},
      {"REGEDIT4\r\nEVAL x=5\r\n", kNotRegistryText, u""},  // the importer, not the runner, reads on
      {Utf16Le(u"\uFEFF REGEDIT4\r\n"), 0, u""},
      {"REGEDIT4", 0, u""},    // the header alone, with nothing after it
      {"REGEDIT4x", 0, u""},   // a header need only be a prefix
      {"regedit4\r\nEVAL x=7", 7, u""},        // not in exact case: a command script
      {"Windows Registry Editor Version 5.00\r\nEVAL x=5", kNotRegistryText, u""},
      {"Windows Registry Editor Version 5.00", 0, u""},
      {"Windows Registry Editor Version 5.0\nEVAL x=9", 9, u""},
      {"\x01" "EVAL x=1\nEVAL x=4", 4, u""},   // a control character stops the skip
  };
  for (const Case& c : cases) {
    folder.Write(u"f.any", c.bytes);
    device.journal.clear();
    EXPECT_EQ(Load(folder.Device(u"f.any")), c.result) << testing::PrintToString(c.bytes);
    std::u16string expected = c.document.empty() ? u"" : u"ProcessConfigXml 1 [" + std::u16string(c.document) + u"]";
    EXPECT_EQ(device.journal, expected) << testing::PrintToString(c.bytes);
  }
  // The registry script's value arrived.
  test::ResetUserVariables();
  EXPECT_EQ(test::RunText(u"REGX HKEY_CURRENT_USER\\Software\\OrvintaLoad\\v").result, 0);
  EXPECT_EQ(test::Variables(1), u"from a file");
}

TEST(LoadPatterns, WildcardsLoadEveryMatchAndTheLastResultStands) {
  test::ResetUserVariables();
  DeviceFolder folder;
  folder.Write(u"a.ovs", "EVAL 0=%0a\nEVAL x=5");
  folder.Write(u"B.OVS", "EVAL 0=%0b\nEVAL x=6");
  folder.Write(u"c.txt", "EVAL 0=%0c");
  EXPECT_EQ(Load(folder.Device(u"*.ovs")), 6);
  EXPECT_EQ(test::Variables(1), u"ab");
  EXPECT_EQ(Load(folder.Device(u"?.txt")), 0);
  EXPECT_EQ(test::Variables(1), u"abc");
  EXPECT_EQ(Load(folder.Device(u"*.none")), kNotFound);
  EXPECT_EQ(Load(folder.Device(u"missing\\*.ovs")), kNotFound);
}

TEST(LoadPatterns, ADirectoryThatMatchesFailsToLoad) {
  DeviceFolder folder;
  folder.MakeFolder(u"sub");
  EXPECT_EQ(Load(folder.Device(u"sub")), kOpenFailed);
  EXPECT_EQ(Load(folder.Device(u"")), kOpenFailed) << "the folder itself";
}

TEST(LoadPatterns, ScanLoadsTheScriptsOfEachImmediateSubfolderOnly) {
  test::ResetUserVariables();
  DeviceFolder folder;
  folder.Write(u"top.ovs", "EVAL 0=%0T");
  folder.Write(u"s1\\x.ovs", "EVAL 0=%0x");
  folder.Write(u"s1\\deeper\\d.ovs", "EVAL 0=%0D");
  folder.Write(u"S2\\y.ovs", "EVAL 0=%0y\nEVAL x=3");
  folder.Write(u"S2\\y.txt", "EVAL 0=%0Y");
  folder.Write(u".hidden\\z.ovs", "EVAL 0=%0z");
  folder.MakeFolder(u"s3");
  EXPECT_EQ(Load(folder.Device(u"*")), kNotFound) << "the last subfolder, s3, holds no script";
  EXPECT_EQ(test::Variables(1), u"xy");

  DeviceFolder filesOnly;
  filesOnly.Write(u"a.ovs", "EVAL 0=never");
  EXPECT_EQ(Load(filesOnly.Device(u"*")), kNotFound);
  EXPECT_EQ(test::Variables(1), u"xy");
}

TEST(LoadNesting, ALoadedScriptLoadsAnotherAndEachKnowsItsOwnPath) {
  test::ResetUserVariables();
  DeviceFolder folder;
  folder.Write(u"outer.ovs", "LOAD %C\\inner\\*.ovs\r\nEVAL 1=%E|%C");
  folder.Write(u"inner\\i.ovs", "EVAL 0=%E|%C\nEVAL x=21");
  EXPECT_EQ(Load(folder.Device(u"OUTER.ovs")), 0);
  EXPECT_EQ(std::u16string(engine::UserVariable(0)), folder.Device(u"inner\\i.ovs") + u"|" + folder.Device(u"inner"));
  // The found name, in the case it was created with, replaces the pattern's last component.
  EXPECT_EQ(std::u16string(engine::UserVariable(1)), folder.Device(u"outer.ovs") + u"|" + folder.Device(u""));
}

TEST(LoadBadInput, LongPathsAreRefusedCleanly) {
  DeviceFolder folder;
  for (size_t length : {258u, 259u, 260u, 261u, 600u, 1010u}) {
    std::u16string path = folder.Device(u"");
    path += u"\\" + std::u16string(length - path.size() - 1, u'x');
    ASSERT_EQ(path.size(), length);
    EXPECT_EQ(Load(path), kNotFound) << length;
  }
}

TEST(LoadBadInput, AFoundNameThatWouldOverflowThePathIsPassedOver) {
  test::ResetUserVariables();
  DeviceFolder folder;
  std::u16string deep(200, u'd');
  folder.Write(deep + u"\\a.ovs", "EVAL 0=a\nEVAL x=8");
  folder.Write(deep + u"\\" + std::u16string(60, u'z') + u".ovs", "EVAL 0=long");
  std::u16string pattern = folder.Device(deep + u"\\*.ovs");
  ASSERT_LT(pattern.size(), 230u);
  EXPECT_EQ(Load(pattern), 8);
  EXPECT_EQ(test::Variables(1), u"a");
}

TEST(LoadBadInput, AFileThatCannotBeReadGives110) {
  DeviceFolder folder;
  folder.Write(u"a.ovs", "EVAL x=1");
  struct Case {
    const char* what;
    int error;
  } cases[] = {{"it vanished after the search", ENOENT}, {"no permission", EACCES}, {"an I/O error", EIO}};
  for (const Case& c : cases) {
    SystemCallFault<&SystemCalls::open> fault(1, c.error);
    EXPECT_EQ(Load(folder.Device(u"*.ovs")), kOpenFailed) << c.what;
    EXPECT_EQ(fault.Calls(), 1) << c.what;
  }
  SystemCallFault<&SystemCalls::opendir> unlisted(-1, EACCES);
  EXPECT_EQ(Load(folder.Device(u"*.ovs")), kNotFound) << "a folder that can't be listed finds nothing";
}

TEST(LoadBadInput, SymbolicLinkLoopsNeitherHangNorCrash) {
  DeviceFolder folder;
  folder.MakeFolder(u"d\\s");
  folder.Write(u"d\\s\\a.ovs", "EVAL 0=%0s\nEVAL x=4");
  test::ResetUserVariables();
  ASSERT_EQ(symlink("loop", folder.Host(u"d/loop").c_str()), 0);
  ASSERT_EQ(symlink("..", folder.Host(u"d/s/up").c_str()), 0);
  ASSERT_EQ(symlink(".", folder.Host(u"d/self").c_str()), 0);
  EXPECT_EQ(Load(folder.Device(u"d\\loop")), kOpenFailed);
  EXPECT_EQ(Load(folder.Device(u"d\\*")), kNotFound) << "the last subfolder, self, holds no script directly";
  EXPECT_EQ(test::Variables(1), u"s") << "the scan goes one level down, not round the loop";
  EXPECT_EQ(Load(folder.Device(u"d\\s\\up\\s\\up\\s\\*.ovs")), 4);
}

TEST(LoadBadInput, BinaryGarbageRunsWithoutCrashOrHang) {
  test::RecordingDevice device;  // no real pauses
  DeviceFolder folder;
  std::string garbage(65536, '\0');
  uint32_t state = 12345;
  for (char& byte : garbage) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 24);
  }
  folder.Write(u"g1", garbage);
  garbage[3] = 0;  // the same bytes taken as UTF-16
  folder.Write(u"g2", garbage);
  engine::LoadOneFile(folder.Device(u"g1").c_str());
  engine::LoadOneFile(folder.Device(u"g2").c_str());
  SUCCEED();
}

}  // namespace
}  // namespace orvinta
