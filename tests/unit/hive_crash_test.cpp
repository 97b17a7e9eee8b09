// The hive and its log under kill -9: a child process commits commands, large and small, folds
// now and then, and is killed at a random point; the registry read afterwards must hold every
// command that had answered, whole, and never a part of one.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/host/hive_registry.h"
#include "support/hive.h"

namespace orvinta::platform {
namespace {

const KeyHandle kCurrentUser = RootKeyHandle(win::kHkeyCurrentUser);

std::u16string Text(const std::string& text) { return std::u16string(text.begin(), text.end()); }
std::u16string Number(int n) { return Text(std::to_string(n)); }

// Command n: key Crash\c<n> with its values (every fifth command a large import, folded at its
// commit), Crash\last set to n, and value v0 of command n-2's key deleted, all in one commit.
int ValuesOf(int n) { return n % 5 == 4 ? 12000 : 40; }

uint32_t SetNumber(Registry& registry, KeyHandle key, const std::u16string& name, int n) {
  uint32_t value = static_cast<uint32_t>(n);
  return registry.RegSetValueExW(key, name.c_str(), win::kRegDword, &value, sizeof value);
}

uint32_t RunCommand(Registry& registry, int n) {
  KeyHandle key = 0, crash = 0;
  uint32_t failed = registry.RegCreateKeyExW(kCurrentUser, (u"Crash\\c" + Number(n)).c_str(), 0, &key);
  for (int i = 0; i < ValuesOf(n) && failed == 0; ++i) failed = SetNumber(registry, key, u"v" + Number(i), n);
  registry.RegCloseKey(key);
  failed = failed != 0 ? failed : registry.RegCreateKeyExW(kCurrentUser, u"Crash", 0, &crash);
  failed = failed != 0 ? failed : SetNumber(registry, crash, u"last", n);
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
    if (RunCommand(*registry, n) != 0) _exit(1);
    if (write(out, &n, sizeof n) != sizeof n) _exit(1);
    if (n % 3 == 2) {
      registry->ProcessEnds();
      registry = host::MakeHiveRegistry(hivePath);
    }
  }
  _exit(0);
}

std::optional<uint32_t> ReadNumber(const std::u16string& path, const std::u16string& name) {
  auto value = test::ReadValue(win::kHkeyCurrentUser, path, name);
  if (!value || value->type != win::kRegDword || value->data.size() != 4) return std::nullopt;
  return value->data[0] | value->data[1] << 8 | value->data[2] << 16 | uint32_t{value->data[3]} << 24;
}

// The commands before `next` are all there, whole, and none from `next` on.
void ExpectWholeCommandsBefore(int next) {
  for (int n = std::max(0, next - 8); n < next + 2; ++n) {
    SCOPED_TRACE("command " + std::to_string(n));
    std::u16string key = u"Crash\\c" + Number(n);
    if (n >= next) {
      EXPECT_FALSE(test::KeyExists(win::kHkeyCurrentUser, key));
      continue;
    }
    bool deleted = n + 2 < next;
    EXPECT_EQ(ReadNumber(key, u"v0").has_value(), !deleted);
    for (int i = 1; i < ValuesOf(n); ++i) {
      if (ReadNumber(key, u"v" + Number(i)) != static_cast<uint32_t>(n)) {
        ADD_FAILURE() << "value " << i << " of " << ValuesOf(n);
        break;
      }
    }
  }
}

TEST(HiveCrash, KilledAnywhereInCommitsAndFoldsTheRegistryKeepsWholeAnsweredCommands) {
  test::TempHive hive;
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

    ::testing::internal::CaptureStderr();  // a record cut short is cut back, and said so
    hive.Reopen();
    auto last = ReadNumber(u"Crash", u"last");
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(said.empty() || said.find("cut back to its last whole change") != std::string::npos) << said;
    next = last ? static_cast<int>(*last) + 1 : 0;
    ASSERT_GE(next, answered + 1) << "a command that had answered is lost";
    ExpectWholeCommandsBefore(next);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace orvinta::platform
