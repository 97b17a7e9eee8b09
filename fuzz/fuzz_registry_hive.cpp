// The host's hive reader: any bytes are read or refused, never crash; what it reads, the writer
// writes back so that reading it again gives the same text.
#include <cstdlib>
#include <string>

#include "platform/host/registry_hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta::platform::host;
  Hive hive;
  HiveParseError error;
  if (!ParseHive(std::string_view(reinterpret_cast<const char*>(data), size), hive, error)) return 0;
  std::string written = WriteHive(hive);
  Hive again;
  if (!ParseHive(written, again, error) || WriteHive(again) != written) std::abort();
  return 0;
}
