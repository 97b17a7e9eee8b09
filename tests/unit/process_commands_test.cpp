// EXEC, CDLL and KILL on the host, with the helper program and library built by the tests, below
// the unit tests' own device root. The process end-to-end cases show the command lines, the
// calls and KILL's name rule; these tests show the waits and the handles behind them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>

#include "platform/host/device_paths.h"

#include "support/device_files.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

namespace fs = std::filesystem;

int32_t Result(std::u16string_view script) { return RunText(script).result; }

// Counts the handles and libraries the processes service gives out, and can refuse to list,
// open or end processes.
class CountingProcesses final : public ForwardingProcesses {
 public:
  bool listable = true, opens = true, ends = true;
  int loaded = 0, freed = 0, openHandles = 0;
  uint32_t lastStarted = 0;  // the id of the process started last
  bool CreateProcessW(const char16_t* program, char16_t* commandLine, pf::ProcessInformation* started) override {
    bool ok = inner.CreateProcessW(program, commandLine, started);
    openHandles += ok ? 2 : 0;  // the process and its first thread
    lastStarted = ok ? started->processId : 0;
    return ok;
  }
  pf::ModuleHandle LoadLibraryW(const char16_t* path) override {
    pf::ModuleHandle module = inner.LoadLibraryW(path);
    loaded += module != nullptr;
    return module;
  }
  bool FreeLibrary(pf::ModuleHandle module) override { return ++freed, inner.FreeLibrary(module); }
  pf::Handle CreateToolhelp32Snapshot(uint32_t flags, uint32_t id) override {
    return listable ? inner.CreateToolhelp32Snapshot(flags, id) : pf::kInvalidHandleValue;
  }
  pf::Handle OpenProcess(uint32_t access, bool inherit, uint32_t id) override {
    pf::Handle process = opens ? inner.OpenProcess(access, inherit, id) : nullptr;
    openHandles += process != nullptr;
    return process;
  }
  bool TerminateProcess(pf::Handle process, uint32_t code) override {
    return ends && inner.TerminateProcess(process, code);
  }
  bool CloseHandle(pf::Handle handle) override { return --openHandles, inner.CloseHandle(handle); }
};

TEST(Exec, WaitsForTheProgramToEndAndClosesItsHandles) {
  DeviceFolder folder(u"exec");
  fs::copy_file(ORVINTA_TEST_HELPER_PROGRAM, folder.Host(u"zqexec.exe"));
  const fs::path record = folder.Host(u"record.txt");
  ScopedVariable recordTo("ORVINTA_HELPER_RECORD", record.string());
  CountingProcesses counter;
  EXPECT_EQ(Result(u"EXEC \\exec\\zqexec.exe,linger=150"), 0);  // ends after 150 ms
  EXPECT_EQ(DeviceFolder::ReadHostFile(record), "start [linger=150]\nend\n");
  EXPECT_EQ(counter.openHandles, 0) << "every handle is closed";
}

TEST(Cdll, UnloadsTheLibraryAfterEveryCall) {
  DeviceFolder folder(u"lib");
  fs::copy_file(ORVINTA_TEST_LIBRARY, folder.Host(u"zqtest.dll"));
  CountingProcesses counter;
  Result(u"CDLL \\lib\\zqtest.dll\nCDLL \\lib\\zqtest.dll,Missing\nCDLL \\lib\\missing.dll");
  EXPECT_EQ(counter.loaded, 2);
  EXPECT_EQ(counter.freed, 2);
}

// Two helpers linger; whatever still runs is ended afterwards.
TEST(Kill, ReportsOneWhenNothingCouldBeEndedAndClosesEveryHandle) {
  DeviceFolder folder(u"kill");
  for (const char16_t* name : {u"zqkill.exe", u"zqkill2.exe"}) {
    fs::copy_file(ORVINTA_TEST_HELPER_PROGRAM, folder.Host(name));
    ASSERT_EQ(Result(u"EXEC !\\kill\\" + std::u16string(name) + u",linger=30000"), 0);
  }
  struct Case {
    bool listable, opens, ends;
  } cases[] = {{false, true, true}, {true, false, true}, {true, true, false}};
  for (const Case& c : cases) {
    CountingProcesses refusing;
    refusing.listable = c.listable, refusing.opens = c.opens, refusing.ends = c.ends;
    EXPECT_EQ(Result(u"KILL zqkill"), 1);
    EXPECT_EQ(refusing.openHandles, 0);
  }
  CountingProcesses counting;
  EXPECT_EQ(Result(u"KILL zqkill"), 0) << "both were still running";
  EXPECT_EQ(counting.openHandles, 0);
  EXPECT_EQ(Result(u"KILL zqkill"), 1);
}

// A program in a folder beside the root whose name begins with the root's ("root2") is no
// program of the device. EXEC starts it by its host path.
TEST(Kill, AProgramBesideTheRootIsNotTheDevices) {
  const fs::path beside = pf::host::DeviceRoot() + "2", program = beside / "zqbeside.exe";
  fs::create_directories(pf::host::DeviceRoot());  // a missing root has no programs at all
  fs::create_directories(beside);
  fs::copy_file(ORVINTA_TEST_HELPER_PROGRAM, program, fs::copy_options::overwrite_existing);
  CountingProcesses started;
  ASSERT_EQ(Result(u"EXEC !" + program.u16string() + u",linger=30000"), 0);
  EXPECT_EQ(Result(u"KILL zqbeside"), 1);
  kill(static_cast<pid_t>(started.lastStarted), SIGKILL);
  waitpid(static_cast<pid_t>(started.lastStarted), nullptr, 0);
  fs::remove_all(beside);
}

}  // namespace
}  // namespace orvinta::test
