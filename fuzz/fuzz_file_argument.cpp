// FILE's argument, as the line buffer holds it (at most 1023 UTF-16 units, in a buffer of its
// own length), run against a small tree remade below a private root for every input: a file,
// a folder with a subfolder and a name beginning with a full stop. The scan must stay inside
// the text and every path inside its buffer; the sandbox refuses host paths.
#include "files/file_commands.h"
#include "sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fz = orvinta::fuzz;
  const std::filesystem::path root = fz::FreshRoot();
  fz::WriteFile(root / "fuzz" / "a.txt", "a");
  fz::WriteFile(root / "fuzz" / "d" / ".profile", "p");
  fz::WriteFile(root / "fuzz" / "d" / "sub" / "x.log", "x");
  fz::SelectCodePage(size > 0 ? data[0] : 0);
  auto buffer = fz::OwnBuffer(fz::ArgumentOf(data + (size > 0), size - (size > 0)));
  orvinta::engine::ScriptContext context{};
  orvinta::files::HandleFile(nullptr, buffer.get(), context);
  return 0;
}
