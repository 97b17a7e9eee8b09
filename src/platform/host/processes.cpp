// Processes and libraries on the host.
//
// EXEC starts host programs: the program path is mapped like any device path, and the command
// line is split into arguments by the Windows rules (platform/command_line_words.h). A build
// machine is not a device, so the process list holds only the virtual device's processes: those
// whose executable lies below ORVINTA_ROOT. KILL can therefore never end a shell, a desktop or
// anything else of the person at the machine. TerminateProcess ends a process with SIGKILL, at
// once and without letting it clean up, as on Windows; the exit code cannot be carried.
// Libraries are shared objects loaded with dlopen.
#include "platform/processes.h"

#include <dirent.h>
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/command_line_words.h"
#include "platform/host/device_paths.h"
#include "platform/host/embedded_resource.h"
#include "platform/host/log_file.h"
#include "platform/shell.h"
#include "platform/host/system_calls.h"
#include "base/case_rules.h"
#include "base/utf8.h"

extern char** environ;

namespace orvinta::platform {

namespace {

using host::Sys;

// Resource names match as Windows matches them: upper-cased.
bool SameNameNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (base::NameUpper(a[i]) != base::NameUpper(b[i])) return false;
  }
  return true;
}

// --- Handles: every handle is one of these objects, known while it is open. ---

struct HostObject {
  virtual ~HostObject() = default;
};

struct ProcessObject final : HostObject {
  pid_t pid = 0;
  int pidfd = -1;  // where the kernel has them: signals and waits reach this very process
  ~ProcessObject() override {
    if (pidfd >= 0) Sys().close(pidfd);
  }
};

// The started program's thread: the host has none to show, but CreateProcessW hands one out.
struct ThreadObject final : HostObject {};

struct SnapshotObject final : HostObject {
  std::vector<ProcessEntry> entries;
  size_t next = 0;
};

std::set<HostObject*> g_open;
// Programs this process started and has not yet reaped; reaped whenever they have ended.
std::set<pid_t> g_children;

template <typename T>
T* Open(Handle handle) {
  auto found = g_open.find(static_cast<HostObject*>(handle));
  return found == g_open.end() ? nullptr : dynamic_cast<T*>(*found);
}

Handle Keep(HostObject* object) {
  g_open.insert(object);
  return object;
}

// Reaps the children that have ended, so none lingers as a zombie.
void ReapEndedChildren() {
  for (auto it = g_children.begin(); it != g_children.end();) {
    pid_t result = Sys().waitpid(*it, nullptr, WNOHANG);
    it = (result == *it || (result < 0 && errno == ECHILD)) ? g_children.erase(it) : std::next(it);
  }
}

// Whether the process has ended. A child of ours is reaped here once it has.
bool HasEnded(const ProcessObject& process, bool block) {
  if (g_children.count(process.pid) != 0) {
    int status = 0;
    pid_t result;
    do {
      result = Sys().waitpid(process.pid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return false;
    g_children.erase(process.pid);
    return true;
  }
  if (process.pidfd >= 0) {
    pollfd ready{process.pidfd, POLLIN, 0};
    while (Sys().poll(&ready, 1, block ? -1 : 0) < 0) {
      if (errno != EINTR) return true;
    }
    return (ready.revents & POLLIN) != 0;
  }
  // Without a pidfd a process not our own is polled with the null signal, which fails with
  // ESRCH once it is gone.
  for (;;) {
    if (Sys().kill(process.pid, 0) != 0 && errno == ESRCH) return true;
    if (!block) return false;
    timespec pause{0, 10 * 1000000L};
    Sys().nanosleep(&pause, nullptr);
  }
}

// --- The virtual device's processes. ---

// The root with its links resolved; "" (no device processes) when it is missing, or when it
// is the machine's own root, which would make every process the device's.
std::string CanonicalDeviceRoot() {
  char resolved[PATH_MAX];
  if (Sys().realpath(host::DeviceRoot().c_str(), resolved) == nullptr || std::strcmp(resolved, "/") == 0) return {};
  return resolved;
}

// The executable of a process when it lies below the root, or "".
std::string DeviceExecutable(pid_t pid, const std::string& root) {
  if (root.empty()) return {};
  char path[PATH_MAX];
  std::string link = "/proc/" + std::to_string(pid) + "/exe";
  ssize_t length = Sys().readlink(link.c_str(), path, sizeof path - 1);
  if (length <= 0) return {};
  std::string executable(path, static_cast<size_t>(length));
  const std::string deleted = " (deleted)";
  if (executable.size() > deleted.size() && executable.ends_with(deleted)) {
    executable.resize(executable.size() - deleted.size());
  }
  if (executable.size() <= root.size() + 1 || executable.compare(0, root.size(), root) != 0 ||
      executable[root.size()] != '/') {
    return {};
  }
  return executable;
}

ProcessEntry EntryFor(pid_t pid, const std::string& executable) {
  ProcessEntry entry;
  entry.processId = static_cast<uint32_t>(pid);
  std::u16string name = base::Utf8ToUtf16(executable.substr(executable.rfind('/') + 1));
  size_t n = 0;
  for (; n < name.size() && n + 1 < win::kMaxPath; ++n) entry.exeFile[n] = name[n];
  entry.exeFile[n] = 0;
  return entry;
}

int OpenPidfd(pid_t pid) { return Sys().pidfd_open(pid); }

bool SignalKill(const ProcessObject& process) {
  if (process.pidfd >= 0) return Sys().pidfd_send_signal(process.pidfd, SIGKILL) == 0;
  return Sys().kill(process.pid, SIGKILL) == 0;
}

class HostProcesses final : public Processes {
 public:
  uint32_t ModuleFileName(char16_t* buffer, uint32_t capacity) override {
    if (capacity == 0) return 0;
    char path[PATH_MAX];
    ssize_t length = Sys().readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
      buffer[0] = 0;
      return 0;
    }
    std::u16string wide = base::Utf8ToUtf16(std::string_view(path, static_cast<size_t>(length)));
    uint32_t n = 0;
    for (; n < wide.size() && n + 1 < capacity; ++n) buffer[n] = wide[n];
    buffer[n] = 0;
    return n;
  }

  bool FindResourceData(std::u16string_view name, uint32_t type, ResourceBytes* out) override {
    if (type == kRtHtml && SameNameNoCase(name, kHelpResourceName)) return host::HelpPageResource(out);
    if (type != win::kRtRcData || !SameNameNoCase(name, u"ORVINTA")) return false;
    return host::DefaultScriptResource(out);
  }

  bool CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                      ProcessInformation* information) override {
    ReapEndedChildren();
    std::vector<std::u16string> words;
    if (commandLine != nullptr) words = CommandLineWords(commandLine);
    std::u16string program;
    if (applicationName != nullptr) {
      program = applicationName;
    } else if (!words.empty()) {  // without a module name the command line's first word names it
      program = words.front();
      words.erase(words.begin());
    }
    if (program.empty()) return false;

    std::vector<std::string> arguments{host::HostPathFor(program)};
    for (const std::u16string& word : words) arguments.push_back(base::Utf16ToUtf8(word));
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    host::FlushLog();  // a child that logs too writes after what came before it
    if (Sys().posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    g_children.insert(pid);
    auto* process = new ProcessObject;
    process->pid = pid;
    process->pidfd = OpenPidfd(pid);
    information->process = Keep(process);
    information->thread = Keep(new ThreadObject);
    information->processId = static_cast<uint32_t>(pid);
    information->threadId = static_cast<uint32_t>(pid);
    return true;
  }

  uint32_t WaitForSingleObject(Handle object, uint32_t milliseconds) override {
    ProcessObject* process = Open<ProcessObject>(object);
    if (process == nullptr) return win::kWaitFailed;
    if (milliseconds == win::kInfinite) {
      HasEnded(*process, true);
      return win::kWaitObject0;
    }
    for (uint32_t waited = 0;; waited += 10) {
      if (HasEnded(*process, false)) return win::kWaitObject0;
      if (waited >= milliseconds) return win::kWaitTimeout;
      timespec pause{0, 10 * 1000000L};
      Sys().nanosleep(&pause, nullptr);
    }
  }

  bool CloseHandle(Handle object) override {
    auto found = g_open.find(static_cast<HostObject*>(object));
    if (found == g_open.end() || dynamic_cast<SnapshotObject*>(*found) != nullptr) return false;
    delete *found;
    g_open.erase(found);
    ReapEndedChildren();
    return true;
  }

  Handle CreateToolhelp32Snapshot(uint32_t flags, uint32_t) override {
    if ((flags & win::kTh32csSnapProcess) == 0) return kInvalidHandleValue;
    ReapEndedChildren();
    DIR* proc = Sys().opendir("/proc");
    if (proc == nullptr) return kInvalidHandleValue;
    auto* snapshot = new SnapshotObject;
    const std::string root = CanonicalDeviceRoot();
    while (dirent* entry = Sys().readdir(proc)) {
      char* end = nullptr;
      long pid = std::strtol(entry->d_name, &end, 10);
      if (end == entry->d_name || *end != 0 || pid <= 0) continue;
      std::string executable = DeviceExecutable(static_cast<pid_t>(pid), root);
      if (!executable.empty()) snapshot->entries.push_back(EntryFor(static_cast<pid_t>(pid), executable));
    }
    Sys().closedir(proc);
    return Keep(snapshot);
  }

  bool Process32FirstW(Handle snapshot, ProcessEntry* entry) override {
    SnapshotObject* list = Open<SnapshotObject>(snapshot);
    if (list == nullptr) return false;
    list->next = 0;
    return Process32NextW(snapshot, entry);
  }

  bool Process32NextW(Handle snapshot, ProcessEntry* entry) override {
    SnapshotObject* list = Open<SnapshotObject>(snapshot);
    if (list == nullptr || list->next >= list->entries.size()) return false;
    *entry = list->entries[list->next++];
    return true;
  }

  bool CloseToolhelp32Snapshot(Handle snapshot) override {
    SnapshotObject* list = Open<SnapshotObject>(snapshot);
    if (list == nullptr) return false;
    g_open.erase(list);
    delete list;
    return true;
  }

  Handle OpenProcess(uint32_t, bool, uint32_t processId) override {
    const auto pid = static_cast<pid_t>(processId);
    const std::string root = CanonicalDeviceRoot();
    if (pid <= 0 || DeviceExecutable(pid, root).empty()) return nullptr;
    auto* process = new ProcessObject;
    process->pid = pid;
    process->pidfd = OpenPidfd(pid);
    // Checked again once the pidfd holds the process: the number may have been reused between.
    if (DeviceExecutable(pid, root).empty()) {
      delete process;
      return nullptr;
    }
    return Keep(process);
  }

  bool TerminateProcess(Handle handle, uint32_t) override {
    ProcessObject* process = Open<ProcessObject>(handle);
    if (process == nullptr || !SignalKill(*process)) return false;
    if (g_children.count(process->pid) != 0) HasEnded(*process, true);  // SIGKILL ends it at once
    return true;
  }

  ModuleHandle LoadLibraryW(const char16_t* path) override {
    // As Windows' loader does, a name without an extension gets ".dll" (a final "." says it has none).
    std::u16string name(path);
    const size_t nameStart = name.find_last_of(u"\\/");
    if (name.find(u'.', nameStart == std::u16string::npos ? 0 : nameStart + 1) == std::u16string::npos) name += u".dll";
    std::string file = host::HostPathFor(name);
    if (file.empty()) return nullptr;
    // A bare name would send dlopen searching the system's folders; it names a file here instead.
    if (file.find('/') == std::string::npos) file = "./" + file;
    return Sys().dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  }

  ExportAddress GetProcAddressW(ModuleHandle module, const char16_t* name) override {
    if (module == nullptr) return nullptr;
    return Sys().dlsym(module, base::Utf16ToUtf8(name).c_str());
  }

  bool FreeLibrary(ModuleHandle module) override { return module != nullptr && Sys().dlclose(module) == 0; }

  int32_t CallExport(ExportAddress function, const uintptr_t* w, int count) override {
    // Each argument is one integer register of the System V calling convention; the function
    // reads as many as it declares, and its 32-bit result is the low half of the return register.
    switch (count) {
      case 0: return reinterpret_cast<int32_t (*)()>(function)();
      case 1: return reinterpret_cast<int32_t (*)(uintptr_t)>(function)(w[0]);
      case 2: return reinterpret_cast<int32_t (*)(uintptr_t, uintptr_t)>(function)(w[0], w[1]);
      case 3: return reinterpret_cast<int32_t (*)(uintptr_t, uintptr_t, uintptr_t)>(function)(w[0], w[1], w[2]);
      default:
        return reinterpret_cast<int32_t (*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t)>(function)(w[0], w[1], w[2],
                                                                                                  w[3]);
    }
  }
};

}  // namespace

Processes* backend::DefaultProcesses() {
  static HostProcesses processes;
  return &processes;
}

}  // namespace orvinta::platform
