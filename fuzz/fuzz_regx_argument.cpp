// REGX's argument, as the line buffer holds it (at most 1023 units): the handler must stay
// inside its text, and %0 must stay a terminated text of at most 259 units.
#include <cstdlib>

#include "registry/registry_commands.h"
#include "engine/interpreter_state.h"
#include "engine/script_context.h"
#include "base/text.h"
#include "fuzz_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta;
  std::u16string argument = fuzzing::Utf16Of(data, size);
  if (argument.size() > engine::kLineBufferUnits - 6) argument.resize(engine::kLineBufferUnits - 6);
  // The exact line: "REGX " and the argument, in a buffer of its own length.
  std::u16string line = u"REGX " + argument;
  auto buffer = std::make_unique<char16_t[]>(line.size() + 1);
  line.copy(buffer.get(), line.size());
  buffer[line.size()] = 0;

  fuzzing::FreshRegistry registry;
  engine::ScriptContext context{buffer.get(), buffer.get() + line.size(), u"\\fuzz.ovs", 0};
  registry::HandleRegx(buffer.get(), buffer.get() + 5, context);
  if (base::TextLength(engine::UserVariable(0)) >= engine::kUserVariableUnits) std::abort();
  return 0;
}
