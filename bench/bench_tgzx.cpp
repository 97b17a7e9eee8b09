// TGZX beside `tar -xzf` on the same archives, and the extractor's peak heap for two archive
// sizes an order of magnitude apart.
//
// Two source trees are generated and packed by GNU tar (--format=gnu, gzip): about 2,000 small
// files (100 bytes to 4 KB of text) in 40 folders, and a few large files of compressible text
// (hundreds of MiB in all). Each extraction goes into a fresh target folder, removed afterwards
// outside the timing, after the disk has been synced: TGZX in this process (on the host's
// virtual device), tar as a child process, its start-up (timed on an empty archive) taken off.
// The two take turns; figures are the best of a few runs, and ratios are tar's time over ours,
// so above 1 means TGZX is faster. Both trees are
// checked to hold the same number of bytes. The heap figures are the peak of bytes held during
// one TGZX of the large archive and of one a tenth of its size (zlib's buffers: they must be
// the same). Reported, never judged.
//
//   orvinta_bench_tgzx [--small-files N] [--large-megabytes N] [--large-files N] [--runs N]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/rooms.h"
#include "engine/runner.h"
#include "heap_watch.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Text from a small vocabulary: it compresses about as well as source code does.
std::string Text(std::mt19937& random, size_t bytes) {
  static const char* const kWords[] = {"alpha", "beta", "gamma", "delta", "setup", "device", "registry", "value",
                                       "folder", "file", "shortcut", "archive", "script", "program", "window", "\n"};
  std::string text;
  text.reserve(bytes + 16);
  while (text.size() < bytes) {
    text += kWords[random() % 16];
    text += (random() % 7 == 0) ? std::to_string(random() % 100000) : " ";
  }
  text.resize(bytes);
  return text;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The child's seconds, negative when it failed.
double Run(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  auto start = Clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

uint64_t TreeBytes(const fs::path& folder) {
  uint64_t bytes = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) bytes += entry.file_size();
  }
  return bytes;
}

class Bench {
 public:
  Bench(fs::path root, int runs) : root_(std::move(root)), runs_(runs) {}

  // TGZX of \<archive> into a fresh folder; seconds, negative when it failed.
  double Tgzx(const std::string& archive, const std::string& target) {
    std::u16string script = u"TGZX \\" + Widen(archive) + u",\\" + Widen(target);
    script.push_back(0);
    auto start = Clock::now();
    int32_t result = orvinta::engine::RunScript(script.data(), u"\\bench.ovs");
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return result == 0 ? seconds : -1;
  }

  double Tar(const std::string& archive, const std::string& target) {
    fs::create_directories(root_ / target);
    return Run({"tar", "-xzf", (root_ / archive).string(), "-C", (root_ / target).string()});
  }

  // One extraction into a fresh target, removed afterwards; seconds, negative when it failed or
  // made other than the expected bytes. The disk is synced first, so that no run pays for the
  // writing back of another's files.
  template <typename Extract>
  double Once(const char* who, const std::string& archive, uint64_t expectedBytes, Extract extract) {
    const std::string target = std::string(who) + "-" + std::to_string(++counter_);
    ::sync();
    double seconds = extract(archive, target);
    uint64_t made = fs::exists(root_ / target) ? TreeBytes(root_ / target) : 0;
    fs::remove_all(root_ / target);
    if (seconds >= 0 && made == expectedBytes) return seconds;
    std::fprintf(stderr, "%s on %s failed (%llu bytes made, %llu expected)\n", who, archive.c_str(),
                 static_cast<unsigned long long>(made), static_cast<unsigned long long>(expectedBytes));
    return -1;
  }

  // TGZX and tar in turn, the first round not counted (it warms the caches); the best of each.
  void Compare(const char* what, const std::string& archive, uint64_t bytes, double tarStart) {
    double ours = -1, tar = -1;
    for (int i = 0; i <= runs_; ++i) {
      double o = Once("tgzx", archive, bytes, [&](auto& a, auto& t) { return Tgzx(a, t); });
      double t = Once("tar", archive, bytes, [&](auto& a, auto& t2) { return Tar(a, t2); });
      if (o < 0 || t < 0) {
        std::printf("  %-34s could not be measured\n", what);
        return;
      }
      if (i > 0 && (ours < 0 || o < ours)) ours = o;
      if (i > 0 && (tar < 0 || t < tar)) tar = t;
    }
    tar = tar - tarStart > 1e-6 ? tar - tarStart : 1e-6;
    std::printf("  %-34s TGZX %8.1f ms   tar -xzf %8.1f ms   tar / TGZX %5.2f\n", what, ours * 1e3, tar * 1e3,
                tar / ours);
  }

  double TarStart() {
    double best = -1;
    for (int i = 0; i <= runs_; ++i) {
      double t = Once("tar", "empty.tgz", 0, [&](auto& a, auto& t2) { return Tar(a, t2); });
      if (t >= 0 && (best < 0 || t < best)) best = t;
    }
    return best < 0 ? 0 : best;
  }

  void PeakHeap(const char* what, const std::string& archive) {
    orvinta::bench::ResetHeapWatch(SIZE_MAX);
    const std::string target = "heap-" + std::to_string(++counter_);
    double seconds = Tgzx(archive, target);
    orvinta::bench::HeapFigures heap = orvinta::bench::ReadHeapWatch();
    fs::remove_all(root_ / target);
    std::printf("  %-34s peak heap %7.1f KiB%s\n", what, static_cast<double>(heap.peakBytes) / 1024,
                seconds < 0 ? " (the extraction failed)" : "");
  }

 private:
  static std::u16string Widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }
  fs::path root_;
  int runs_;
  int counter_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  orvinta::app::WireRooms();
  int smallFiles = 2000, largeFiles = 4, runs = 3;
  uint64_t largeMegabytes = 256;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--small-files") smallFiles = std::atoi(argv[i + 1]);
    else if (option == "--large-megabytes") largeMegabytes = std::strtoull(argv[i + 1], nullptr, 10);
    else if (option == "--large-files") largeFiles = std::atoi(argv[i + 1]);
    else if (option == "--runs") runs = std::atoi(argv[i + 1]);
    else {
      std::fprintf(stderr, "usage: orvinta_bench_tgzx [--small-files N] [--large-megabytes N] [--large-files N] [--runs N]\n");
      return 2;
    }
  }
  if (runs < 1) runs = 1;
  if (largeFiles < 1) largeFiles = 1;

  std::string folder = fs::temp_directory_path().string() + "/orvinta-bench-tgzx-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) return 1;
  const fs::path root = fs::path(folder) / "root", sources = fs::path(folder) / "sources";
  setenv("ORVINTA_ROOT", root.c_str(), 1);
  unsetenv("ORVINTA_LOG");
  unsetenv("ORVINTA_JOURNAL");
  fs::create_directories(root);

  std::mt19937 random(7);
  uint64_t smallBytes = 0, largeBytes = 0, tenthBytes = 0;
  for (int i = 0; i < smallFiles; ++i) {
    std::string text = Text(random, 100 + random() % 3900);
    smallBytes += text.size();
    WriteFile(sources / "small" / ("folder" + std::to_string(i % 40)) / ("file" + std::to_string(i) + ".txt"), text);
  }
  const uint64_t each = largeMegabytes * 1024 * 1024 / static_cast<uint64_t>(largeFiles);
  const std::string largeText = Text(random, each);
  for (int i = 0; i < largeFiles; ++i) {
    WriteFile(sources / "large" / ("big" + std::to_string(i) + ".dat"), largeText);
    largeBytes += each;
  }
  WriteFile(sources / "tenth" / "part.dat", largeText.substr(0, largeBytes / 10));
  tenthBytes = largeBytes / 10;
  WriteFile(sources / "empty" / ".keep", "");
  for (const char* tree : {"small", "large", "tenth", "empty"}) {
    if (Run({"tar", "--format=gnu", "-czf", (root / (std::string(tree) + ".tgz")).string(), "-C",
             (sources / tree).string(), "."}) < 0) {
      std::fprintf(stderr, "tar could not pack the %s tree\n", tree);
      return 1;
    }
  }
  fs::remove_all(sources);

  Bench bench(root, runs);
  const double tarStart = bench.TarStart();
  std::printf("TGZX beside tar -xzf (GNU tar, gzip), fresh target folder each run, best of %d\n", runs);
  bench.Compare((std::to_string(smallFiles) + " small files, " + std::to_string(smallBytes / 1024) + " KiB").c_str(),
                "small.tgz", smallBytes, tarStart);
  bench.Compare((std::to_string(largeFiles) + " large files, " + std::to_string(largeBytes >> 20) + " MiB").c_str(),
                "large.tgz", largeBytes, tarStart);
  if (orvinta::bench::HeapWatchEnabled()) {
    std::printf("Peak heap of one TGZX (its own buffers are a fixed %s on the stack)\n", "67 KiB");
    bench.PeakHeap((std::to_string(tenthBytes >> 20) + " MiB archive").c_str(), "tenth.tgz");
    bench.PeakHeap((std::to_string(largeBytes >> 20) + " MiB archive").c_str(), "large.tgz");
  } else {
    std::printf("Peak heap: not watched in this build\n");
  }
  fs::remove_all(folder);
  return 0;
}
