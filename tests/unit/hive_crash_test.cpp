// The hive and its log under kill -9: a child process commits commands, large and small, folds
// now and then, and is killed at a random point; the registry read afterwards must hold every
// command that had answered, whole, and never a part of one. The parent commits commands of its
// own meanwhile, and no fold of either process may lose the other's.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "platform/host/hive_registry.h"
#include "support/hive.h"

namespace orvinta::platform {
namespace {

const KeyHandle kCurrentUser = RootKeyHandle(win::kHkeyCurrentUser);

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

// The parent's command k: Parent\p<k> set to k.
uint32_t ParentCommand(Registry& registry, int k) {
  KeyHandle key = 0;
  uint32_t failed = registry.RegCreateKeyExW(kCurrentUser, u"Parent", 0, &key);
  if (failed == 0) failed = registry.RegSetValueExW(key, (u"p" + Number(k)).c_str(), win::kRegDword, &k, sizeof k);
  registry.RegCloseKey(key);
  return failed != 0 ? failed : registry.CommitChanges();
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
  test::TempHive hive;
  std::mt19937 random(20261207);
  int next = 0;  // the first command not in the registry
  int parentCommands = 0;
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
    for (int n; answered < next + wanted && read(report[0], &n, sizeof n) == sizeof n;) {
      answered = n;
      EXPECT_EQ(ParentCommand(hive.Registry(), parentCommands++), 0u);
    }
    usleep(static_cast<useconds_t>(random() % 20000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    for (int n; read(report[0], &n, sizeof n) == sizeof n;) answered = n;
    close(report[0]);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;

    ::testing::internal::CaptureStderr();  // a record cut short is cut back, and said so
    hive.Reopen();
    int last = ReadNumber(u"Crash", u"last");
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(said.empty() || said.find("cut back to its last whole change") != std::string::npos) << said;
    next = last + 1;
    ASSERT_GE(next, answered + 1) << "a command that had answered is lost";
    ExpectWholeCommandsBefore(next);
    for (int k = 0; k < parentCommands; ++k) EXPECT_EQ(ReadNumber(u"Parent", u"p" + Number(k)), k) << "parent's " << k;
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace orvinta::platform
