// The host's registry service: the Win32 calls' results, and the hive file behind them.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/host/hive_file.h"
#include "support/temp_hive.h"

namespace orvinta::platform {
namespace {

using test::TempHive;

const KeyHandle kCurrentUser = RootKeyHandle(win::kHkeyCurrentUser);
const KeyHandle kLocalMachine = RootKeyHandle(win::kHkeyLocalMachine);

KeyHandle Create(Registry& registry, KeyHandle parent, const char16_t* path) {
  KeyHandle key = 0;
  EXPECT_EQ(registry.RegCreateKeyExW(parent, path, win::kKeyAllAccess, &key), 0u);
  return key;
}

uint32_t SetText(Registry& registry, KeyHandle key, const char16_t* name, std::u16string_view text) {
  return registry.RegSetValueExW(key, name, win::kRegSz, text.data(),
                                 static_cast<uint32_t>((text.size() + 1) * sizeof(char16_t)));
}

TEST(HiveRegistry, QueryReportsSizeAndMoreDataAsWindowsDoes) {
  TempHive hive;
  Registry& registry = hive.Registry();
  KeyHandle key = Create(registry, kCurrentUser, u"Software\\Test");
  ASSERT_EQ(SetText(registry, key, u"Name", u"abcd"), 0u);

  uint32_t type = 0;
  uint32_t size = 0;
  EXPECT_EQ(registry.RegQueryValueExW(key, u"NAME", &type, nullptr, &size), 0u) << "no buffer: the size";
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(type, win::kRegSz);

  unsigned char small[4];
  std::fill(std::begin(small), std::end(small), 0xEE);
  size = sizeof small;
  EXPECT_EQ(registry.RegQueryValueExW(key, u"name", &type, small, &size), win::kErrorMoreData);
  EXPECT_EQ(size, 10u) << "the size needed";
  EXPECT_EQ(small[0], 0xEE) << "nothing of a value that does not fit is written";

  char16_t whole[5];
  size = sizeof whole;
  EXPECT_EQ(registry.RegQueryValueExW(key, u"Name", nullptr, whole, &size), 0u);
  EXPECT_EQ(std::u16string(whole), u"abcd");

  EXPECT_EQ(registry.RegQueryValueExW(key, u"Name", nullptr, whole, nullptr), win::kErrorInvalidParameter);
  EXPECT_EQ(registry.RegQueryValueExW(key, u"Missing", nullptr, whole, &size), win::kErrorFileNotFound);
  EXPECT_EQ(registry.RegQueryValueExW(key, nullptr, nullptr, whole, &size), win::kErrorFileNotFound)
      << "an unset default value is missing";
  EXPECT_EQ(registry.RegCloseKey(key), 0u);
}

struct PathCase {
  const char* what;
  std::u16string path;
  uint32_t result;
};

class HiveRegistryPaths : public ::testing::TestWithParam<PathCase> {};

TEST_P(HiveRegistryPaths, CreateKeyResult) {
  TempHive hive;
  KeyHandle key = 0;
  EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, GetParam().path.c_str(), win::kKeyAllAccess, &key),
            GetParam().result);
  EXPECT_EQ(key != 0, GetParam().result == 0);
  hive.Registry().RegCloseKey(key);
}

std::u16string Repeat(char16_t c, size_t n) { return std::u16string(n, c); }

std::u16string ShortPartsLongerThan(size_t units) {
  std::u16string path;
  while (path.size() <= units) path += u"abcdefgh\\";
  return path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HiveRegistryPaths,
    ::testing::Values(PathCase{"plain", u"Software\\A", 0}, PathCase{"empty opens the same key", u"", 0},
                      PathCase{"trailing backslash", u"Software\\A\\", 0},
                      PathCase{"doubled backslash", u"Software\\\\A", 0},
                      PathCase{"leading backslash", u"\\Software", win::kErrorBadPathname},
                      PathCase{"name of 255 units", Repeat(u'k', 255), 0},
                      PathCase{"name of 300 units", Repeat(u'k', 300), win::kErrorInvalidParameter},
                      PathCase{"path of 1,000 units in short names", ShortPartsLongerThan(1000), 0}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(HiveRegistry, DeletingAKeyTakesItsSubkeysAndLeavesHandlesOnThemDeleted) {
  TempHive hive;
  Registry& registry = hive.Registry();
  KeyHandle inner = Create(registry, kLocalMachine, u"Software\\Outer\\Inner");
  EXPECT_EQ(registry.RegDeleteKeyW(kLocalMachine, u"software\\OUTER"), 0u);
  EXPECT_EQ(SetText(registry, inner, u"x", u"y"), win::kErrorKeyDeleted);
  KeyHandle child = 0;
  EXPECT_EQ(registry.RegCreateKeyExW(inner, u"c", win::kKeyAllAccess, &child), win::kErrorKeyDeleted);
  EXPECT_EQ(registry.RegCloseKey(inner), 0u);
  KeyHandle reopened = 0;
  EXPECT_EQ(registry.RegOpenKeyExW(kLocalMachine, u"Software\\Outer", win::kKeyAllAccess, &reopened),
            win::kErrorFileNotFound);
  EXPECT_EQ(registry.RegDeleteKeyW(kLocalMachine, u"Software\\Outer"), win::kErrorFileNotFound);
  EXPECT_EQ(registry.RegDeleteKeyW(kLocalMachine, u""), win::kErrorAccessDenied) << "a root stays";
  EXPECT_EQ(registry.RegCloseKey(0x1234), win::kErrorInvalidHandle);
  EXPECT_EQ(registry.RegDeleteValueW(kLocalMachine, u"none"), win::kErrorFileNotFound);
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
  char16_t text[4] = {};
  uint32_t size = sizeof text;
  KeyHandle again = 0;
  ASSERT_EQ(hive.Registry().RegOpenKeyExW(kCurrentUser, u"SOFTWARE\\mixedcase", 0, &again), 0u);
  EXPECT_EQ(hive.Registry().RegQueryValueExW(again, u"valuename", nullptr, text, &size), 0u);
  EXPECT_EQ(std::u16string(text), u"v");
}

// Counts the renames that put a new hive in place, and can make one system call fail.
struct CallCounter {
  static inline int renames = 0;
  static inline int failingErrno = 0;
  static int Rename(const char* from, const char* to) {
    ++renames;
    return ::rename(from, to);
  }
  static ssize_t FailingWrite(int, const void*, size_t) {
    errno = failingErrno;
    return -1;
  }
  static int FailingRename(const char*, const char*) {
    errno = failingErrno;
    return -1;
  }
};

class HiveCallsOverride {
 public:
  HiveCallsOverride() : saved_(host::HiveSystemCalls()) {}
  ~HiveCallsOverride() { host::HiveSystemCalls() = saved_; }

 private:
  host::HiveCalls saved_;
};

TEST(HiveRegistry, TwentyThousandValuesInOneCommandAreOneWrite) {
  TempHive hive;
  HiveCallsOverride restore;
  CallCounter::renames = 0;
  host::HiveSystemCalls().rename = CallCounter::Rename;
  KeyHandle key = Create(hive.Registry(), kCurrentUser, u"Software\\Many");
  for (int i = 0; i < 20000; ++i) {
    std::u16string name = u"v" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
    name += static_cast<char16_t>(0x4E00 + i);
    SetText(hive.Registry(), key, name.c_str(), u"x");
  }
  hive.Registry().RegCloseKey(key);
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u) << "nothing changed since";
  EXPECT_EQ(CallCounter::renames, 1);
}

struct InjectedFailure {
  const char* what;
  bool failWrite;
  int error;
  uint32_t result;
};

class HiveWriterFailure : public ::testing::TestWithParam<InjectedFailure> {};

TEST_P(HiveWriterFailure, LeavesTheOldHiveAndKeepsTheChangeForTheNextCommit) {
  TempHive hive;
  KeyHandle key = Create(hive.Registry(), kCurrentUser, u"Software\\Test");
  SetText(hive.Registry(), key, u"first", u"1");
  ASSERT_EQ(hive.Registry().CommitChanges(), 0u);
  std::string before = hive.ReadHiveText();
  {
    HiveCallsOverride restore;
    CallCounter::failingErrno = GetParam().error;
    if (GetParam().failWrite) {
      host::HiveSystemCalls().write = CallCounter::FailingWrite;
    } else {
      host::HiveSystemCalls().rename = CallCounter::FailingRename;
    }
    SetText(hive.Registry(), key, u"second", u"2");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(hive.Registry().CommitChanges(), GetParam().result);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("could not be written"), std::string::npos);
    EXPECT_EQ(hive.ReadHiveText(), before);
    EXPECT_FALSE(std::filesystem::exists(hive.HivePath() + ".new")) << "no half-written file is left";
  }
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
  EXPECT_NE(hive.ReadHiveText().find("\"second\"=\"2\""), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cases, HiveWriterFailure,
                         ::testing::Values(InjectedFailure{"disk full", true, ENOSPC, win::kErrorDiskFull},
                                           InjectedFailure{"read-only", true, EROFS, win::kErrorAccessDenied},
                                           InjectedFailure{"rename refused", false, EACCES, win::kErrorAccessDenied}),
                         [](const auto& param) { return "Case" + std::to_string(param.index); });

struct UnusableHive {
  const char* what;
  std::string text;
};

class UnusableHiveFile : public ::testing::TestWithParam<UnusableHive> {};

TEST_P(UnusableHiveFile, IsNeverOverwrittenAndEveryCallFails) {
  TempHive hive;
  hive.WriteHiveText(GetParam().text);
  hive.Reopen();
  KeyHandle key = 0;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, u"A", 0, &key), win::kErrorRegistryCorrupt);
  EXPECT_EQ(hive.Registry().RegSetValueExW(kCurrentUser, u"v", 1, u"", 2), win::kErrorRegistryCorrupt);
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
  std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find(hive.HivePath()), std::string::npos) << said;
  EXPECT_NE(said.find("1009"), std::string::npos) << said;
  hive.Reopen();
  EXPECT_EQ(hive.ReadHiveText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusableHiveFile,
    ::testing::Values(UnusableHive{"truncated", "Orvinta registry hive 1\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,0"},
                      UnusableHive{"not text", std::string("\x7f" "ELF\0\0\x01\x02", 8)},
                      UnusableHive{"a registry script", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"}),
    [](const auto& param) { return "Case" + std::to_string(param.index); });

TEST(HiveRegistry, LockHeldByAnotherProcessFailsTheChangeAfterWaiting) {
  TempHive hive(std::chrono::milliseconds(100));
  std::string lockPath = hive.HivePath() + ".lock";
  int holder = open(lockPath.c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);  // a separate open file: the lock conflicts as another process's would
  KeyHandle key = 0;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, u"A", 0, &key), win::kErrorSharingViolation);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("locked"), std::string::npos);
  close(holder);
  EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, u"A", 0, &key), 0u) << "free again";
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
}

TEST(HiveRegistry, TwoProcessesNeverLoseEachOthersChanges) {
  TempHive hive;
  hive.Registry().RegCloseKey(Create(hive.Registry(), kCurrentUser, u"Shared"));
  ASSERT_EQ(hive.Registry().CommitChanges(), 0u);  // both processes start from a hive read and unlocked
  constexpr int kValuesEach = 60;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  const char16_t* prefix = child == 0 ? u"child" : u"parent";
  int failures = 0;
  for (int i = 0; i < kValuesEach; ++i) {
    KeyHandle key = 0;
    failures += hive.Registry().RegCreateKeyExW(kCurrentUser, u"Shared", 0, &key) != 0;
    std::u16string name = prefix + std::u16string(u"-") + static_cast<char16_t>(u'0' + i / 100) +
                          static_cast<char16_t>(u'0' + i / 10 % 10) + static_cast<char16_t>(u'0' + i % 10);
    failures += SetText(hive.Registry(), key, name.c_str(), u"x") != 0;
    hive.Registry().RegCloseKey(key);
    failures += hive.Registry().CommitChanges() != 0;
  }
  if (child == 0) _exit(failures == 0 ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(failures, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  hive.Reopen();
  KeyHandle shared = 0;
  ASSERT_EQ(hive.Registry().RegOpenKeyExW(kCurrentUser, u"Shared", 0, &shared), 0u);
  for (const char16_t* who : {u"child-", u"parent-"}) {
    for (int i = 0; i < kValuesEach; ++i) {
      std::u16string name = who + std::u16string(1, static_cast<char16_t>(u'0' + i / 100)) +
                            static_cast<char16_t>(u'0' + i / 10 % 10) + static_cast<char16_t>(u'0' + i % 10);
      uint32_t size = 0;
      EXPECT_EQ(hive.Registry().RegQueryValueExW(shared, name.c_str(), nullptr, nullptr, &size), 0u)
          << "lost: " << std::string(name.begin(), name.end());
    }
  }
}

}  // namespace
}  // namespace orvinta::platform
