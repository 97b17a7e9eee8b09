// FILE: the file operation's failures and limits, and CopyDirectoryTree's, which the
// end-to-end cases can't bring about.
#include "files/file_operation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

namespace pf = platform;
using pf::host::SystemCalls;
using test::DeviceFolder;
using test::SystemCallFault;

// Runs FILE with `argument`, where "@" stands for the test folder's device path.
int32_t File(const DeviceFolder& folder, std::u16string argument) {
  std::u16string base = folder.Device(u"");
  for (size_t at; (at = argument.find(u'@')) != std::u16string::npos;) argument.replace(at, 1, base);
  return test::RunText(u"FILE " + argument).result;
}

bool Exists(const DeviceFolder& folder, std::u16string_view relative) {
  return std::filesystem::exists(folder.Host(relative));
}

TEST(FileOperation, StopsAtTheFirstFailureWithItsCodeAndKeepsWhatWasDone) {
  DeviceFolder folder;
  folder.Write(u"a", "a");
  folder.Write(u"b", "b");
  {
    SystemCallFault<&SystemCalls::write> full(-2, ENOSPC);  // the second copy's write on
    EXPECT_EQ(File(folder, u"@\\a;@\\b=>@\\out"), 112);
  }
  EXPECT_EQ(folder.Read(u"out\\a"), "a");
  EXPECT_FALSE(Exists(folder, u"out\\b")) << "a copy that fails half way is removed";
  {
    SystemCallFault<&SystemCalls::unlink> denied(1, EACCES);
    EXPECT_EQ(File(folder, u"@\\a;@\\b"), 5);
  }
  EXPECT_TRUE(Exists(folder, u"a"));
  EXPECT_TRUE(Exists(folder, u"b"));
}

// The removal after the copy takes a link in the tree as the link and never goes through it.
TEST(FileOperation, AMoveToAnotherVolumeIsACopyAndADelete) {
  DeviceFolder folder;
  folder.Write(u"tree\\x", "x");
  folder.Write(u"file", "f");
  folder.Write(u"outside\\keep", "kept");
  std::filesystem::create_directory_symlink(folder.Host(u"outside"), folder.Host(u"tree\\link"));
  SystemCallFault<&SystemCalls::rename> otherVolume(-1, EXDEV);
  EXPECT_EQ(File(folder, u"@\\tree;@\\file->@\\dest"), 0);
  EXPECT_EQ(folder.Read(u"dest\\tree\\x"), "x");
  EXPECT_EQ(folder.Read(u"dest\\file"), "f");
  EXPECT_FALSE(Exists(folder, u"tree"));
  EXPECT_FALSE(Exists(folder, u"file"));
  EXPECT_EQ(folder.Read(u"outside\\keep"), "kept");
}

}  // namespace
}  // namespace orvinta
