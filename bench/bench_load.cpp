// LOAD of a large generated script, beside `cat file >/dev/null` and beside dash running the
// equivalent shell script, with the heap the load takes.
//
// The script (about 20 MB by default) is comment lines and EVAL lines, in ANSI; LOAD reads it
// with one allocation for the bytes and one for the UTF-16 text, then runs it in place. cat and
// dash run as child processes; their start-up, timed on an empty file, is taken off. Figures are
// the best of a few runs on a monotonic clock, printed with the ratios ours / cat and ours /
// dash. The heap figures are the peak of bytes held during one LOAD, as a multiple of the file
// size, and the number of blocks at least half the file's size. A UTF-16 copy of the script is
// loaded too, for comparison (no conversion, so one block). Reported, never judged.
//
//   orvinta_bench_load [--megabytes N] [--runs N] [--codepage N] [--dash PATH]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/rooms.h"
#include "engine/load.h"
#include "heap_watch.h"
#include "platform/host/code_page.h"
#include "platform/device_journal.h"
#include "platform/platform.h"

extern char** environ;

namespace {

using orvinta::platform::Device;
using orvinta::platform::ServiceOverride;
using orvinta::platform::Services;
using Clock = std::chrono::steady_clock;

// No sleeping or beeping whatever a script asks for, and none of the device's own services.
class QuietDevice final : public orvinta::platform::StandInDevice {
 public:
  void Sleep(uint32_t) override {}
};

struct Generated {
  std::string ours;   // ANSI
  std::string shell;  // dash's
  uint64_t lines = 0;
};

// Three lines per round: a comment, a variable set to a text, the last result set to a number.
// The last line leaves 7, which the bench checks.
Generated Generate(uint64_t bytes) {
  Generated g;
  g.ours.reserve(bytes + 256);
  g.shell.reserve(bytes + 256);
  char line[160];
  for (uint64_t round = 0; g.ours.size() < bytes; ++round) {
    int n = std::snprintf(line, sizeof line, "; comment %07llu: the quick brown fox jumps over the lazy dog\r\n",
                          static_cast<unsigned long long>(round));
    g.ours.append(line, static_cast<size_t>(n));
    g.shell += "#";
    g.shell.append(line + 1, static_cast<size_t>(n - 3));
    g.shell += "\n";
    n = std::snprintf(line, sizeof line, "EVAL 1=value %07llu\r\n", static_cast<unsigned long long>(round));
    g.ours.append(line, static_cast<size_t>(n));
    n = std::snprintf(line, sizeof line, "v1='value %07llu'\n", static_cast<unsigned long long>(round));
    g.shell.append(line, static_cast<size_t>(n));
    n = std::snprintf(line, sizeof line, "EVAL x=%llu\r\n", static_cast<unsigned long long>(round % 1000));
    g.ours.append(line, static_cast<size_t>(n));
    n = std::snprintf(line, sizeof line, "r=%llu\n", static_cast<unsigned long long>(round % 1000));
    g.shell.append(line, static_cast<size_t>(n));
    g.lines += 3;
  }
  g.ours += "EVAL x=7\r\n";
  g.shell += "r=7\nexit $r\n";
  g.lines += 1;
  return g;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Utf16Le(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  out.reserve(ascii.size() * 2 + 2);
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

// Seconds for a child process with stdout to /dev/null; negative when it could not run. The exit
// status must be `status`.
double RunChild(const char* program, const std::string& argument, int status) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument.c_str()), nullptr};
  auto start = Clock::now();
  pid_t pid;
  int spawned = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int wait = 0;
  if (waitpid(pid, &wait, 0) != pid || !WIFEXITED(wait) || WEXITSTATUS(wait) != status) return -1;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename Run>
double Best(int runs, Run run) {
  double best = -1;
  for (int i = 0; i < runs; ++i) {
    double seconds = run();
    if (seconds < 0) return -1;
    if (best < 0 || seconds < best) best = seconds;
  }
  return best;
}

double LoadSeconds(const std::u16string& path, int32_t* result) {
  auto start = Clock::now();
  *result = orvinta::engine::LoadPattern(path.c_str());
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

void PrintHeap(const char* what, const std::u16string& path, uint64_t fileBytes) {
  if (!orvinta::bench::HeapWatchEnabled()) {
    std::printf("  heap (%s): not watched in this build\n", what);
    return;
  }
  orvinta::bench::ResetHeapWatch(fileBytes / 2);
  orvinta::engine::LoadPattern(path.c_str());
  orvinta::bench::HeapFigures heap = orvinta::bench::ReadHeapWatch();
  std::printf("  heap (%s): peak %.1f MB = %.2f x the file; %llu block(s) of half the file's size or more\n", what,
              static_cast<double>(heap.peakBytes) / 1e6, static_cast<double>(heap.peakBytes) / static_cast<double>(fileBytes),
              static_cast<unsigned long long>(heap.largeBlocks));
}

}  // namespace

int main(int argc, char** argv) {
  orvinta::app::WireRooms();
  uint64_t megabytes = 20;
  int runs = 5;
  uint32_t codePage = 0;
  std::string dash = "dash";
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--megabytes") megabytes = std::strtoull(argv[i + 1], nullptr, 10);
    else if (option == "--runs") runs = std::atoi(argv[i + 1]);
    else if (option == "--codepage") codePage = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
    else if (option == "--dash") dash = argv[i + 1];
    else {
      std::fprintf(stderr, "usage: orvinta_bench_load [--megabytes N] [--runs N] [--codepage N] [--dash PATH]\n");
      return 2;
    }
  }
  if (runs < 1) runs = 1;

  std::string folder = std::filesystem::temp_directory_path().string() + "/orvinta-bench-load-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) return 1;
  setenv("ORVINTA_ROOT", (folder + "/root").c_str(), 1);  // nothing is written there; kept private all the same
  unsetenv("ORVINTA_LOG");
  if (codePage != 0 && !orvinta::platform::host::SelectAnsiCodePage(codePage)) {
    std::fprintf(stderr, "code page %u is not known here\n", codePage);
    return 2;
  }
  QuietDevice quiet;
  ServiceOverride<Device> noDevice(&Services::device, &quiet);

  Generated g = Generate(megabytes * 1000 * 1000);
  const std::string ansi = folder + "/big.ovs", unicode = folder + "/big-utf16.ovs", shell = folder + "/big.sh",
                    empty = folder + "/empty";
  WriteFile(ansi, g.ours);
  WriteFile(unicode, Utf16Le(g.ours));
  WriteFile(shell, g.shell);
  WriteFile(empty, "");
  const std::u16string ansiPath = Widen(ansi), unicodePath = Widen(unicode);

  int32_t result = 0;
  LoadSeconds(ansiPath, &result);  // warm the page cache and the code
  if (result != 7) {
    std::fprintf(stderr, "the generated script ended with %d, not 7\n", result);
    return 1;
  }
  double ours = Best(runs, [&] { return LoadSeconds(ansiPath, &result); });
  double oursUtf16 = Best(runs, [&] { return LoadSeconds(unicodePath, &result); });
  double catStart = Best(runs, [&] { return RunChild("cat", empty, 0); });
  double cat = Best(runs, [&] { return RunChild("cat", ansi, 0); });
  double dashStart = Best(runs, [&] { return RunChild(dash.c_str(), empty, 0); });
  double dashRun = Best(runs, [&] { return RunChild(dash.c_str(), shell, 7); });

  const double mb = static_cast<double>(g.ours.size()) / 1e6;
  std::printf("LOAD of a generated ANSI script: %.1f MB, %llu lines, code page %u; best of %d\n", mb,
              static_cast<unsigned long long>(g.lines), orvinta::platform::host::AnsiCodePage(), runs);
  std::printf("  orvinta LOAD (ANSI)     %9.1f ms  %7.1f MB/s  %6.2f M lines/s\n", ours * 1e3, mb / ours,
              static_cast<double>(g.lines) / ours / 1e6);
  std::printf("  orvinta LOAD (UTF-16)   %9.1f ms  (the same script, twice the bytes, no conversion)\n", oursUtf16 * 1e3);
  if (cat >= 0 && catStart >= 0) {
    double c = cat - catStart > 1e-6 ? cat - catStart : 1e-6;
    std::printf("  cat file >/dev/null     %9.1f ms  ratio LOAD / cat:  %6.2f\n", c * 1e3, ours / c);
  } else {
    std::printf("  cat: could not run\n");
  }
  if (dashRun >= 0 && dashStart >= 0) {
    double d = dashRun - dashStart > 1e-6 ? dashRun - dashStart : 1e-6;
    std::printf("  dash, same script       %9.1f ms  ratio LOAD / dash: %6.2f\n", d * 1e3, ours / d);
  } else {
    std::printf("  dash: could not run (%s)\n", dash.c_str());
  }
  PrintHeap("ANSI", ansiPath, g.ours.size());
  PrintHeap("UTF-16", unicodePath, g.ours.size() * 2 + 2);
  std::filesystem::remove_all(folder);
  return 0;
}
