// Imports one registry file in file mode, as LOAD does, and reports how many times the host's
// hive was written. Built by scripts/bench-registry against each build's library, for as long
// as the bench has to measure the importer without LOAD.
//
//   registry_import FILE.reg      prints "hive writes: N" (host) and exits with the result
#include <cstdio>
#include <fstream>
#include <string>

#include "app/rooms.h"
#include "registry/importer.h"
#ifndef _WIN32
#include "platform/host/system_calls.h"

namespace {
int g_renames = 0;
int CountingRename(const char* from, const char* to) {
  ++g_renames;
  return ::rename(from, to);
}
}  // namespace
#endif

int main(int argc, char** argv) {
  orvinta::app::WireRooms();
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::string bytes(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bool utf16 = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  std::u16string text;
  if (!utf16) {
    text.assign(bytes.begin(), bytes.end());  // the bench's files are ASCII
  } else {
    text.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
  }
  size_t header = text.find(u'\n');
  char16_t* body = text.data() + (header == std::u16string::npos ? text.size() : header + 1);
#ifndef _WIN32
  orvinta::platform::host::Sys().rename = CountingRename;
#endif
  int32_t result = orvinta::registry::ImportRegistryText(body, nullptr);
#ifndef _WIN32
  // The peak resident size of this program alone (getrusage would count the parent's, from
  // before the exec).
  long peakKib = 0;
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0) peakKib = std::stol(line.substr(6));
  }
  std::printf("hive writes: %d\npeak memory: %ld\n", g_renames, peakKib);
#endif
  return result == 0 ? 0 : 1;
}
