// The host's hive reader: any bytes are read or refused, never crash; read in two pieces they
// give what they give whole; what it reads, the writer writes back so that reading it again
// gives the same text.
#include <cstdlib>
#include <string>

#include "platform/host/registry_hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta::platform::host;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Hive hive;
  HiveParseError error;
  bool read = ParseHive(text, hive, error);

  Hive pieces;
  HiveParseError piecesError;
  HiveTextReader reader(pieces, piecesError);
  size_t cut = size == 0 ? 0 : data[0] * size / 256;
  bool readInPieces = reader.Feed(text.substr(0, cut)) && reader.Feed(text.substr(cut)) && reader.Finish();
  if (readInPieces != read || piecesError.line != error.line) std::abort();
  if (!read) return 0;

  std::string written = WriteHive(hive);
  if (WriteHive(pieces) != written) std::abort();
  Hive again;
  if (!ParseHive(written, again, error) || WriteHive(again) != written) std::abort();
  return 0;
}
