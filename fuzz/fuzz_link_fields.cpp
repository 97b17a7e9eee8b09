// LINK's fields: the shortcut path, target, arguments, icon path and index, separated by U+0001,
// as the line buffer holds them (at most 1023 UTF-16 units, in a buffer of their own length).
// The first byte picks the ANSI code page. A shortcut that is written must begin with the count
// of its command and "#". Files go below a private root (the sandbox refuses host paths).
#include "files/file_commands.h"
#include "platform/file_primitives.h"
#include "sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fz = orvinta::fuzz;
  fz::FreshRoot();
  fz::SelectCodePage(size > 0 ? data[0] : 0);
  auto buffer = fz::OwnBuffer(fz::ArgumentOf(data + (size > 0), size - (size > 0)));
  orvinta::engine::ScriptContext context{};
  if (orvinta::files::HandleLink(nullptr, buffer.get(), context) != 0) return 0;
  // Written: the path is the text before the first separator, which HandleLink cut there.
  char bytes[1100];
  uint32_t length = sizeof bytes - 2;
  if (orvinta::platform::ReadWholeFile(buffer.get(), bytes, &length) == nullptr) return 0;  // a path that reads elsewhere
  size_t digits = 0;
  while (digits < length && bytes[digits] >= '0' && bytes[digits] <= '9') ++digits;
  if (length > 1023 || digits == 0 || digits >= length || bytes[digits] != '#') {
    std::fprintf(stderr, "LINK wrote a shortcut without its count: %u bytes\n", length);
    std::abort();
  }
  return 0;
}
