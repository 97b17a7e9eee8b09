// IFEX, ELSE and the conditions they evaluate.
#include "engine/conditions.h"

#include "base/number.h"
#include "engine/dispatcher.h"
#include "engine/interpreter_state.h"
#include "engine/script_commands.h"
#include "platform/platform.h"

namespace orvinta::engine {

namespace {

using base::ParseNumber;

bool IsOperator(char16_t c) {
  return c == u'!' || c == u'&' || c == u'<' || c == u'=' || c == u'>' || c == u'|';
}

bool Evaluate(char16_t* text) {
  const int32_t left = ParseNumber(text);
  char16_t* op = text;
  while (*op != 0 && !IsOperator(*op)) ++op;
  const bool doubled = op[0] != 0 && op[1] == op[0];
  const bool equalsNext = op[0] != 0 && op[1] == u'=';
  switch (*op) {
    case 0:
      return platform::Get().files->GetFileAttributesW(text) != platform::kInvalidFileAttributes;
    case u'=':
      if (equalsNext) return left == ParseNumber(op + 2);
      *op = 0;
      return platform::Get().text->CompareNoCase(text, op + 1) == 0;
    case u'!':
      if (equalsNext) return left != ParseNumber(op + 2);
      *op = 0;
      return platform::Get().text->CompareNoCase(text, op + 1) != 0;
    case u'>':
      return equalsNext ? left >= ParseNumber(op + 2) : left > ParseNumber(op + 1);
    case u'<':
      return equalsNext ? left <= ParseNumber(op + 2) : left < ParseNumber(op + 1);
    case u'&':
      if (doubled) return left != 0 && ParseNumber(op + 2) != 0;
      return (left & ParseNumber(op + 1)) != 0;
    default:  // "|"
      if (doubled) return left != 0 || ParseNumber(op + 2) != 0;
      return (left | ParseNumber(op + 1)) != 0;
  }
}

// The block end: "IFEX" followed by `lineEnd`, searched from `from`; the position after it.
char16_t* FindBlockEnd(char16_t* from, const char16_t* lineEnd) {
  for (char16_t* p = from; *p != 0; ++p) {
    if (p[0] != u'I' || p[1] != u'F' || p[2] != u'E' || p[3] != u'X') continue;
    size_t i = 0;
    while (lineEnd[i] != 0 && p[4 + i] == lineEnd[i]) ++i;
    if (lineEnd[i] == 0) return p + 4 + i;
  }
  return nullptr;
}

}  // namespace

bool EvaluateCondition(char16_t* text) {
  bool negate = false;
  if (*text == u'!') {
    negate = true;
    ++text;
  }
  State().lastCondition = Evaluate(text) != negate;
  return State().lastCondition;
}

int32_t HandleIfex(char16_t*, char16_t* argument, ScriptContext& context) {
  if (*argument == 0) return 0;  // a block end reached by running on
  for (char16_t* p = argument; *p != 0; ++p) {
    if (*p != kArgumentSeparator) continue;
    *p = 0;
    if (EvaluateCondition(argument)) DispatchCommand(p + 1, context);
    return context.lastResult;
  }
  if (EvaluateCondition(argument)) return 0;
  // Skip the block: the first "IFEX" line end below, CR LF preferred over a bare LF.
  char16_t* resume = FindBlockEnd(context.readPosition, u"\r\n");
  if (resume == nullptr) resume = FindBlockEnd(context.readPosition, u"\n");
  if (resume == nullptr) {
    context.readPosition = EndOfText();
    return 1;
  }
  context.readPosition = resume;
  return 0;
}

int32_t HandleElse(char16_t*, char16_t* argument, ScriptContext& context) {
  if (!State().lastCondition) DispatchCommand(argument, context);
  return context.lastResult;
}

}  // namespace orvinta::engine
