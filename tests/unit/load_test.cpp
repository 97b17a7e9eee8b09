// LOAD: how it reads each file, where each file goes, and the limits of its path buffer. What a
// pattern finds, scans and nests is shown by the load end-to-end cases.
#include "engine/load.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

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
constexpr int32_t kNotRegistryText = 1017;  // the importer's answer to a line that is no registry text

int32_t Load(std::u16string_view path) { return test::RunText(u"LOAD " + std::u16string(path)).result; }

TEST(LoadEncoding, TheFirstBytesDecideBetweenUtf16AndTheAnsiCodePage) {
  struct Case {
    uint32_t codePage;
    std::string bytes;
    std::u16string_view variable;
  } cases[] = {
      {1252, Utf16Le(u"\uFEFF\u4E2D\u6587\r\nEVAL 0=\u6587"), u"\u6587"},  // FF FE decides, whatever follows
      {1252, Utf16Le(u"\u4E2D\r\nEVAL 0=ok"), u"ok"},                       // no mark: a zero fourth byte
      {65001, "EVAL 0=\xE4\xB8\xAD\xC3\xA9", u"\u4E2D\u00E9"},
      {65001, "\xEF\xBB\xBF" "EVAL 0=x\xC3\xA9", u"x\u00E9"},
      {1252, "\xEF\xBB\xBF" "EVAL 0=y", u"y"},  // a UTF-8 mark read as 1252 is skipped as noise
  };
  DeviceFolder folder;
  for (const Case& c : cases) {
    test::ScopedCodePage page(c.codePage);
    test::ResetInterpreter();
    folder.Write(u"s.ovs", c.bytes);
    EXPECT_EQ(Load(folder.Device(u"s.ovs")), 0) << testing::PrintToString(c.bytes);
    EXPECT_EQ(std::u16string(engine::UserVariable(0)), c.variable) << testing::PrintToString(c.bytes);
  }
}

TEST(LoadRoutes, ContentDecidesBetweenXmlRegistryScriptAndCommandScript) {
  test::RecordingDevice device;
  device.xmlResult = 0x80042002;
  const int32_t kXml = win::AsResult(0x80042002);
  DeviceFolder folder;
  struct Case {
    std::string bytes;
    int32_t result;
    std::u16string_view document;  // what the configuration manager got; empty: not called
  } cases[] = {
      {" \r\n\t<?xml version=\"1.0\"?><doc/>", kXml, u"<?xml version=\"1.0\"?><doc/>"},
      {Utf16Le(u"\uFEFF<doc/>"), kXml, u"<doc/>"},
      {"<", kXml, u"<"},       // one byte: "<" either way
      {"REGEDIT4", 0, u""},    // the header alone, with nothing after it
      {"REGEDIT4x", 0, u""},   // a header need only be a prefix
      {"REGEDIT4\r\nEVAL x=5\r\n", kNotRegistryText, u""},  // the importer, not the runner, reads on
      {"Windows Registry Editor Version 5.00", 0, u""},
      {"Windows Registry Editor Version 5.0\nEVAL x=9", 9, u""},
      {"\x01" "EVAL x=1\nEVAL x=4", 4, u""},  // a control character stops the skip
  };
  for (const Case& c : cases) {
    folder.Write(u"f.any", c.bytes);
    device.documents.clear();
    EXPECT_EQ(Load(folder.Device(u"f.any")), c.result) << testing::PrintToString(c.bytes);
    EXPECT_EQ(device.documents, c.document.empty() ? test::Documents{} : test::Documents{std::u16string(c.document)});
  }
}

// The path buffer holds 259 units and the terminator: longer arguments find nothing, and a found
// name that would not fit is passed over.
TEST(LoadLimits, PathsThatDoNotFitThe260UnitBufferAreRefused) {
  DeviceFolder folder;
  for (size_t length : {259u, 260u, 261u}) {
    std::u16string path = folder.Device(u"");
    path += u"\\" + std::u16string(length - path.size() - 1, u'x');
    EXPECT_EQ(Load(path), kNotFound) << length;
  }
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

}  // namespace
}  // namespace orvinta
