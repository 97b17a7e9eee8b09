// A registry change that cannot be made lasting is the command's result, for every command
// that commits: REGX, a registry file through LOAD, a registry block and ASOC.
#include <gtest/gtest.h>

#include "support/device_files.h"
#include "support/hive.h"
#include "support/script.h"

namespace orvinta::registry {
namespace {

using platform::host::SystemCalls;

TEST(RegistryCommit, AFullDiskIsTheResultOfEveryCommandThatCommits) {
  test::DeviceFolder folder;
  folder.Write(u"x.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\S]\r\n\"v\"=\"1\"\r\n");
  const std::u16string scripts[] = {
      u"REGX HKCU\\S\\v=1",
      u"LOAD " + folder.Device(u"x.reg"),
      u"[HKEY_CURRENT_USER\\S]\r\n\"v\"=\"1\"\r\n",
      u"ASOC .zzz",
      u"ASOC !",  // the class that the setup below made
  };
  for (const std::u16string& script : scripts) {
    SCOPED_TRACE(test::Shown(script));
    test::TempHive hive;
    ASSERT_EQ(test::RunText(u"ASOC").result, 0);
    test::SystemCallFault<&SystemCalls::write> full(-1, ENOSPC);
    ::testing::internal::CaptureStderr();
    int32_t result = test::RunText(script).result;
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, win::AsResult(win::kErrorDiskFull));
    EXPECT_NE(said.find("error 112"), std::string::npos) << said;
  }
}

}  // namespace
}  // namespace orvinta::registry
