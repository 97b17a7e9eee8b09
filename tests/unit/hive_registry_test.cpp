// The host's registry service: the Win32 calls' results, and the hive file behind them.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "support/device_files.h"
#include "support/hive.h"
#include "support/script.h"

namespace orvinta::platform {
namespace {

using host::SystemCalls;
using test::SystemCallFault;
using test::TempHive;

const KeyHandle kCurrentUser = RootKeyHandle(win::kHkeyCurrentUser);

KeyHandle Create(Registry& registry, KeyHandle parent, const char16_t* path) {
  KeyHandle key = 0;
  EXPECT_EQ(registry.RegCreateKeyExW(parent, path, win::kKeyAllAccess, &key), 0u);
  return key;
}

uint32_t SetText(Registry& registry, KeyHandle key, const char16_t* name, std::u16string_view text) {
  return registry.RegSetValueExW(key, name, win::kRegSz, text.data(),
                                 static_cast<uint32_t>((text.size() + 1) * sizeof(char16_t)));
}

// Runs stderr into a text for the scope of a call.
template <typename Call>
std::string Said(Call call) {
  ::testing::internal::CaptureStderr();
  call();
  return ::testing::internal::GetCapturedStderr();
}

TEST(HiveRegistry, QueryReportsSizeAndMoreDataAsWindowsDoes) {
  TempHive hive;
  Registry& registry = hive.Registry();
  KeyHandle key = Create(registry, kCurrentUser, u"Software\\Test");
  ASSERT_EQ(SetText(registry, key, u"Name", u"abcd"), 0u);
  uint32_t type = 0, size = 0;
  EXPECT_EQ(registry.RegQueryValueExW(key, u"NAME", &type, nullptr, &size), 0u) << "no buffer: the size";
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(type, win::kRegSz);
  unsigned char small[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  size = sizeof small;
  EXPECT_EQ(registry.RegQueryValueExW(key, u"name", &type, small, &size), win::kErrorMoreData);
  EXPECT_EQ(size, 10u) << "the size needed";
  EXPECT_EQ(small[0], 0xEE) << "nothing of a value that does not fit is written";
  char16_t whole[5];
  size = sizeof whole;
  EXPECT_EQ(registry.RegQueryValueExW(key, u"Name", nullptr, whole, &size), 0u);
  EXPECT_EQ(std::u16string(whole), u"abcd");
  EXPECT_EQ(registry.RegQueryValueExW(key, u"Name", nullptr, whole, nullptr), win::kErrorInvalidParameter);
  EXPECT_EQ(registry.RegQueryValueExW(key, nullptr, nullptr, whole, &size), win::kErrorFileNotFound)
      << "an unset default value is missing";
  EXPECT_EQ(registry.RegCloseKey(key), 0u);
}

TEST(HiveRegistry, KeyPathsAreSplitAtBackslashesWithNamesOfAtMost255Units) {
  std::u16string shortParts;
  while (shortParts.size() <= 1000) shortParts += u"abcdefgh\\";
  const std::pair<std::u16string, uint32_t> cases[] = {
      {u"", 0}, {u"Software\\A\\", 0}, {u"Software\\\\A", 0}, {u"\\Software", win::kErrorBadPathname},
      {std::u16string(255, u'k'), 0}, {std::u16string(256, u'k'), win::kErrorInvalidParameter}, {shortParts, 0},
  };
  TempHive hive;
  for (const auto& [path, result] : cases) {
    KeyHandle key = 0;
    EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, path.c_str(), win::kKeyAllAccess, &key), result)
        << test::Shown(path);
    EXPECT_EQ(key != 0, result == 0);
    hive.Registry().RegCloseKey(key);
  }
}

TEST(HiveRegistry, DeletingAKeyTakesItsSubkeysAndLeavesHandlesOnThemDeleted) {
  TempHive hive;
  Registry& registry = hive.Registry();
  const KeyHandle machine = RootKeyHandle(win::kHkeyLocalMachine);
  KeyHandle inner = Create(registry, machine, u"Software\\Outer\\Inner");
  EXPECT_EQ(registry.RegDeleteKeyW(machine, u"software\\OUTER"), 0u);
  EXPECT_EQ(SetText(registry, inner, u"x", u"y"), win::kErrorKeyDeleted);
  KeyHandle child = 0;
  EXPECT_EQ(registry.RegCreateKeyExW(inner, u"c", win::kKeyAllAccess, &child), win::kErrorKeyDeleted);
  EXPECT_EQ(registry.RegCloseKey(inner), 0u);
  EXPECT_EQ(registry.RegOpenKeyExW(machine, u"Software\\Outer", win::kKeyAllAccess, &child), win::kErrorFileNotFound);
  EXPECT_EQ(registry.RegDeleteKeyW(machine, u"Software\\Outer"), win::kErrorFileNotFound);
  EXPECT_EQ(registry.RegDeleteKeyW(machine, u""), win::kErrorAccessDenied) << "a root stays";
  EXPECT_EQ(registry.RegCloseKey(0x1234), win::kErrorInvalidHandle);
  EXPECT_EQ(registry.RegDeleteValueW(machine, u"none"), win::kErrorFileNotFound);
}

TEST(HiveRegistry, ChangesLastOnlyOnceCommittedAndNamesKeepTheirCase) {
  TempHive hive;
  KeyHandle key = Create(hive.Registry(), kCurrentUser, u"Software\\MixedCase");
  SetText(hive.Registry(), key, u"ValueName", u"v");
  hive.Registry().RegCloseKey(key);
  EXPECT_EQ(hive.ReadHiveText(), "") << "nothing is written before the commit";
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
  EXPECT_NE(hive.ReadHiveText().find("[HKEY_CURRENT_USER\\Software\\MixedCase]\n\"ValueName\"=\"v\"\n"),
            std::string::npos);
  hive.Reopen();
  EXPECT_EQ(test::ReadValue(win::kHkeyCurrentUser, u"SOFTWARE\\mixedcase", u"valuename"), test::Sz(u"v"));
}

TEST(HiveRegistry, TwentyThousandValuesInOneCommandAreOneWrite) {
  TempHive hive;
  SystemCallFault<&SystemCalls::rename> renames(0, 0);
  KeyHandle key = Create(hive.Registry(), kCurrentUser, u"Software\\Many");
  for (char16_t i = 0; i < 20000; ++i) {
    const char16_t name[] = {u'v', static_cast<char16_t>(u'A' + i % 26), static_cast<char16_t>(0x4E00 + i), 0};
    SetText(hive.Registry(), key, name, u"x");
  }
  hive.Registry().RegCloseKey(key);
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u) << "nothing changed since";
  EXPECT_EQ(renames.Calls(), 1);
}

// A write or rename that fails leaves the old hive whole, and the change waits for the next commit.
TEST(HiveRegistry, AFailedWriteLeavesTheOldHiveAndKeepsTheChange) {
  struct Case {
    bool failWrite;
    int error;
    uint32_t result;
  } cases[] = {{true, ENOSPC, win::kErrorDiskFull}, {true, EROFS, win::kErrorAccessDenied},
               {false, EACCES, win::kErrorAccessDenied}};
  for (const Case& c : cases) {
    TempHive hive;
    KeyHandle key = Create(hive.Registry(), kCurrentUser, u"Software\\Test");
    SetText(hive.Registry(), key, u"first", u"1");
    ASSERT_EQ(hive.Registry().CommitChanges(), 0u);
    std::string before = hive.ReadHiveText();
    {
      SystemCallFault<&SystemCalls::write> write(c.failWrite ? -1 : 0, c.error);
      SystemCallFault<&SystemCalls::rename> rename(c.failWrite ? 0 : -1, c.error);
      SetText(hive.Registry(), key, u"second", u"2");
      uint32_t result = 0;
      std::string said = Said([&] { result = hive.Registry().CommitChanges(); });
      EXPECT_NE(said.find("could not be written"), std::string::npos) << said;
      EXPECT_EQ(result, c.result) << c.error;
      EXPECT_EQ(hive.ReadHiveText(), before);
      EXPECT_FALSE(std::filesystem::exists(hive.HivePath() + ".new")) << "no half-written file is left";
    }
    EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
    EXPECT_NE(hive.ReadHiveText().find("\"second\"=\"2\""), std::string::npos);
  }
}

TEST(HiveRegistry, AnUnusableHiveFileIsNeverOverwrittenAndEveryCallFails) {
  const std::string texts[] = {"Orvinta registry hive 1\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,0",  // cut short
                               std::string("\x7f" "ELF\0\0\x01\x02", 8),
                               "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"};
  for (const std::string& text : texts) {
    TempHive hive;
    hive.WriteHiveText(text);
    hive.Reopen();
    KeyHandle key = 0;
    std::string said = Said([&] {
      EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, u"A", 0, &key), win::kErrorRegistryCorrupt);
      EXPECT_EQ(hive.Registry().RegSetValueExW(kCurrentUser, u"v", 1, u"", 2), win::kErrorRegistryCorrupt);
      EXPECT_EQ(test::RunText(u"REGX HKCU\\S\\v=1").result, win::AsResult(win::kErrorRegistryCorrupt));
      EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
    });
    EXPECT_NE(said.find(hive.HivePath()), std::string::npos) << said;
    EXPECT_NE(said.find("1009"), std::string::npos) << said;
    hive.Reopen();
    EXPECT_EQ(hive.ReadHiveText(), text);
  }
}

TEST(HiveRegistry, LockHeldByAnotherProcessFailsTheChangeAfterWaiting) {
  TempHive hive(std::chrono::milliseconds(100));
  int holder = open((hive.HivePath() + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);  // a separate open file: the lock conflicts as another process's would
  KeyHandle key = 0;
  EXPECT_NE(Said([&] {
              EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, u"A", 0, &key), win::kErrorSharingViolation);
            }).find("locked"),
            std::string::npos);
  close(holder);
  EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, u"A", 0, &key), 0u) << "free again";
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
}

TEST(HiveRegistry, TwoProcessesNeverLoseEachOthersChanges) {
  TempHive hive;
  hive.Registry().RegCloseKey(Create(hive.Registry(), kCurrentUser, u"Shared"));
  ASSERT_EQ(hive.Registry().CommitChanges(), 0u);  // both processes start from a hive read and unlocked
  constexpr char16_t kValuesEach = 60;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  const char16_t who = child == 0 ? u'c' : u'p';
  int failures = 0;
  for (char16_t i = 0; i < kValuesEach; ++i) {
    KeyHandle key = 0;
    const char16_t name[] = {who, static_cast<char16_t>(u'0' + i), 0};
    failures += hive.Registry().RegCreateKeyExW(kCurrentUser, u"Shared", 0, &key) != 0;
    failures += SetText(hive.Registry(), key, name, u"x") != 0;
    hive.Registry().RegCloseKey(key);
    failures += hive.Registry().CommitChanges() != 0;
  }
  if (child == 0) _exit(failures == 0 ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(failures, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  hive.Reopen();
  for (char16_t writer : {u'c', u'p'}) {
    for (char16_t i = 0; i < kValuesEach; ++i) {
      EXPECT_TRUE(test::ReadValue(win::kHkeyCurrentUser, u"Shared", {writer, static_cast<char16_t>(u'0' + i)}))
          << "lost: " << char(writer) << int(i);
    }
  }
}

}  // namespace
}  // namespace orvinta::platform
