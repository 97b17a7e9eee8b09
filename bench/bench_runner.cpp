// Runner throughput and steady-state allocations, beside dash doing the same work.
//
// Two generated scripts are run in this process through engine::RunScript:
//   simple lines  comments, EVAL lines (set, read, arithmetic on %x) and BATC lines;
//   GOTO/CALL     blocks that CALL a procedure below them and GOTO forward over code.
// dash runs an equivalent shell script for each (comments, variable assignments, arithmetic,
// function definitions and calls, a skipped branch for each jump), as a child process; its
// start-up, timed on an empty script, is taken off. Figures are lines per second over the lines
// each run executes, best of a few runs on a monotonic clock, and the ratio ours / dash. The
// allocation count covers one whole steady-state run (after warm-up runs) divided by its lines.
//
//   orvinta_bench [--lines N] [--runs N] [--dash PATH]
#include <ftw.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/rooms.h"
#include "heap_watch.h"
#include "engine/interpreter_state.h"
#include "engine/runner.h"
#include "platform/device_journal.h"
#include "platform/platform.h"

extern char** environ;

namespace {

using orvinta::platform::Device;
using orvinta::platform::Log;
using orvinta::platform::ServiceOverride;
using orvinta::platform::Services;
using Clock = std::chrono::steady_clock;

// No real sleeping or beeping, whatever a script asks for.
class QuietDevice final : public orvinta::platform::StandInDevice {
 public:
  void Sleep(uint32_t) override {}
};

// A log that stays off but counts how often the runner asks whether it is on: twice per
// dispatched line (before the command and for its result). Used to check that a workload runs
// the lines it is supposed to run; never installed while timing.
class CountingLog final : public Log {
 public:
  bool Enabled() override {
    ++asked_;
    return false;
  }
  void Append(std::u16string_view) override {}
  uint64_t DispatchedLines() const { return asked_ / 2; }

 private:
  uint64_t asked_ = 0;
};

struct Workload {
  const char* name;
  std::u16string script;   // ours
  std::string shell;       // dash's
  uint64_t executedLines;  // lines each run executes, comments included
  uint64_t dispatchedLines;
  int32_t expectedResult;  // what RunScript returns at the end
  std::u16string expectedVariable2;
};

std::u16string Widen(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// Ten lines per round; every line has one shell line that does the same work.
Workload SimpleLines(uint64_t lines) {
  static const char* const kOurs[] = {
      "; round of simple lines: comments, EVAL and BATC",
      "EVAL 1=abc",
      "EVAL x=%x",
      "BATC EVAL 2=x;EVAL x=1",
      "EVAL 3=%x",
      "; the user variable 3 now holds the last result",
      "EVAL 3",
      "EVAL 2=%1-%3",
      "EVAL x=0x10",
      "EVAL x=%x",
  };
  static const char* const kDash[] = {
      "# round of simple lines: comments, EVAL and BATC",
      "v1=abc",
      "r=$((r))",
      "v2=x; r=1",
      "v3=$r",
      "# the user variable 3 now holds the last result",
      "r=$((v3))",
      "v2=\"$v1-$v3\"",
      "r=$((0x10))",
      "r=$((r))",
  };
  Workload w{"simple lines", {}, "r=0\n", 0, 0, 16, u"abc-1"};
  uint64_t rounds = (lines + 9) / 10;
  std::string ours;
  for (uint64_t round = 0; round < rounds; ++round) {
    for (int i = 0; i < 10; ++i) {
      ours += kOurs[i];
      ours += "\r\n";
      w.shell += kDash[i];
      w.shell += '\n';
    }
  }
  w.script = Widen(ours);
  w.shell += "[ \"$v2\" = abc-1 ] && [ \"$r\" = 16 ] || exit 3\n";
  w.executedLines = rounds * 10;
  w.dispatchedLines = rounds * 8;
  return w;
}

// Ten text lines per block, seven of them executed: the comment, CALL, the procedure's three
// lines (run nested), GOTO, and the line after the jump target. Every block uses the same two
// names: a jump finds the next target below it, so each block's CALL and GOTO search forward
// through that block's procedure and skipped lines, as they always do. The shell script
// defines the block's function again and calls it, and skips a branch for each jump.
Workload GotoCall(uint64_t lines) {
  Workload w{"GOTO/CALL", {}, "r=0\n", 0, 0, 0, u"x"};
  uint64_t blocks = (lines + 6) / 7;
  std::string ours;
  for (uint64_t block = 0; block < blocks; ++block) {
    std::string number = std::to_string(block);
    ours += "; block " + number + "\r\n";
    ours += "CALL work\r\n";
    ours += "GOTO done\r\n";
    ours += "PROC work\r\n";
    ours += "EVAL 1=abc\r\n";
    ours += "BATC EVAL 2=x;EVAL x=7\r\n";
    ours += "ENDP\r\n";
    ours += "; skipped by the jump\r\n";
    ours += "PROC done\r\n";
    ours += "EVAL x=%x\r\n";

    w.shell += "# block " + number + "\n";
    w.shell += "work() {\n  v1=abc\n  v2=x; r=7\n  return\n}\n";
    w.shell += "work\n";
    w.shell += "if false; then\n  : skipped by the jump\nfi\n";
    w.shell += "r=$((r))\n";
  }
  w.script = Widen(ours);
  w.shell += "[ \"$v2\" = x ] && [ \"$r\" = 7 ] || exit 3\n";
  w.executedLines = blocks * 7;
  w.dispatchedLines = blocks * 6;
  return w;
}

void ClearUserVariables() {
  for (int slot = 0; slot < orvinta::engine::kUserVariableCount; ++slot) orvinta::engine::ClearUserVariable(slot);
}

// One run on a fresh copy of the text (the runner may write into it); only RunScript is timed.
struct RunOutcome {
  double seconds;
  uint64_t allocations;
  int32_t result;
};

RunOutcome RunOurs(const Workload& w, std::vector<char16_t>& buffer) {
  buffer.assign(w.script.begin(), w.script.end());
  buffer.push_back(0);
  ClearUserVariables();
  uint64_t allocationsBefore = orvinta::bench::AllocationCount();
  Clock::time_point start = Clock::now();
  int32_t result = orvinta::engine::RunScript(buffer.data(), u"\\Bench\\bench.ovs");
  Clock::time_point end = Clock::now();
  uint64_t allocations = orvinta::bench::AllocationCount() - allocationsBefore;
  return {std::chrono::duration<double>(end - start).count(), allocations, result};
}

// Seconds for `dash path`, or a negative number when it could not run or failed.
double RunDash(const std::string& dash, const std::string& path) {
  char* argv[] = {const_cast<char*>(dash.c_str()), const_cast<char*>(path.c_str()), nullptr};
  pid_t pid;
  Clock::time_point start = Clock::now();
  if (posix_spawnp(&pid, dash.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  Clock::time_point end = Clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(end - start).count();
}

double BestDash(const std::string& dash, const std::string& path, int runs) {
  double best = -1;
  for (int i = 0; i < runs; ++i) {
    double seconds = RunDash(dash, path);
    if (seconds < 0) return -1;
    if (best < 0 || seconds < best) best = seconds;
  }
  return best;
}

char g_folder[64];

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }
void RemoveFolder() {
  if (g_folder[0] != 0) nftw(g_folder, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// Whether the counter sees both malloc and operator new in this binary (it would not if the
// C library were linked statically or another allocator took over).
bool AllocationCounterWorks() {
  uint64_t before = orvinta::bench::AllocationCount();
  void* block = std::malloc(64);
  asm volatile("" : : "r"(block) : "memory");
  std::free(block);
  auto* text = new std::string(100, 'x');
  asm volatile("" : : "r"(text) : "memory");
  delete text;
  return orvinta::bench::AllocationCount() - before >= 3;
}

std::string Rate(double linesPerSecond) {
  char text[32];
  if (linesPerSecond >= 1e6) {
    std::snprintf(text, sizeof text, "%.2f M", linesPerSecond / 1e6);
  } else {
    std::snprintf(text, sizeof text, "%.0f k", linesPerSecond / 1e3);
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  orvinta::app::WireRooms();
  uint64_t lines = 300000;
  int runs = 5;
  std::string dash = "dash";
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--lines" && i + 1 < argc) {
      lines = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (arg == "--dash" && i + 1 < argc) {
      dash = argv[++i];
    } else {
      std::fprintf(stderr, "usage: %s [--lines N] [--runs N] [--dash PATH]\n", argv[0]);
      return 2;
    }
  }
  if (lines == 0 || runs <= 0) return 2;

  // A private device root and no log, before anything reaches the platform.
  const char* tmp = std::getenv("TMPDIR");
  if (tmp == nullptr || *tmp != '/' || std::strlen(tmp) > sizeof g_folder - 24) tmp = "/tmp";
  std::snprintf(g_folder, sizeof g_folder, "%s/orvinta-bench-XXXXXX", tmp);
  if (mkdtemp(g_folder) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  std::atexit(RemoveFolder);
  std::string folder = g_folder;
  setenv("ORVINTA_ROOT", (folder + "/root").c_str(), 1);
  setenv("ORVINTA_REGISTRY", (folder + "/registry").c_str(), 1);
  unsetenv("ORVINTA_LOG");
  unsetenv("ORVINTA_JOURNAL");
  QuietDevice device;
  ServiceOverride<Device> quiet(&Services::device, &device);

  std::string emptyScript = folder + "/empty.sh";
  std::ofstream(emptyScript) << "\n";
  // Start-up is short but noisy on a busy machine: it gets more tries than the workloads.
  double dashStartup = BestDash(dash, emptyScript, runs < 10 ? 10 : runs);
  if (dashStartup < 0) {
    std::fprintf(stderr, "note: %s could not run; no yardstick figures\n", dash.c_str());
    std::printf("Runner throughput, best of %d runs (no dash)\n", runs);
  } else {
    std::printf("Runner throughput, best of %d runs (dash start-up %.2f ms taken off its times)\n", runs,
                dashStartup * 1e3);
  }
  std::printf("%-13s %9s %10s %11s %9s %11s %9s %12s\n", "workload", "lines", "ours ms", "ours line/s",
              "ns/line", "dash line/s", "ours/dash", "allocs/line");

  bool faithful = true;
  bool counting = orvinta::bench::HeapWatchEnabled() && AllocationCounterWorks();
  if (orvinta::bench::HeapWatchEnabled() && !counting) {
    std::fprintf(stderr, "note: the allocation counter misses allocations in this build; no allocation figures\n");
  }
  Workload workloads[] = {SimpleLines(lines), GotoCall(lines)};
  std::vector<char16_t> buffer;
  for (const Workload& w : workloads) {
    // Check once that the run does what the shell script does.
    CountingLog counter;
    {
      ServiceOverride<Log> countingLog(&Services::log, &counter);
      RunOutcome check = RunOurs(w, buffer);
      std::u16string_view variable2 = orvinta::engine::UserVariable(2);
      if (counter.DispatchedLines() != w.dispatchedLines || check.result != w.expectedResult ||
          variable2 != w.expectedVariable2) {
        std::fprintf(stderr, "%s: the run did not do the expected work (%llu of %llu lines dispatched, result %d)\n",
                     w.name, static_cast<unsigned long long>(counter.DispatchedLines()),
                     static_cast<unsigned long long>(w.dispatchedLines), check.result);
        faithful = false;
      }
    }

    RunOurs(w, buffer);  // warm-up
    std::string shellPath = folder + "/workload.sh";
    std::ofstream(shellPath) << w.shell;

    // Ours and dash take turns, so that a change in the machine's load touches both alike.
    double best = 0;
    bool dashRuns = dashStartup >= 0;
    double dashSeconds = -1;
    uint64_t allocations = 0;
    for (int i = 0; i < runs; ++i) {
      RunOutcome outcome = RunOurs(w, buffer);
      if (i == 0 || outcome.seconds < best) best = outcome.seconds;
      if (i == 0) allocations = outcome.allocations;  // the first steady-state run
      if (!dashRuns) continue;
      double seconds = RunDash(dash, shellPath);
      if (seconds < 0) {
        std::fprintf(stderr, "%s: dash failed on the equivalent script\n", w.name);
        faithful = false;
        dashRuns = false;
        dashSeconds = -1;
      } else if (dashSeconds < 0 || seconds < dashSeconds) {
        dashSeconds = seconds;
      }
    }
    double oursRate = static_cast<double>(w.executedLines) / best;
    double dashRate = dashRuns && dashSeconds > dashStartup ? static_cast<double>(w.executedLines) / (dashSeconds - dashStartup) : 0;

    char allocationText[24];
    if (counting) {
      std::snprintf(allocationText, sizeof allocationText, "%.4f",
                    static_cast<double>(allocations) / static_cast<double>(w.executedLines));
    } else {
      std::snprintf(allocationText, sizeof allocationText, "n/a");
    }
    char ratioText[16] = "n/a";
    if (dashRate > 0) std::snprintf(ratioText, sizeof ratioText, "%.1fx", oursRate / dashRate);
    std::printf("%-13s %9llu %10.2f %11s %9.1f %11s %9s %12s\n", w.name,
                static_cast<unsigned long long>(w.executedLines), best * 1e3, Rate(oursRate).c_str(),
                best * 1e9 / static_cast<double>(w.executedLines), dashRate > 0 ? Rate(dashRate).c_str() : "n/a",
                ratioText, allocationText);
    if (counting && allocations != 0) {
      std::printf("  note: %llu heap allocations in one steady-state run of %s\n",
                  static_cast<unsigned long long>(allocations), w.name);
    }
  }
  return faithful ? 0 : 1;
}
