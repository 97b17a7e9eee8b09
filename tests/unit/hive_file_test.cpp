// The hive's own files: their mode and owner kept, a hive path that is a symbolic link written
// through to its target, nothing written through a link planted beside the hive.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/host/hive_registry.h"
#include "support/device_files.h"
#include "support/hive.h"

namespace orvinta::platform {
namespace {

namespace fs = std::filesystem;

// One command, then a process end when `fold`: a record in the log, then a new hive.
std::unique_ptr<host::HostRegistry> Set(const std::string& hivePath, const char16_t* name, bool fold = true) {
  auto registry = host::MakeHiveRegistry(hivePath);
  KeyHandle key = 0;
  EXPECT_EQ(registry->RegCreateKeyExW(RootKeyHandle(win::kHkeyCurrentUser), u"S", 0, &key), 0u);
  EXPECT_EQ(registry->RegSetValueExW(key, name, win::kRegSz, u"x", 4), 0u);
  registry->RegCloseKey(key);
  EXPECT_EQ(registry->CommitChanges(), 0u);
  if (fold) registry->ProcessEnds();
  return registry;
}

bool Holds(const std::string& path, const std::string& text) {
  return test::DeviceFolder::ReadHostFile(path).find(text) != std::string::npos;
}

TEST(HiveFile, KeepsTheHivesModeAndOwner) {
  test::TempHive hive;
  const std::string path = hive.HivePath();
  Set(path, u"first");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  bool privileged = geteuid() == 0 && chown(path.c_str(), 4321, 4321) == 0;
  auto registry = Set(path, u"second", false);
  struct stat log {}, after {};
  EXPECT_EQ(stat((path + ".log").c_str(), &log), 0);
  EXPECT_EQ(log.st_mode & 07777, 0600u) << "the log holds the same registry";
  registry->ProcessEnds();
  EXPECT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0600u);
  EXPECT_TRUE(!privileged || after.st_uid == 4321u) << after.st_uid;
  EXPECT_TRUE(Holds(path, "\"second\""));
}

TEST(HiveFile, AHivePathThatIsALinkIsWrittenThroughToItsTarget) {
  test::TempHive hive;
  const fs::path folder = fs::path(hive.HivePath()).parent_path();
  fs::create_directories(folder / "real");
  const std::string target = (folder / "real" / "target.hive").string(), link = (folder / "link.hive").string();
  Set(target, u"first");
  fs::create_symlink("real/target.hive", link);  // relative, as a person makes it
  Set(link, u"second");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_TRUE(Holds(target, "\"first\"") && Holds(target, "\"second\""));
  EXPECT_FALSE(fs::exists(link + ".log") || fs::exists(link + ".lock")) << "the files sit beside the target";
}

TEST(HiveFile, LinksPlantedBesideTheHiveAreNeverWrittenThrough) {
  test::TempHive hive;
  const std::string path = hive.HivePath();
  const std::string victim = (fs::path(path).parent_path() / "victim").string();
  std::ofstream(victim) << "keep me";
  Set(path, u"first");
  fs::create_symlink(victim, path + ".new");
  Set(path, u"second");
  EXPECT_EQ(test::DeviceFolder::ReadHostFile(victim), "keep me");
  EXPECT_TRUE(Holds(path, "\"second\""));

  fs::create_symlink(victim, path + ".log");  // read as a log it is no log: nothing is written
  ::testing::internal::CaptureStderr();
  auto registry = host::MakeHiveRegistry(path);
  KeyHandle key = 0;
  EXPECT_NE(registry->RegCreateKeyExW(RootKeyHandle(win::kHkeyCurrentUser), u"T", 0, &key), 0u);
  registry->ProcessEnds();
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(test::DeviceFolder::ReadHostFile(victim), "keep me");
}

}  // namespace
}  // namespace orvinta::platform
