// CALL, GOTO, PROC and ENDP: the commands that move within a script. Targets are found by a
// plain search of the text below the current line; there is no label table.
#include "engine/dispatcher.h"
#include "engine/runner.h"
#include "engine/script_commands.h"

namespace orvinta::engine {

namespace {

// The search key is the command text with its keyword replaced; the target is the line after
// the first occurrence of the key at or after `from`, or nullptr.
char16_t* FindTarget(char16_t* command, const char16_t* keyword, char16_t* from) {
  for (int i = 0; i < 4; ++i) command[i] = keyword[i];
  for (char16_t* start = from; *start != 0; ++start) {
    if (*start != command[0]) continue;
    size_t i = 1;
    while (command[i] != 0 && start[i] == command[i]) ++i;
    if (command[i] != 0) continue;
    // The line after the occurrence: past the first line feed behind its keyword.
    char16_t* target = start + 4;
    while (*target != 0 && *target != u'\n') ++target;
    return *target == u'\n' ? target + 1 : target;
  }
  return nullptr;
}

}  // namespace

int32_t HandleCall(char16_t* command, char16_t*, ScriptContext& context) {
  char16_t* target = FindTarget(command, kProcKeyword, context.readPosition);
  if (target == nullptr) return 1;
  return RunScript(target, context.scriptPath);
}

int32_t HandleGoto(char16_t* command, char16_t*, ScriptContext& context) {
  char16_t* target = FindTarget(command, kProcKeyword, context.readPosition);
  if (target == nullptr) return 1;
  context.readPosition = target;
  return 0;
}

int32_t HandleProc(char16_t* command, char16_t*, ScriptContext& context) {
  char16_t* target = FindTarget(command, kEndpKeyword, context.readPosition);
  if (target == nullptr) {
    context.readPosition = EndOfText();
    return 1;
  }
  context.readPosition = target;
  return 0;
}

int32_t HandleEndp(char16_t*, char16_t*, ScriptContext& context) {
  context.readPosition = EndOfText();
  return 0;
}

}  // namespace orvinta::engine
