// REGX's argument, as the line buffer holds it (at most 1023 units): the handler must stay
// inside its text, and %0 must stay a terminated text of at most 259 units.
#include "base/text.h"
#include "engine/interpreter_state.h"
#include "registry/registry_commands.h"
#include "sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta;
  // The exact line: "REGX " and the argument, in a buffer of its own length.
  const std::u16string line = u"REGX " + fuzz::ArgumentOf(data, size);
  auto buffer = fuzz::OwnBuffer(line);
  fuzz::FreshRegistry registry;
  engine::ScriptContext context{buffer.get(), buffer.get() + line.size(), u"\\fuzz.ovs", 0};
  registry::HandleRegx(buffer.get(), buffer.get() + 5, context);
  if (base::TextLength(engine::UserVariable(0)) >= engine::kUserVariableUnits) std::abort();
  return 0;
}
