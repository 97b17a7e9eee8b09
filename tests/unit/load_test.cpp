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
