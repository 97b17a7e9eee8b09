// Imports one registry file in file mode, as LOAD does, and reports how many times the host's
// hive was written. Built by scripts/bench-registry against each build's library, for as long
// as the bench has to measure the importer without LOAD.
//
//   registry_import FILE.reg      prints "hive writes: N" (host) and exits with the result
#include <cstdio>
#include <fstream>
#include <string>

#include "registry/importer.h"
#ifndef _WIN32
#include <sys/resource.h>

#include "platform/host/hive_file.h"

namespace {
int g_renames = 0;
int CountingRename(const char* from, const char* to) {
  ++g_renames;
  return ::rename(from, to);
}
}  // namespace
#endif

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::string bytes(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::u16string text;
  bool utf16 = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
  text.resize(utf16 ? (bytes.size() - 2) / 2 : bytes.size());
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = utf16 ? static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                            static_cast<unsigned char>(bytes[3 + 2 * i]) << 8)
                    : static_cast<unsigned char>(bytes[i]);  // the bench's files are ASCII
  }
  size_t header = text.find(u'\n');
  std::u16string body = header == std::u16string::npos ? u"" : text.substr(header + 1);
#ifndef _WIN32
  orvinta::platform::host::HiveSystemCalls().rename = CountingRename;
#endif
  int32_t result = orvinta::registry::ImportRegistryText(body.data(), nullptr);
#ifndef _WIN32
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("hive writes: %d\npeak memory: %ld\n", g_renames, usage.ru_maxrss);
#endif
  return result == 0 ? 0 : 1;
}
