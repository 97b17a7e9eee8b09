// The host's registry service: the Win32 calls' results, the hive and change log behind them
// (under failures, other processes and kill -9), and the files' mode, owner and links.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/host/registry_hive.h"
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

// One command: sets HKCU\Software\Test\<name> and commits.
uint32_t SetAndCommit(Registry& registry, const char16_t* name, std::u16string_view text) {
  KeyHandle key = Create(registry, kCurrentUser, u"Software\\Test");
  EXPECT_EQ(SetText(registry, key, name, text), 0u);
  registry.RegCloseKey(key);
  return registry.CommitChanges();
}

// One process on the hive at `path`: a command, then its end (a record in the log, then a new hive).
void SetAndFold(const std::string& path, const char16_t* name) {
  auto registry = host::MakeHiveRegistry(path);
  EXPECT_EQ(SetAndCommit(*registry, name, u"x"), 0u);
  registry->ProcessEnds();
}

bool Has(const char16_t* name, std::u16string_view text) {
  return test::ReadValue(win::kHkeyCurrentUser, u"Software\\Test", name) == test::Sz(text);
}

std::string Read(const std::string& path) { return test::DeviceFolder::ReadHostFile(path); }
bool Exists(const std::string& path) { return std::filesystem::exists(path); }
bool Holds(const std::string& path, const std::string& text) { return Read(path).find(text) != std::string::npos; }

std::u16string Levels(size_t count) {
  std::u16string path = u"a";
  for (size_t i = 1; i < count; ++i) path += u"\\a";
  return path;
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
  // The end-to-end cases show the rest of a path's rules.
  EXPECT_EQ(registry.RegCreateKeyExW(machine, u"\\Software", 0, &child), win::kErrorBadPathname);
  EXPECT_EQ(registry.RegCloseKey(0x1234), win::kErrorInvalidHandle);
  EXPECT_EQ(registry.RegDeleteValueW(machine, u"none"), win::kErrorFileNotFound);
}

// Keys deeper than 512 levels below their root are refused, from a call or a script, and a key
// 512 levels deep goes through the hive and back.
TEST(HiveRegistry, CallsAndScriptsAreRefusedPast512Levels) {
  TempHive hive;
  Registry& registry = hive.Registry();
  KeyHandle key = 0, deeper = 0;
  ASSERT_EQ(registry.RegCreateKeyExW(kCurrentUser, Levels(500).c_str(), 0, &key), 0u);
  EXPECT_EQ(registry.RegCreateKeyExW(key, Levels(12).c_str(), 0, &deeper), 0u);
  registry.RegCloseKey(deeper);
  EXPECT_EQ(registry.RegCreateKeyExW(key, Levels(13).c_str(), 0, &deeper), win::kErrorInvalidParameter);
  EXPECT_EQ(registry.RegCreateKeyExW(kCurrentUser, Levels(30000).c_str(), 0, &deeper), win::kErrorInvalidParameter);
  registry.RegCloseKey(key);
  ASSERT_EQ(registry.CommitChanges(), 0u);
  test::RunText(u"[HKEY_CURRENT_USER\\" + Levels(30000) + u"]\r\n\"v\"=\"x\"\r\n");  // neither a crash nor a key
  hive.Reopen();
  EXPECT_TRUE(test::KeyExists(win::kHkeyCurrentUser, Levels(512)));
  EXPECT_FALSE(test::KeyExists(win::kHkeyCurrentUser, Levels(513)));
  EXPECT_LT(Read(hive.HivePath()).size(), 2u * 1024 * 1024) << "a text linear in the keys";
}

// A command appends what it changed to the log; the hive is written when the process ends, or
// at once for a command whose changes outweigh the log's threshold.
TEST(HiveRegistry, ACommandAppendsItsChangesAndTheProcessEndFoldsThem) {
  TempHive hive;
  const std::string log = hive.HivePath() + ".log";
  SystemCallFault<&SystemCalls::rename> renames(0, 0);
  KeyHandle key = Create(hive.Registry(), kCurrentUser, u"Software\\MixedCase");
  SetText(hive.Registry(), key, u"ValueName", u"v");
  EXPECT_FALSE(Exists(log)) << "nothing is written before the commit";
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
  EXPECT_EQ(hive.Registry().RegDeleteValueW(key, u"VALUENAME"), 0u);
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
  hive.Registry().RegCloseKey(key);
  EXPECT_EQ(Read(log), std::string(host::kLogHeader) +
                           "\n[HKEY_CURRENT_USER\\Software\\MixedCase]\n\"ValueName\"=\"v\"\n; end of change\n" +
                           "\n[HKEY_CURRENT_USER\\Software\\MixedCase]\n\"VALUENAME\"=-\n; end of change\n");
  EXPECT_EQ(renames.Calls(), 0);
  hive.Reopen();
  EXPECT_EQ(renames.Calls(), 1);
  EXPECT_FALSE(Exists(log));
  EXPECT_NE(Read(hive.HivePath()).find("\n[HKEY_CURRENT_USER\\Software\\MixedCase]\n\n"), std::string::npos);

  key = Create(hive.Registry(), kCurrentUser, u"Software\\Many");
  for (char16_t i = 0; i < 20000; ++i) {
    const char16_t name[] = {u'v', static_cast<char16_t>(u'A' + i % 26), static_cast<char16_t>(0x4E00 + i), 0};
    SetText(hive.Registry(), key, name, u"twenty units of text");
  }
  hive.Registry().RegCloseKey(key);
  EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
  EXPECT_EQ(renames.Calls(), 2) << "twenty thousand values: one new hive";
  EXPECT_FALSE(Exists(log));
}

// Each write that fails leaves what was committed whole, and says so; nothing committed is lost.
TEST(HiveRegistry, AFailureAtAnyStepLosesNothingCommitted) {
  enum Step { kLogWrite, kLogFlush, kHiveWrite, kHiveRename, kLogRemoval };
  struct Case {
    Step step;
    int error;
    uint32_t result;  // of the commit (the log) or of nothing (the fold at the process end)
    const char* said;
  } cases[] = {{kLogWrite, ENOSPC, win::kErrorDiskFull, "could not be written"},
               {kLogFlush, EIO, win::kErrorReadFault, "could not be written"},
               {kHiveWrite, ENOSPC, 0, "could not be written"},
               {kHiveRename, EACCES, 0, "could not be written"},
               {kLogRemoval, EACCES, 0, "could not be removed"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    TempHive hive;
    const std::string log = hive.HivePath() + ".log";
    ASSERT_EQ(SetAndCommit(hive.Registry(), u"first", u"1"), 0u);
    const std::string logBefore = Read(log);
    {
      SystemCallFault<&SystemCalls::write> write(c.step == kLogWrite || c.step == kHiveWrite ? 1 : 0, c.error);
      SystemCallFault<&SystemCalls::fdatasync> flush(c.step == kLogFlush ? 1 : 0, c.error);
      SystemCallFault<&SystemCalls::rename> rename(c.step == kHiveRename ? 1 : 0, c.error);
      SystemCallFault<&SystemCalls::unlink> unlink(c.step == kLogRemoval ? 1 : 0, c.error);
      std::string said = Said([&] {
        if (c.step <= kLogFlush) {
          EXPECT_EQ(SetAndCommit(hive.Registry(), u"second", u"2"), c.result);
        } else {
          hive.Reopen();  // the fold as the process ends
        }
      });
      EXPECT_NE(said.find(c.said), std::string::npos) << said;
      EXPECT_FALSE(Exists(hive.HivePath() + ".new")) << "no half-written file is left";
      if (c.step <= kLogFlush) {
        EXPECT_EQ(Read(log), logBefore) << "a part of a record is no record";
      }
      EXPECT_EQ(Exists(hive.HivePath()), c.step == kLogRemoval);
    }
    if (c.step <= kLogFlush) {
      EXPECT_EQ(hive.Registry().CommitChanges(), 0u) << "written by the next commit";
    }
    hive.Reopen();
    EXPECT_TRUE(Has(u"first", u"1"));
    EXPECT_TRUE(c.step > kLogFlush || Has(u"second", u"2"));
  }
}

TEST(HiveRegistry, AnUnreadableHiveOrLogIsNeverOverwrittenAndEveryCallFails) {
  const std::string log = std::string(host::kLogHeader);
  struct Case {
    std::string hive, log;
    const char* file;  // that the message names, and its line
    int line;
  } cases[] = {
      {"Orvinta registry hive 1\n[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,0", "", "", 3},
      {std::string("\x7f" "ELF\0\0\x01\x02", 8), log, "", 1},
      {"", "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n; end of change\n", ".log", 1},
      {"", log + "[HKEY_CURRENT_USER\\A]\n\"v\"=x\n; end of change\n", ".log", 5},
  };
  for (const Case& c : cases) {
    TempHive hive;
    if (!c.hive.empty()) std::ofstream(hive.HivePath(), std::ios::binary) << c.hive;
    if (!c.log.empty()) std::ofstream(hive.HivePath() + ".log", std::ios::binary) << c.log;
    hive.Reopen();
    KeyHandle key = 0;
    std::string said = Said([&] {
      EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, u"A", 0, &key), win::kErrorRegistryCorrupt);
      EXPECT_EQ(hive.Registry().RegSetValueExW(kCurrentUser, u"v", 1, u"", 2), win::kErrorRegistryCorrupt);
      EXPECT_EQ(test::RunText(u"REGX HKCU\\S\\v=1").result, win::AsResult(win::kErrorRegistryCorrupt));
      EXPECT_EQ(hive.Registry().CommitChanges(), 0u);
      hive.Reopen();
    });
    EXPECT_NE(said.find(hive.HivePath() + c.file + " is not a"), std::string::npos) << said;
    EXPECT_NE(said.find("(line " + std::to_string(c.line) + ":"), std::string::npos) << said;
    EXPECT_NE(said.find("error 1009"), std::string::npos) << said;
    EXPECT_EQ(Read(hive.HivePath()), c.hive);
    EXPECT_EQ(Read(hive.HivePath() + ".log"), c.log);
  }
}

// While another process holds the lock (a separate open file conflicts as its would), a change
// fails after waiting, and a record cut short by a crash is left alone, as that process may be
// writing it now; once the lock is free, the record is cut back and changes go through.
TEST(HiveRegistry, TheLockOfAnotherProcessHoldsOffChangesAndTheCutBackOfARecord) {
  TempHive hive(std::chrono::milliseconds(100));
  const std::string log = hive.HivePath() + ".log";
  ASSERT_EQ(SetAndCommit(hive.Registry(), u"whole", u"1"), 0u);
  const std::string whole = Read(log);
  std::ofstream(log, std::ios::app) << "\n[HKEY_CURRENT_USER\\Software\\Test]\n\"cut\"=\"2\"\n\"short\"=hex:01,\\\n  0";
  int holder = open((hive.HivePath() + ".lock").c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  auto reopen = [&] { hive.Reopen(), (void)Has(u"whole", u"1"); };
  EXPECT_EQ(Said(reopen), "");
  KeyHandle key = 0;
  std::string said = Said([&] {
    EXPECT_EQ(hive.Registry().RegCreateKeyExW(kCurrentUser, u"A", 0, &key), win::kErrorSharingViolation);
  });
  EXPECT_NE(said.find("locked"), std::string::npos) << said;
  EXPECT_NE(Read(log), whole) << "left alone while the lock is held";
  close(holder);
  said = Said(reopen);
  EXPECT_NE(said.find(log + " ends in a change cut short (from line 8)"), std::string::npos) << said;
  EXPECT_EQ(Read(log), whole);
  EXPECT_TRUE(Has(u"whole", u"1"));
  EXPECT_FALSE(test::ReadValue(win::kHkeyCurrentUser, u"Software\\Test", u"cut"));
  EXPECT_EQ(SetAndCommit(hive.Registry(), u"after", u"2"), 0u) << "free again";
}

// A second registry on the same files stands for another process: its change sees what the
// first committed since it read (from the log, or from the hive that a fold wrote).
TEST(HiveRegistry, AChangeCatchesUpWithWhatAnotherProcessCommitted) {
  TempHive hive;
  ASSERT_EQ(SetAndCommit(hive.Registry(), u"a", u"1"), 0u);
  auto other = host::MakeHiveRegistry(hive.HivePath());
  ASSERT_EQ(SetAndCommit(*other, u"b", u"2"), 0u);  // read the log, appended to it
  ASSERT_EQ(SetAndCommit(hive.Registry(), u"c", u"3"), 0u);
  other->ProcessEnds();  // folds all three into a new hive
  ASSERT_EQ(SetAndCommit(hive.Registry(), u"d", u"4"), 0u);  // reads that hive again
  ASSERT_EQ(SetAndCommit(*other, u"e", u"5"), 0u);
  hive.Reopen();
  const std::pair<const char16_t*, const char16_t*> values[] = {
      {u"a", u"1"}, {u"b", u"2"}, {u"c", u"3"}, {u"d", u"4"}, {u"e", u"5"}};
  for (auto [name, text] : values) EXPECT_TRUE(Has(name, text)) << char(name[0]);
}

// Two processes commit at once, each ending (and folding) now and then: neither loses a change
// of the other's.
TEST(HiveRegistry, TwoProcessesNeverLoseEachOthersChanges) {
  TempHive hive;
  ASSERT_EQ(SetAndCommit(hive.Registry(), u"start", u"x"), 0u);  // both start from a hive read and unlocked
  constexpr char16_t kValuesEach = 60;
  pid_t child = fork();
  ASSERT_GE(child, 0);
  const char16_t who = child == 0 ? u'c' : u'p';
  int failures = 0;
  for (char16_t i = 0; i < kValuesEach; ++i) {
    const char16_t name[] = {who, static_cast<char16_t>(u'0' + i), 0};
    failures += SetAndCommit(hive.Registry(), name, u"x") != 0;
    if (i % 20 == 19) hive.Reopen();
  }
  if (child == 0) _exit(failures == 0 ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(failures, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  hive.Reopen();
  for (char16_t writer : {u'c', u'p'}) {
    for (char16_t i = 0; i < kValuesEach; ++i) {
      const char16_t name[] = {writer, static_cast<char16_t>(u'0' + i), 0};
      EXPECT_TRUE(Has(name, u"x")) << "lost: " << char(writer) << int(i);
    }
  }
}

// The hive and its log under kill -9: a child process commits commands, large and small, folds
// now and then, and is killed at a random point; the registry read afterwards must hold every
// command that had answered, whole, and never a part of one.
std::u16string Number(int n) {
  std::string text = std::to_string(n);
  return std::u16string(text.begin(), text.end());
}

// Command n: key Crash\c<n> with its values (every fifth command a large import, folded at its
// commit), Crash\last set to n, and value v0 of command n-2's key deleted, all in one commit.
int ValuesOf(int n) { return n % 5 == 4 ? 12000 : 40; }

uint32_t RunCommand(Registry& registry, int n) {
  auto set = [&](KeyHandle key, const std::u16string& name) {
    return registry.RegSetValueExW(key, name.c_str(), win::kRegDword, &n, sizeof n);
  };
  KeyHandle key = 0, crash = 0;
  uint32_t failed = registry.RegCreateKeyExW(kCurrentUser, (u"Crash\\c" + Number(n)).c_str(), 0, &key);
  for (int i = 0; i < ValuesOf(n) && failed == 0; ++i) failed = set(key, u"v" + Number(i));
  registry.RegCloseKey(key);
  failed = failed != 0 ? failed : registry.RegCreateKeyExW(kCurrentUser, u"Crash", 0, &crash);
  failed = failed != 0 ? failed : set(crash, u"last");
  registry.RegCloseKey(crash);
  if (failed == 0 && n >= 2 && registry.RegOpenKeyExW(kCurrentUser, (u"Crash\\c" + Number(n - 2)).c_str(), 0, &key) == 0) {
    failed = registry.RegDeleteValueW(key, u"v0");
    registry.RegCloseKey(key);
  }
  uint32_t committed = registry.CommitChanges();
  return failed != 0 ? failed : committed;
}

// In the child: commands from `first` on, each reported on `out` once it has answered; every
// third a process "ends" (folds its log into the hive) and another starts.
[[noreturn]] void Commands(const std::string& hivePath, int first, int out) {
  auto registry = host::MakeHiveRegistry(hivePath);
  for (int n = first; n < first + 40; ++n) {
    if (RunCommand(*registry, n) != 0 || write(out, &n, sizeof n) != sizeof n) _exit(1);
    if (n % 3 == 2) {
      registry->ProcessEnds();
      registry = host::MakeHiveRegistry(hivePath);
    }
  }
  _exit(0);
}

int ReadNumber(const std::u16string& path, const std::u16string& name) {  // -1: none
  auto value = test::ReadValue(win::kHkeyCurrentUser, path, name);
  int n = -1;
  if (value && value->data.size() == sizeof n) std::memcpy(&n, value->data.data(), sizeof n);
  return n;
}

// The commands before `next` are all there, whole, and none from `next` on.
void ExpectWholeCommandsBefore(int next) {
  for (int n = std::max(0, next - 8); n < next + 2; ++n) {
    SCOPED_TRACE("command " + std::to_string(n));
    std::u16string key = u"Crash\\c" + Number(n);
    EXPECT_EQ(test::KeyExists(win::kHkeyCurrentUser, key), n < next);
    if (n >= next) continue;
    EXPECT_EQ(ReadNumber(key, u"v0"), n + 2 < next ? -1 : n) << "deleted by command n + 2";
    int i = 1;
    while (i < ValuesOf(n) && ReadNumber(key, u"v" + Number(i)) == n) ++i;
    EXPECT_EQ(i, ValuesOf(n)) << "the first value missing";
  }
}

TEST(HiveCrash, KilledAnywhereInCommitsAndFoldsTheRegistryKeepsWholeAnsweredCommands) {
  TempHive hive;
  std::mt19937 random(20261207);
  int next = 0;  // the first command not in the registry
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(report[0]);
      Commands(hive.HivePath(), next, report[1]);
    }
    close(report[1]);
    // Let it answer a few commands, then kill it a moment into whatever comes next.
    int answered = next - 1, wanted = static_cast<int>(random() % 6);
    for (int n; answered < next + wanted && read(report[0], &n, sizeof n) == sizeof n;) answered = n;
    usleep(static_cast<useconds_t>(random() % 20000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    for (int n; read(report[0], &n, sizeof n) == sizeof n;) answered = n;
    close(report[0]);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;

    int last = -1;  // a record cut short is cut back, and said so
    std::string said = Said([&] { hive.Reopen(), last = ReadNumber(u"Crash", u"last"); });
    EXPECT_TRUE(said.empty() || said.find("cut back to its last whole change") != std::string::npos) << said;
    next = last + 1;
    ASSERT_GE(next, answered + 1) << "a command that had answered is lost";
    ExpectWholeCommandsBefore(next);
    if (HasFailure()) return;
  }
}

TEST(HiveFile, KeepsTheHivesModeAndOwner) {
  TempHive hive;
  const std::string path = hive.HivePath();
  SetAndFold(path, u"first");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  bool privileged = geteuid() == 0 && chown(path.c_str(), 4321, 4321) == 0;
  auto registry = host::MakeHiveRegistry(path);
  EXPECT_EQ(SetAndCommit(*registry, u"second", u"x"), 0u);
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
  TempHive hive;
  const std::filesystem::path folder = std::filesystem::path(hive.HivePath()).parent_path();
  std::filesystem::create_directories(folder / "real");
  const std::string target = (folder / "real" / "target.hive").string(), link = (folder / "link.hive").string();
  SetAndFold(target, u"first");
  std::filesystem::create_symlink("real/target.hive", link);  // relative, as a person makes it
  SetAndFold(link, u"second");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(Holds(target, "\"first\"") && Holds(target, "\"second\""));
  EXPECT_FALSE(Exists(link + ".log") || Exists(link + ".lock")) << "the files sit beside the target";
}

TEST(HiveFile, LinksPlantedBesideTheHiveAreNeverWrittenThrough) {
  TempHive hive;
  const std::string path = hive.HivePath();
  const std::string victim = std::filesystem::path(path).replace_filename("victim").string();
  std::ofstream(victim) << "keep me";
  SetAndFold(path, u"first");
  std::filesystem::create_symlink(victim, path + ".new");
  SetAndFold(path, u"second");
  EXPECT_TRUE(Holds(path, "\"second\""));
  std::filesystem::create_symlink(victim, path + ".log");  // read as a log it is no log: nothing is written
  Said([&] {
    auto registry = host::MakeHiveRegistry(path);
    KeyHandle key = 0;
    EXPECT_NE(registry->RegCreateKeyExW(kCurrentUser, u"T", 0, &key), 0u);
    registry->ProcessEnds();
  });
  EXPECT_EQ(Read(victim), "keep me");
}

}  // namespace
}  // namespace orvinta::platform
