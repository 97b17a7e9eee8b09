// A folder moved to another file system is copied, then removed: the removal takes a link in it
// as the link and never goes through it.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

using namespace test;
using platform::host::SystemCalls;

TEST(FileLinks, AFolderMovedAcrossFileSystemsLeavesWhatItsLinksLeadTo) {
  DeviceFolder folder;
  folder.Write(u"a/x.txt", "x");
  folder.Write(u"outside/keep.txt", "kept");  // beside the moved folder, reached only by the link
  std::filesystem::create_directory_symlink(folder.Host(u"outside"), folder.Host(u"a/link"));
  int32_t result = 0;
  {
    SystemCallFault<&SystemCalls::rename> otherDisk(-1, EXDEV);
    result = RunText(u"FILE " + folder.Device(u"a") + u"->" + folder.Device(u"b")).result;
  }
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder.Host(u"a"))));
  EXPECT_EQ(folder.Read(u"b/x.txt"), "x");
  EXPECT_EQ(folder.Read(u"outside/keep.txt"), "kept");
}

}  // namespace
}  // namespace orvinta
