// Arbitrary bytes through the load path: encoding detection, the ANSI conversion, the header
// tests and the runner. The first byte picks the ANSI code page (UTF-8, 1252 or 936); the rest
// is the file, written below a private temporary root and loaded as "\fuzz\in.ovs". Beside it
// lie a subfolder with a script and a UTF-16 file, so that wildcards and nested LOADs find
// something. Scripts are kept inside (sandbox.h): no waiting, no device services, no processes
// or libraries, and no path outside the private root. Each input may
// open 256 files: a script that loads itself twice per run asks, by its own meaning, for 2^256
// loads (runs nest at most 256 deep), which is no fault of the program but would read as a hang.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/rooms.h"
#include "engine/interpreter_state.h"
#include "engine/load.h"
#include "platform/host/code_page.h"
#include "platform/platform.h"
#include "sandbox.h"

namespace {

namespace pf = orvinta::platform;
using orvinta::fuzz::DeviceOnlyFiles;
using orvinta::fuzz::QuietDevice;
using orvinta::fuzz::RefusingProcesses;

std::string g_input;  // the host path of \fuzz\in.ovs

// At most 256 opens per input (see above).
DeviceOnlyFiles* Files() {
  static DeviceOnlyFiles files;
  files.openLimit = 256;
  return &files;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string root = std::filesystem::temp_directory_path().string() + "/orvinta-fuzz-load-XXXXXX";
  if (mkdtemp(root.data()) == nullptr) std::abort();
  setenv("ORVINTA_ROOT", root.c_str(), 1);
  unsetenv("ORVINTA_LOG");
  unsetenv("ORVINTA_JOURNAL");
  std::filesystem::create_directories(root + "/fuzz/sub");
  Write(root + "/fuzz/sub/a.ovs", "EVAL 0=%0a\r\nEVAL x=3\r\n");
  Write(root + "/fuzz/sub/w.ovs", std::string("\xFF\xFE" "E\0V\0A\0L\0 \0x\0=\0" "4\0", 18));
  g_input = root + "/fuzz/in.ovs";
  static QuietDevice quiet;
  static RefusingProcesses processes;
  pf::Get().device = &quiet;
  Files();
  orvinta::app::WireRooms();
  // The root goes when the fuzzer ends; a crash keeps it for a look.
  std::atexit([] { std::filesystem::remove_all(std::filesystem::path(g_input).parent_path().parent_path()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const uint32_t kCodePages[] = {65001, 1252, 936};
  orvinta::platform::host::SelectAnsiCodePage(kCodePages[data[0] % 3]);
  Write(g_input, std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  Files()->opened = 0;
  orvinta::engine::ResetInterpreterState();
  orvinta::engine::LoadOneFile(u"\\fuzz\\in.ovs");
  return 0;
}
