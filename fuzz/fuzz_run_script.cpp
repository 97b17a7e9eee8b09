// libFuzzer target: arbitrary bytes as a script, run through the script runner on the host.
//
// The input is UTF-16 LE text up to its first zero unit (an odd trailing byte is dropped), copied
// into a writable, zero-terminated buffer of its own length, because the runner works in place
// on the text. The run must not
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
#include "app/rooms.h"
#include "engine/interpreter_state.h"
#include "engine/runner.h"
#include "sandbox.h"

namespace {

using orvinta::platform::Log;
using orvinta::platform::ServiceOverride;
using orvinta::platform::Services;

struct BudgetExhausted {};

// Enough for the deepest nesting (256 runs) a few times over; small enough that an input of
// long lines and macros stays well under a second with the sanitizers.
constexpr uint64_t kBudget = 4000;
constexpr uint64_t kPerLine = 1;
constexpr uint64_t kPerSpecialFolder = 8;
uint64_t g_spent = 0;

void Spend(uint64_t units) {
  g_spent += units;
  if (g_spent > kBudget) throw BudgetExhausted{};
}

// Stays off, and charges for every dispatched line through the runner's question.
class BudgetLog final : public Log {
 public:
  bool Enabled() override {
    Spend(kPerLine);
    return false;
  }
  void Append(std::u16string_view) override {}
};

// The host's files for device paths only, with units spent per special folder looked up.
class BudgetFiles final : public orvinta::fuzz::DeviceOnlyFiles {
 public:
  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    Spend(kPerSpecialFolder);
    return DeviceOnlyFiles::SpecialFolderPath(csidl, buffer, create);
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  orvinta::fuzz::Sandbox<BudgetFiles>();
  static BudgetLog log;
  static ServiceOverride<Log> logOverride(&Services::log, &log);
  orvinta::app::WireRooms();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto text = orvinta::fuzz::OwnBuffer(orvinta::fuzz::Utf16Of(data, size));

  // The interpreter's state outlives a run; every input starts from a fresh one.
  orvinta::engine::ResetInterpreterState();
  g_spent = 0;
  try {
    orvinta::engine::RunScript(text.get(), u"\\Fuzz\\case.ovs");
  } catch (const BudgetExhausted&) {
  }
  return 0;
}
