// Keys deeper than 512 levels below their root are refused from every source (a call, a script,
// the hive, the log), and a key 512 levels deep goes through the hive and back.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/host/hive_registry.h"
#include "platform/host/registry_hive.h"
#include "support/hive.h"
#include "support/script.h"

namespace orvinta::platform {
namespace {

const KeyHandle kCurrentUser = RootKeyHandle(win::kHkeyCurrentUser);

std::u16string Levels(size_t count) {
  std::u16string path = u"a";
  for (size_t i = 1; i < count; ++i) path += u"\\a";
  return path;
}

TEST(HiveDepth, CallsAndScriptsAreRefusedPast512Levels) {
  test::TempHive hive;
  Registry& registry = hive.Registry();
  KeyHandle key = 0, deeper = 0;
  ASSERT_EQ(registry.RegCreateKeyExW(kCurrentUser, Levels(500).c_str(), 0, &key), 0u);
  EXPECT_EQ(registry.RegCreateKeyExW(key, Levels(12).c_str(), 0, &deeper), 0u);
  registry.RegCloseKey(deeper);
  EXPECT_EQ(registry.RegCreateKeyExW(key, Levels(13).c_str(), 0, &deeper), win::kErrorInvalidParameter);
  EXPECT_EQ(registry.RegCreateKeyExW(kCurrentUser, Levels(30000).c_str(), 0, &deeper), win::kErrorInvalidParameter);
  registry.RegCloseKey(key);
  ASSERT_EQ(registry.CommitChanges(), 0u);

  std::u16string block = u"[HKEY_CURRENT_USER\\" + Levels(30000) + u"]\r\n\"v\"=\"x\"\r\n";
  test::RunText(block);  // neither a crash nor a key
  hive.Reopen();
  EXPECT_TRUE(test::KeyExists(win::kHkeyCurrentUser, Levels(512)));
  EXPECT_FALSE(test::KeyExists(win::kHkeyCurrentUser, Levels(513)));
  EXPECT_LT(test::DeviceFolder::ReadHostFile(hive.HivePath()).size(), 2u * 1024 * 1024) << "a text linear in the keys";
}

TEST(HiveDepth, AHiveOrLogWithADeeperKeyIsRefused) {
  std::string deep = "HKEY_CURRENT_USER";
  for (int i = 0; i < 513; ++i) deep += "\\a";
  const std::string log = std::string(host::kLogHeader) + "\n[";
  for (const std::string& text : {"Orvinta registry hive 1\n[" + deep + "]\n; end of hive\n",
                                  log + deep + "]\n; end of change\n", log + "-" + deep + "]\n; end of change\n"}) {
    host::Hive hive;
    host::LogRead read;
    host::HiveParseError error;
    EXPECT_FALSE(text.starts_with("Orvinta registry hive") ? host::ParseHive(text, hive, error)
                                                            : host::ReadLog(text, true, 1, &hive, read, error));
    EXPECT_NE(error.reason.find("512 levels"), std::string::npos) << error.reason;
  }
}

}  // namespace
}  // namespace orvinta::platform
