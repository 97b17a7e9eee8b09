// Arbitrary bytes through the load path: encoding detection, the ANSI conversion, the header
// tests and the runner. The first byte picks the ANSI code page (UTF-8, 1252 or 936); the rest
// is the file, written below a private temporary root and loaded as "\fuzz\in.ovs". Beside it
// lie a subfolder with a script and a UTF-16 file, so that wildcards and nested LOADs find
// something. Scripts are kept inside (sandbox.h): no waiting, no device services, no processes
// or libraries, and no path outside the private root. Each input may
// open 256 files: a script that loads itself twice per run asks, by its own meaning, for 2^256
// loads (runs nest at most 256 deep), which is no fault of the program but would read as a hang.
#include "app/rooms.h"
#include "engine/interpreter_state.h"
#include "engine/load.h"
#include "sandbox.h"

namespace fz = orvinta::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::filesystem::path root = fz::FreshRoot();
  fz::WriteFile(root / "fuzz" / "sub" / "a.ovs", "EVAL 0=%0a\r\nEVAL x=3\r\n");
  fz::WriteFile(root / "fuzz" / "sub" / "w.ovs", std::string("\xFF\xFE" "E\0V\0A\0L\0 \0x\0=\0" "4\0", 18));
  fz::Sandbox().openLimit = 256;  // see above
  orvinta::app::WireRooms();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fz::SelectCodePage(data[0]);
  const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
  fz::WriteFile(fz::PrivateFolder() / "root" / "fuzz" / "in.ovs", file);
  fz::Sandbox().opened = 0;
  orvinta::engine::ResetInterpreterState();
  orvinta::engine::LoadOneFile(u"\\fuzz\\in.ovs");
  return 0;
}
