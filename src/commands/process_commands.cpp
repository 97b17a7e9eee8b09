// EXEC, CDLL and KILL: starting programs, calling library exports, ending processes by name.
#include "base/number.h"
#include "base/text.h"
#include "commands/system_commands.h"
#include "platform/platform.h"

namespace orvinta::commands {

namespace {

using base::ParseNumber;
using engine::CutAtSeparator;
using engine::ScriptContext;
using platform::Handle;

// A call argument: "#" and a number is that number (sign-extended to a machine word); any other
// field is passed by the address of its text.
uintptr_t CallWord(char16_t* field) {
  if (field[0] == u'#') return static_cast<uintptr_t>(static_cast<intptr_t>(ParseNumber(field + 1)));
  return reinterpret_cast<uintptr_t>(field);
}

}  // namespace

int32_t HandleExec(char16_t*, char16_t* argument, ScriptContext&) {
  bool wait = true;
  if (*argument == u'!') {
    wait = false;
    ++argument;
  }
  // The command line is everything after the first separator, further separators included.
  char16_t* commandLine = CutAtSeparator(argument);

  platform::Processes& processes = *platform::Get().processes;
  platform::ProcessInformation started;
  if (!processes.CreateProcessW(argument, commandLine, &started)) return 1;
  if (wait) processes.WaitForSingleObject(started.process, win::kInfinite);
  processes.CloseHandle(started.thread);
  processes.CloseHandle(started.process);
  return 0;
}

int32_t HandleCdll(char16_t*, char16_t* argument, ScriptContext&) {
  const char16_t* function = u"DllRegisterServer";
  uintptr_t words[4] = {};
  int count = 0;
  if (char16_t* field = CutAtSeparator(argument); field != nullptr) {
    function = field;  // may be empty: an empty name is looked up as it is
    // Each cut ends the field before it; the fourth argument keeps any further separators.
    while (count < 4 && (field = CutAtSeparator(field)) != nullptr) words[count++] = CallWord(field);
  }

  platform::Processes& processes = *platform::Get().processes;
  platform::ModuleHandle library = processes.LoadLibraryW(argument);
  if (library == nullptr) return win::AsResult(win::kENoInterface);
  platform::ExportAddress exported = processes.GetProcAddressW(library, function);
  if (exported == nullptr) {
    processes.FreeLibrary(library);
    return win::AsResult(win::kENoInterface);
  }
  int32_t result = processes.CallExport(exported, words, count);
  processes.FreeLibrary(library);
  return result;
}

int32_t HandleKill(char16_t*, char16_t* argument, ScriptContext&) {
  platform::Processes& processes = *platform::Get().processes;
  Handle snapshot = processes.CreateToolhelp32Snapshot(win::kTh32csSnapProcess, 0);
  if (snapshot == platform::kInvalidHandleValue) return 1;

  const size_t length = base::TextLength(argument);
  int32_t result = 1;
  platform::ProcessEntry entry;
  for (bool more = processes.Process32FirstW(snapshot, &entry); more;
       more = processes.Process32NextW(snapshot, &entry)) {
    // A prefix of the file name under the differ-by-32 rule; past the name's end only blanks match.
    if (base::PrefixLengthNoCase(argument, entry.exeFile) < length) continue;
    Handle process = processes.OpenProcess(win::kProcessTerminate, false, entry.processId);
    if (process == nullptr) continue;
    if (processes.TerminateProcess(process, 0)) result = 0;
    processes.CloseHandle(process);
  }
  processes.CloseToolhelp32Snapshot(snapshot);
  return result;
}

}  // namespace orvinta::commands
