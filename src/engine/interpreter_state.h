// The interpreter's process-wide state, gathered in one place: the ten user variables, the
// outcome of the last condition and the depth of nested runs. Everything else the engine keeps
// lives in a run's ScriptContext. ResetInterpreterState puts all of it back as at start-up.
#pragma once
#include <cstdint>

namespace orvinta::engine {

inline constexpr int kUserVariableCount = 10;
inline constexpr int kUserVariableUnits = 260;  // including the terminator

struct InterpreterState {
  char16_t userVariables[kUserVariableCount][kUserVariableUnits];
  bool lastCondition;  // shared by every run: an IFEX in a called procedure decides a later ELSE
  int activeRuns;      // RunScript calls in progress
};

InterpreterState& State();
void ResetInterpreterState();

// The user variables %0..%9: empty at start.
inline const char16_t* UserVariable(int slot) { return State().userVariables[slot]; }
// Stores the text (up to its zero) cut to 259 units.
void SetUserVariable(int slot, const char16_t* text);
void ClearUserVariable(int slot);

}  // namespace orvinta::engine
