// A name made on the host never becomes the case twin of one another program made meanwhile,
// though the folder's listing was read before.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/host/device_paths.h"
#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

using namespace test;

std::set<std::string> Names(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

TEST(HostListing, ANameMadeByAnotherProgramAfterOneOfOursIsSeen) {
  DeviceFolder folder;
  folder.MakeFolder(u"dir");
  // The script lists the folder (a new name is looked for in it) and makes a file there.
  platform::host::HostPathFor(folder.Device(u"dir\\first.txt"));
  ASSERT_EQ(RunText(u"FILE " + folder.Device(u"dir\\mine.txt") + u"<-m").result, 0);
  // Another program makes "Result.TXT"; its change of the folder's times is told apart from
  // ours (a fixed time, so that no clock's tick can hide it).
  std::ofstream(folder.Host(u"dir/Result.TXT")) << "theirs";
  struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, folder.Host(u"dir").c_str(), times, 0), 0);

  EXPECT_EQ(RunText(u"FILE " + folder.Device(u"dir\\result.txt") + u"<-ours").result, 0);
  EXPECT_EQ(Names(folder.Host(u"dir")), (std::set<std::string>{"Result.TXT", "mine.txt"}));
  EXPECT_EQ(folder.Read(u"dir/Result.TXT"), "ours");
}

}  // namespace
}  // namespace orvinta
