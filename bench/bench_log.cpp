// The cost of ORVINTA_LOG: the program runs a long script of quick lines with the log on (to a
// file) and off, side by side, and the ratio of the two is printed. Every line logs its command
// and its result entry (about 65 bytes). Figures are the best of a few runs of each, taken in
// turn, on a monotonic clock; the program's own start-up is in both. Reported, never judged
// (the aim: at most 2 with the log on).
//
//   orvinta_bench_log [--lines N] [--runs N] [--program PATH]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Seconds for one run of `program` on `script`, with ORVINTA_LOG set to `log` unless it is empty.
double RunOnce(const std::string& program, const std::string& script, const std::string& root, const std::string& log) {
  std::vector<std::string> environment{"ORVINTA_ROOT=" + root, "ORVINTA_REGISTRY=" + root + ".hive"};
  if (!log.empty()) environment.push_back("ORVINTA_LOG=" + log);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string name = program, command = "LOAD " + script;
  char* argv[] = {name.data(), command.data(), nullptr};
  if (!log.empty()) std::filesystem::remove(log);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return WIFEXITED(status) ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  long lines = 1000000;
  int runs = 5;
  std::string program = ORVINTA_BENCH_PROGRAM;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--lines") == 0) lines = std::atol(argv[i + 1]);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--program") == 0) program = argv[i + 1];
  }
  char folderTemplate[] = "/tmp/orvinta-bench-log.XXXXXX";
  if (mkdtemp(folderTemplate) == nullptr) return 1;
  const std::string folder = folderTemplate, script = folder + "/long.ovs", root = folder + "/root", log = folder + "/log";
  std::filesystem::create_directories(root);
  {
    std::ofstream out(script, std::ios::binary);
    for (long i = 0; i < lines; ++i) out << "EVAL 1=a\r\n";
  }
  double without = 1e9, with = 1e9;
  for (int run = 0; run < runs; ++run) {
    const double off = RunOnce(program, script, root, ""), on = RunOnce(program, script, root, log);
    if (off < 0 || on < 0) {
      std::fprintf(stderr, "the program failed to run: %s\n", program.c_str());
      std::filesystem::remove_all(folder);
      return 1;
    }
    without = std::min(without, off);
    with = std::min(with, on);
  }
  const auto logBytes = std::filesystem::file_size(log);
  std::printf("log: %ld lines, best of %d: without the log %.3f s, with it %.3f s (%.1f MB); ratio %.2f\n", lines,
              runs, without, with, static_cast<double>(logBytes) / 1e6, with / without);
  std::filesystem::remove_all(folder);
  return 0;
}
