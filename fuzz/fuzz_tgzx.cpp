// Arbitrary bytes as an archive for TGZX. The first byte picks the ANSI code page and whether
// the rest is gzip-compressed here first (so that the fuzzer reaches the tar blocks through the
// gzip reader) or given as it stands (a plain archive, or a gzip stream of the fuzzer's own).
// The archive is \fuzz\a.tgz below a private root and is extracted into \fuzz\out: anything
// made elsewhere is an escape and stops the fuzzer.
#include <zlib.h>

#include "files/file_commands.h"
#include "sandbox.h"

namespace {

namespace fz = orvinta::fuzz;

std::string Compressed(const uint8_t* data, size_t size) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(size)) + 32, '\0');
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(size);
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::filesystem::path root = fz::FreshRoot();
  fz::SelectCodePage(data[0] >> 1);
  fz::WriteFile(root / "fuzz" / "a.tgz", (data[0] & 1) != 0 ? Compressed(data + 1, size - 1)
                                                           : std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  char16_t argument[] = u"\\fuzz\\a.tgz\x01\\fuzz\\out";
  orvinta::engine::ScriptContext context{};
  orvinta::files::HandleTgzx(nullptr, argument, context);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative = entry.path().lexically_relative(root).generic_string();
    if (relative != "fuzz" && relative != "fuzz/a.tgz" && relative != "fuzz/out" && !relative.starts_with("fuzz/out/")) {
      std::fprintf(stderr, "TGZX wrote outside its target folder: %s\n", relative.c_str());
      std::abort();
    }
  }
  return 0;
}
