// LOAD of large generated scripts beside dash running the equivalent shell scripts, and the heap
// each LOAD takes as a multiple of the file.
//
// Three files, 1,000,000 lines each by default:
//   four kinds, UTF-8   rounds of "EVAL 1=5", a comment, "IFEX %1==5,EVAL 3=t", "EVAL 2=str_%1",
//                       as ANSI text in code page 65001 (converted on LOAD);
//   four kinds, UTF-16  the same script as UTF-16 LE with a byte-order mark (no conversion);
//   comments, UTF-16    comment lines only: what reading and skipping lines costs.
// dash runs a shell script that does the same work line for line. Times are CPU time (user and
// system), the median of a few runs that take turns with dash's; dash's start-up, timed on an
// empty script, is taken off. Printed: ms, ns per character of the file, and how many times
// dash's time ours is. The heap figure is the peak of bytes held during one LOAD over the file's
// size. Reported, never judged.
//
//   orvinta_bench_load [--lines N] [--runs N] [--codepage N] [--dash PATH] [--only TEXT]
// (--only runs the scripts whose names begin with TEXT: "four", "comments"; for profiling.)
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/rooms.h"
#include "engine/interpreter_state.h"
#include "engine/load.h"
#include "heap_watch.h"
#include "platform/device_journal.h"
#include "platform/host/code_page.h"
#include "platform/platform.h"

extern char** environ;

namespace {

using orvinta::platform::Device;
using orvinta::platform::ServiceOverride;
using orvinta::platform::Services;

// No sleeping or beeping whatever a script asks for, and none of the device's own services.
class QuietDevice final : public orvinta::platform::StandInDevice {
 public:
  void Sleep(uint32_t) override {}
};

struct Workload {
  const char* name;
  std::string file;   // the bytes LOAD reads
  std::string shell;  // dash's script
  uint64_t characters = 0;  // characters of the script text
  std::u16string variable2;  // what user variable 2 holds afterwards
};

constexpr char kComment[] = "; comment line %07llu\r\n";
constexpr char kShellComment[] = "# comment line %07llu\n";

std::string Utf16Le(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  out.reserve(ascii.size() * 2 + 2);
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

// Four lines per round; the shell script's lines do the same work.
void FourKinds(uint64_t lines, std::string* ours, std::string* shell) {
  char line[64];
  for (uint64_t i = 0; i < lines; ++i) {
    switch (i % 4) {
      case 0:
        *ours += "EVAL 1=5\r\n";
        *shell += "v1=5\n";
        break;
      case 1:
        ours->append(line, static_cast<size_t>(std::snprintf(line, sizeof line, kComment, static_cast<unsigned long long>(i))));
        shell->append(line, static_cast<size_t>(std::snprintf(line, sizeof line, kShellComment, static_cast<unsigned long long>(i))));
        break;
      case 2:
        *ours += "IFEX %1==5,EVAL 3=t\r\n";
        *shell += "[ \"$v1\" = 5 ] && v3=t\n";
        break;
      default:
        *ours += "EVAL 2=str_%1\r\n";
        *shell += "v2=str_$v1\n";
        break;
    }
  }
}

std::vector<Workload> Generate(uint64_t lines) {
  std::string ours, shell;
  FourKinds(lines, &ours, &shell);
  std::vector<Workload> w;
  w.push_back({"four kinds, UTF-8", ours, shell, ours.size(), lines >= 4 ? u"str_5" : u""});
  w.push_back({"four kinds, UTF-16", Utf16Le(ours), shell, ours.size() + 1, w.back().variable2});
  std::string comments, shellComments;
  char line[64];
  for (uint64_t i = 0; i < lines; ++i) {
    comments.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, kComment, static_cast<unsigned long long>(i))));
    shellComments.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, kShellComment, static_cast<unsigned long long>(i))));
  }
  w.push_back({"comments, UTF-16", Utf16Le(comments), shellComments, comments.size() + 1, u""});
  return w;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double CpuSeconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// CPU seconds (user and system) of `dash path`; negative when it could not run or failed.
double DashSeconds(const std::string& dash, const std::string& path) {
  char* argv[] = {const_cast<char*>(dash.c_str()), const_cast<char*>(path.c_str()), nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, dash.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double LoadSeconds(const std::u16string& path, int32_t* result) {
  double start = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  *result = orvinta::engine::LoadPattern(path.c_str());
  return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - start;
}

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double PeakMultiple(const std::u16string& path, uint64_t fileBytes) {
  if (!orvinta::bench::HeapWatchEnabled()) return -1;
  orvinta::bench::ResetHeapWatch(SIZE_MAX);
  orvinta::engine::LoadPattern(path.c_str());
  return static_cast<double>(orvinta::bench::ReadHeapWatch().peakBytes) / static_cast<double>(fileBytes);
}

std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

int main(int argc, char** argv) {
  orvinta::app::WireRooms();
  uint64_t lines = 1000000;
  int runs = 7;
  uint32_t codePage = 65001;
  std::string dash = "dash", only;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string_view option = argv[i];
    if (option == "--lines") lines = std::strtoull(argv[i + 1], nullptr, 10);
    else if (option == "--runs") runs = std::atoi(argv[i + 1]);
    else if (option == "--codepage") codePage = static_cast<uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
    else if (option == "--dash") dash = argv[i + 1];
    else if (option == "--only") only = argv[i + 1];
    else {
      std::fprintf(stderr, "usage: orvinta_bench_load [--lines N] [--runs N] [--codepage N] [--dash PATH] [--only TEXT]\n");
      return 2;
    }
  }
  if (runs < 1 || lines == 0 || argc % 2 == 0) {
    std::fprintf(stderr, "usage: orvinta_bench_load [--lines N] [--runs N] [--codepage N] [--dash PATH] [--only TEXT]\n");
    return 2;
  }

  std::string folder = std::filesystem::temp_directory_path().string() + "/orvinta-bench-load-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) return 1;
  setenv("ORVINTA_ROOT", (folder + "/root").c_str(), 1);  // nothing is written there; kept private all the same
  unsetenv("ORVINTA_LOG");
  if (!orvinta::platform::host::SelectAnsiCodePage(codePage)) {
    std::fprintf(stderr, "code page %u is not known here\n", codePage);
    return 2;
  }
  QuietDevice quiet;
  ServiceOverride<Device> noDevice(&Services::device, &quiet);

  std::vector<Workload> workloads = Generate(lines);
  const std::string empty = folder + "/empty.sh";
  WriteFile(empty, "\n");
  std::vector<double> starts;
  for (int i = 0; i < (runs < 10 ? 10 : runs); ++i) starts.push_back(DashSeconds(dash, empty));
  const double dashStart = *std::min_element(starts.begin(), starts.end());
  if (dashStart < 0) std::fprintf(stderr, "note: %s could not run; no yardstick figures\n", dash.c_str());

  std::printf("LOAD beside dash: %llu lines, code page %u; CPU time, median of %d runs\n",
              static_cast<unsigned long long>(lines), orvinta::platform::host::AnsiCodePage(), runs);
  std::printf("%-20s %8s %9s %9s %9s %8s %11s\n", "script", "MB", "ours ms", "ns/char", "dash ms", "x dash",
              "peak/file");
  bool faithful = true;
  for (size_t k = 0; k < workloads.size(); ++k) {
    Workload& w = workloads[k];
    if (std::string_view(w.name).substr(0, only.size()) != only) continue;
    const std::string path = folder + "/script" + std::to_string(k) + ".ovs", shell = folder + "/script" + std::to_string(k) + ".sh";
    WriteFile(path, w.file);
    WriteFile(shell, w.shell);
    const std::u16string devicePath = Widen(path);

    int32_t result = -1;
    orvinta::engine::ResetInterpreterState();
    LoadSeconds(devicePath, &result);  // warms the page cache and the code; checks the work done
    if (result != 0 || orvinta::engine::UserVariable(2) != w.variable2) {
      std::fprintf(stderr, "%s: the LOAD did not do the expected work (result %d)\n", w.name, result);
      faithful = false;
    }
    std::vector<double> ours, theirs;
    for (int i = 0; i < runs; ++i) {
      ours.push_back(LoadSeconds(devicePath, &result));
      if (dashStart >= 0) theirs.push_back(DashSeconds(dash, shell));
    }
    const double oursTime = Median(ours);
    double dashTime = dashStart >= 0 && *std::min_element(theirs.begin(), theirs.end()) >= 0 ? Median(theirs) - dashStart : -1;
    const double peak = PeakMultiple(devicePath, w.file.size());

    char dashText[16] = "n/a", ratioText[16] = "n/a", peakText[16] = "n/a";
    if (dashTime > 0) {
      std::snprintf(dashText, sizeof dashText, "%.1f", dashTime * 1e3);
      std::snprintf(ratioText, sizeof ratioText, "%.1fx", dashTime / oursTime);
    }
    if (peak >= 0) std::snprintf(peakText, sizeof peakText, "%.2fx", peak);
    std::printf("%-20s %8.1f %9.1f %9.2f %9s %8s %11s\n", w.name, static_cast<double>(w.file.size()) / 1e6,
                oursTime * 1e3, oursTime * 1e9 / static_cast<double>(w.characters), dashText, ratioText, peakText);
    std::filesystem::remove(path);
    std::filesystem::remove(shell);
  }
  std::filesystem::remove_all(folder);
  return faithful ? 0 : 1;
}
