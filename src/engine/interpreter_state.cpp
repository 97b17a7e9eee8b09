#include "engine/interpreter_state.h"

namespace orvinta::engine {

namespace {

InterpreterState g_state{};

}  // namespace

InterpreterState& State() { return g_state; }

void ResetInterpreterState() { g_state = InterpreterState{}; }

void SetUserVariable(int slot, const char16_t* text) {
  char16_t* target = g_state.userVariables[slot];
  int n = 0;
  for (; n < kUserVariableUnits - 1 && text[n] != 0; ++n) target[n] = text[n];
  target[n] = 0;
}

void ClearUserVariable(int slot) {
  for (char16_t& unit : g_state.userVariables[slot]) unit = 0;
}

}  // namespace orvinta::engine
