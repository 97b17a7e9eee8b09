// EXEC, CDLL and KILL on the host: real programs and a real library, built by the tests, below
// the unit tests' own virtual device root. KILL only ever sees processes started from there.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/forwarding_processes.h"
#include "support/run_script.h"
#include "support/test_environment.h"

namespace orvinta::test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// --- EXEC ---

class Exec : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshDeviceFolder("exec");
    fs::copy_file(ORVINTA_TEST_HELPER_PROGRAM, folder_ / "zqexec.exe");
    std::ofstream(folder_ / "notes.exe") << "not a program\n";
    fs::permissions(folder_ / "notes.exe", fs::perms::owner_all, fs::perm_options::add);
  }
  std::string Record() const { return ReadFile(record_); }

  fs::path folder_;
  fs::path record_ = TestDeviceRoot() / "exec-record.txt";
  ScopedVariable recordTo_{"ORVINTA_HELPER_RECORD", (fs::remove(record_), record_.string())};
};

TEST_F(Exec, PassesTheCommandLineAndWaitsForTheProgramToEnd) {
  const std::pair<const char16_t*, std::string> cases[] = {
      {u"EXEC \\exec\\zqexec.exe,one two", "start [one] [two]\nend\n"},
      {u"EXEC \\exec\\zqexec.exe,a%,b", "start [a,b]\nend\n"},
      {u"EXEC \\exec\\zqexec.exe,a,b", "start [a\x01" "b]\nend\n"},  // an unescaped comma arrives as U+0001
      {u"EXEC \\exec\\zqexec.exe,\"two words\" x", "start [two words] [x]\nend\n"},
      {u"EXEC \\exec\\zqexec.exe", "start\nend\n"},
      {u"EXEC \\EXEC\\ZQEXEC.EXE,x", "start [x]\nend\n"},
      {u"\\exec\\zqexec.exe", "start\nend\n"},  // no keyword: the line goes to EXEC whole
      {u"EXEC \\exec\\zqexec.exe,linger=150", "start [linger=150]\nend\n"},
  };
  for (const auto& [script, record] : cases) {
    fs::remove(record_);
    EXPECT_EQ(RunScriptText(script), 0) << record;
    EXPECT_EQ(Record(), record);
  }
}

TEST_F(Exec, WithBangReturnsWhileTheProgramStillRuns) {
  EXPECT_EQ(RunScriptText(u"EXEC !\\exec\\zqexec.exe,linger=20000"), 0);
  EXPECT_EQ(Record().find("end"), std::string::npos);
  EXPECT_EQ(RunScriptText(u"KILL zqexec"), 0);
}

TEST_F(Exec, ReportsOneWhenTheProgramCannotStart) {
  for (const char16_t* script : {u"EXEC \\exec\\missing.exe", u"EXEC \\exec", u"EXEC \\exec\\notes.exe,x",
                                 u"EXEC !", u"EXEC", u"\\exec\\missing.exe,x"}) {
    EXPECT_EQ(RunScriptText(script), 1);
  }
  EXPECT_FALSE(fs::exists(record_));
}

// --- CDLL ---

class Cdll : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::path folder = FreshDeviceFolder("lib");
    fs::copy_file(ORVINTA_TEST_LIBRARY, folder / "zqtest.dll");
    std::ofstream(folder / "text.dll") << "not a library\n";
  }
};

TEST_F(Cdll, CallsTheExportWithAsManyArgumentsAsGiven) {
  const std::pair<const char16_t*, int32_t> cases[] = {
      {u"CDLL \\lib\\zqtest.dll", 0x15EED},
      {u"\\lib\\zqtest.dll", 0x15EED},  // no keyword: the line goes to CDLL whole
      {u"CDLL \\lib\\zqtest.dll,NoArguments", 0x10064},
      {u"CDLL \\lib\\zqtest.dll,Identity,#16", 16},
      {u"CDLL \\lib\\zqtest.dll,Identity,#0x10", 16},
      {u"CDLL \\lib\\zqtest.dll,Identity,#-5", -5},
      {u"CDLL \\lib\\zqtest.dll,FirstUnit,x#1", u'x'},  // "#" only counts first
      {u"CDLL \\lib\\zqtest.dll,Difference,#10,#3", 7},
      {u"CDLL \\lib\\zqtest.dll,Weighted3,#1,#2,#3", 321},
      {u"CDLL \\lib\\zqtest.dll,Weighted4,#1,#2,#3,#4", 4321},
      {u"CDLL \\lib\\zqtest.dll,TextLength,hello", 5},
      {u"CDLL \\lib\\zqtest.dll,TextLength,", 0},
      {u"CDLL \\lib\\zqtest.dll,TextLength,a%,b", 3},
      {u"CDLL \\lib\\zqtest.dll,Mixed,#1,abc,#2,de", 2231},
      {u"CDLL \\lib\\zqtest.dll,Mixed,#1,abc,#2,d,e,f", 5231},  // the fourth keeps the rest: 5 units
  };
  for (const auto& [script, result] : cases) EXPECT_EQ(RunScriptText(script), result) << result;
}

TEST_F(Cdll, AnswersNoInterfaceWhenLibraryOrExportIsMissing) {
  const int32_t noInterface = win::AsResult(win::kENoInterface);
  for (const char16_t* script :
       {u"CDLL \\lib\\zqtest.dll,Missing", u"CDLL \\lib\\zqtest.dll,", u"CDLL \\lib\\missing.dll",
        u"CDLL \\lib\\text.dll", u"CDLL \\lib", u"CDLL zqtest.dll", u"CDLL"}) {
    EXPECT_EQ(RunScriptText(script), noInterface);
  }
}

// Counts libraries loaded and freed through the service in force.
class LibraryCounter final : public ForwardingProcesses {
 public:
  int loaded = 0, freed = 0;
  platform::ModuleHandle LoadLibraryW(const char16_t* path) override {
    platform::ModuleHandle module = ForwardingProcesses::LoadLibraryW(path);
    loaded += module != nullptr ? 1 : 0;
    return module;
  }
  bool FreeLibrary(platform::ModuleHandle module) override {
    ++freed;
    return ForwardingProcesses::FreeLibrary(module);
  }
};

TEST_F(Cdll, UnloadsTheLibraryAfterEveryCall) {
  LibraryCounter counter;
  platform::ServiceOverride<platform::Processes> use(&platform::Services::processes, &counter);
  RunScriptText(u"CDLL \\lib\\zqtest.dll\nCDLL \\lib\\zqtest.dll,Missing\nCDLL \\lib\\missing.dll");
  EXPECT_EQ(counter.loaded, 2);
  EXPECT_EQ(counter.freed, 2);
}

// --- KILL ---

// Helpers lingering under chosen names; every one still running is ended when the test ends.
class Kill : public ::testing::Test {
 protected:
  static constexpr const char* kNames[] = {"zqkill.exe", "zqkills.exe", "ZQKILL2.EXE",
                                           "zqother.exe", "zq0x.exe", "zq[a.exe"};
  static void StartHelpers() {
    fs::path folder = FreshDeviceFolder("kill");
    std::u16string script;
    for (const char* name : kNames) {
      fs::copy_file(ORVINTA_TEST_HELPER_PROGRAM, folder / name);
      script += u"EXEC !\\kill\\" + std::u16string(name, name + std::strlen(name)) + u",linger=30000\n";
    }
    ASSERT_EQ(RunScriptText(script), 0);
  }
  void TearDown() override { RunScriptText(u"KILL"); }

  // The names of the device's running processes, in the order of kNames.
  static std::vector<std::string> Running() {
    platform::Processes& processes = *platform::Get().processes;
    std::vector<std::u16string> listed;
    platform::Handle snapshot = processes.CreateToolhelp32Snapshot(win::kTh32csSnapProcess, 0);
    platform::ProcessEntry entry;
    for (bool more = processes.Process32FirstW(snapshot, &entry); more; more = processes.Process32NextW(snapshot, &entry)) {
      listed.emplace_back(entry.exeFile);
    }
    processes.CloseToolhelp32Snapshot(snapshot);
    std::vector<std::string> running;
    for (const char* name : kNames) {
      for (const std::u16string& found : listed) {
        if (found == std::u16string(name, name + std::strlen(name))) {
          running.emplace_back(name);
          break;
        }
      }
    }
    return running;
  }
};

struct KillCase {
  const char16_t* script;
  int32_t result;
  std::vector<std::string> left;
};

TEST_F(Kill, EndsEveryProcessWhoseNameBeginsWithTheArgument) {
  const std::vector<std::string> all(std::begin(kNames), std::end(kNames));
  const KillCase cases[] = {
      {u"KILL zqkill", 0, {"zqother.exe", "zq0x.exe", "zq[a.exe"}},
      {u"KILL ZQKILL.EXE", 0, {"zqkills.exe", "ZQKILL2.EXE", "zqother.exe", "zq0x.exe", "zq[a.exe"}},
      {u"KILL zqPx", 0, {"zqkill.exe", "zqkills.exe", "ZQKILL2.EXE", "zqother.exe", "zq[a.exe"}},  // "0" and "P"
      {u"KILL zq{", 0, {"zqkill.exe", "zqkills.exe", "ZQKILL2.EXE", "zqother.exe", "zq0x.exe"}},   // "[" and "{"
      {u"KILL zqkill.exe  ", 0, {"zqkills.exe", "ZQKILL2.EXE", "zqother.exe", "zq0x.exe", "zq[a.exe"}},
      {u"KILL zqkill.exe x", 1, all},  // past the name's end only blanks match
      {u"KILL zqnothing", 1, all},
      {u"KILL", 0, {}},
  };
  for (const KillCase& c : cases) {
    StartHelpers();
    EXPECT_EQ(Running(), all);
    EXPECT_EQ(RunScriptText(c.script), c.result);
    EXPECT_EQ(Running(), c.left);
    RunScriptText(u"KILL");
  }
}

class UnreadableProcessList final : public ForwardingProcesses {
 public:
  platform::Handle CreateToolhelp32Snapshot(uint32_t, uint32_t) override { return platform::kInvalidHandleValue; }
};

// Processes that can be listed but not opened, or opened but not ended; counts open handles.
class UnyieldingProcesses final : public ForwardingProcesses {
 public:
  bool opens = true;
  int openHandles = 0;
  platform::Handle OpenProcess(uint32_t access, bool inherit, uint32_t id) override {
    if (!opens) return nullptr;
    platform::Handle process = ForwardingProcesses::OpenProcess(access, inherit, id);
    openHandles += process != nullptr ? 1 : 0;
    return process;
  }
  bool TerminateProcess(platform::Handle, uint32_t) override { return false; }
  bool CloseHandle(platform::Handle handle) override {
    --openHandles;
    return ForwardingProcesses::CloseHandle(handle);
  }
};

TEST_F(Kill, ReportsOneWhenNothingCouldBeEnded) {
  StartHelpers();
  {
    UnreadableProcessList unreadable;
    platform::ServiceOverride<platform::Processes> use(&platform::Services::processes, &unreadable);
    EXPECT_EQ(RunScriptText(u"KILL zq"), 1);
  }
  for (bool opens : {false, true}) {
    UnyieldingProcesses unyielding;
    unyielding.opens = opens;
    platform::ServiceOverride<platform::Processes> use(&platform::Services::processes, &unyielding);
    EXPECT_EQ(RunScriptText(u"KILL zq"), 1);
    EXPECT_EQ(unyielding.openHandles, 0);
  }
  EXPECT_EQ(Running().size(), std::size(kNames));
}

}  // namespace
}  // namespace orvinta::test
