// The host's change-log reader: any bytes are read or refused, never crash. A log it reads
// makes a hive the hive reader takes back; read again over that hive it changes nothing (a log
// that a crash left beside the hive it was folded into); and cut short anywhere, as a crash
// leaves it, it is still read, up to its last whole record before the cut.
#include <cstdlib>
#include <string>

#include "platform/host/registry_hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta::platform::host;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Hive hive;
  LogRead read;
  HiveParseError error;
  if (!ReadLog(text, true, 1, &hive, read, error)) return 0;
  if (read.wholeBytes > size || (read.wholeBytes < size) != read.unfinished) std::abort();

  std::string written = WriteHive(hive);
  Hive back;
  if (!ParseHive(written, back, error) || WriteHive(back) != written) std::abort();

  LogRead again;
  if (!ReadLog(text.substr(0, read.wholeBytes), true, 1, &hive, again, error) || WriteHive(hive) != written) {
    std::abort();
  }

  for (size_t cut : {size / 2, size - size / 7, size == 0 ? 0 : size - 1}) {
    Hive partial;
    LogRead cutRead;
    if (!ReadLog(text.substr(0, cut), true, 1, &partial, cutRead, error)) std::abort();
    if (cutRead.wholeBytes > cut || cutRead.wholeBytes > read.wholeBytes) std::abort();
  }
  return 0;
}
