// libFuzzer target: arbitrary bytes as a script, run through the script runner on the host.
//
// The input is UTF-16 LE text (an odd trailing byte is dropped), copied into a writable,
// zero-terminated buffer, because the runner works in place on the text. The run must not
// touch anything but a private device root, and nothing in it may wait: the device is
// replaced by one whose Sleep returns at once and whose MessageBeep is silent, and the file
// service refuses every path that is not a device path (LOAD could otherwise read host files).
//
// Every script ends, since jumps and calls only go forward, but not every script ends soon:
// a procedure without ENDP runs to the end of the text, calls included, so each CALL that
// reaches the same procedure again doubles the work ("CALL\nCALL\nPROC\n" forty times runs
// for days). So an input gets a budget of work: one unit each time the runner asks the log
// whether it is on (it does so for every dispatched line) and eight per special folder a macro
// looks up (each creates its folder chain on disk). Past the budget the run is abandoned by an
// exception that unwinds the nested runs; a fresh copy of the text and cleared user variables make the next
// input independent of it.
#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "sandbox.h"
#include "app/rooms.h"
#include "engine/interpreter_state.h"
#include "engine/runner.h"
#include "platform/platform.h"

namespace {

using orvinta::platform::Device;
using orvinta::platform::Log;
using orvinta::platform::ServiceOverride;
using orvinta::platform::Services;

struct BudgetExhausted {};

class Budget {
 public:
  // Enough for the deepest nesting (256 runs) a few times over; small enough that an input of
  // long lines and macros stays well under a second with the sanitizers.
  static constexpr uint64_t kUnits = 4000;
  static constexpr uint64_t kPerLine = 1;
  static constexpr uint64_t kPerSpecialFolder = 8;

  void Reset() { spent_ = 0; }
  void Spend(uint64_t units) {
    spent_ += units;
    if (spent_ > kUnits) throw BudgetExhausted{};
  }

 private:
  uint64_t spent_ = 0;
};

Budget g_budget;

// Stays off, and charges for every dispatched line through the runner's question.
class BudgetLog final : public Log {
 public:
  bool Enabled() override {
    g_budget.Spend(Budget::kPerLine);
    return false;
  }
  void Append(std::u16string_view) override {}
};

// The host's files for device paths only, with units spent per special folder looked up.
class BudgetFiles final : public orvinta::fuzz::DeviceOnlyFiles {
 public:
  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    g_budget.Spend(Budget::kPerSpecialFolder);
    return DeviceOnlyFiles::SpecialFolderPath(csidl, buffer, create);
  }
};

// <private folder>/root is the device's root; the registry hive goes beside it, in the same folder.
char g_folder[64];

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

// Folders that macros such as %W create are dropped with the root when the fuzzer exits.
void RemoveFolder() {
  if (g_folder[0] != 0) nftw(g_folder, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Before anything reaches the platform: the backends read these once, on first use.
  const char* tmp = getenv("TMPDIR");
  if (tmp == nullptr || *tmp != '/' || strlen(tmp) > sizeof g_folder - 24) tmp = "/tmp";
  snprintf(g_folder, sizeof g_folder, "%s/orvinta-fuzz-XXXXXX", tmp);
  if (mkdtemp(g_folder) == nullptr) {
    perror("mkdtemp");
    abort();
  }
  atexit(RemoveFolder);
  char path[sizeof g_folder + 16];
  snprintf(path, sizeof path, "%s/root", g_folder);
  setenv("ORVINTA_ROOT", path, 1);
  snprintf(path, sizeof path, "%s/registry", g_folder);
  setenv("ORVINTA_REGISTRY", path, 1);
  unsetenv("ORVINTA_LOG");
  unsetenv("ORVINTA_JOURNAL");

  static orvinta::fuzz::QuietDevice device;
  static orvinta::fuzz::RefusingProcesses processes;
  static BudgetFiles files;
  static BudgetLog log;
  static ServiceOverride<Device> deviceOverride(&Services::device, &device);
  static ServiceOverride<Log> logOverride(&Services::log, &log);
  orvinta::app::WireRooms();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char16_t> text(size / 2 + 1, 0);
  for (size_t i = 0; i + 1 < size; i += 2) text[i / 2] = static_cast<char16_t>(data[i] | (data[i + 1] << 8));

  // The interpreter's state outlives a run; every input starts from a fresh one.
  orvinta::engine::ResetInterpreterState();
  g_budget.Reset();
  try {
    orvinta::engine::RunScript(text.data(), u"\\Fuzz\\case.ovs");
  } catch (const BudgetExhausted&) {
  }
  return 0;
}
