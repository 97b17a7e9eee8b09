#include "engine/dispatcher.h"

#include <array>
#include <bit>

#include "base/text.h"
#include "engine/script_commands.h"
#include "platform/constants.h"

namespace orvinta::engine {

namespace {

constexpr int kCommandCount = 26;

int32_t NotBuilt(char16_t*, char16_t*, ScriptContext&) { return win::AsResult(win::kENotImpl); }

// The fixed order: the first match wins, and keyword-less lines name their opener by keyword.
constexpr char16_t kKeywords[kCommandCount][5] = {
    u"LOAD", u"BATC", u"IFEX", u"ELSE", u"CALL", u"GOTO", u"PROC", u"ENDP", u"PLAY", u"BEEP", u"MSGX", u"DLGX", u"LINK",
    u"FILE", u"REGX", u"TGZX", u"SEND", u"WAIT", u"KILL", u"SHUT", u"EXEC", u"CDLL", u"EVAL", u"ASOC", u"OVUI", u"HELP",
};
CommandHandler g_handlers[kCommandCount] = {
    HandleLoad, HandleBatc, HandleIfex, HandleElse, HandleCall, HandleGoto, HandleProc, HandleEndp, NotBuilt,
    NotBuilt,   NotBuilt,   NotBuilt,   NotBuilt,   NotBuilt,   NotBuilt,   NotBuilt,   NotBuilt,   NotBuilt,
    NotBuilt,   NotBuilt,   NotBuilt,   NotBuilt,   HandleEval, NotBuilt,   NotBuilt,   NotBuilt,
};

// For each first letter, the entries whose keyword starts with it, one bit each in table order:
// every command is dispatched, so it is compared with these few instead of the whole table.
constexpr std::array<uint32_t, 26> kByFirstLetter = [] {
  std::array<uint32_t, 26> bits{};
  for (int i = 0; i < kCommandCount; ++i) bits[kKeywords[i][0] - u'A'] |= uint32_t{1} << i;
  return bits;
}();

// The slot of a keyword (four units and a zero), or -1.
int Slot(const char16_t* keyword) {
  for (int i = 0; i < kCommandCount; ++i) {
    if (base::CommonPrefixLength(kKeywords[i], keyword) == 4 && keyword[4] == 0) return i;
  }
  return -1;
}

// What opens a text without a keyword: EXEC when it names ".exe", CDLL when it names ".dll",
// LOAD otherwise (matched under the differ-by-32 rule).
CommandHandler OpenerFor(const char16_t* text) {
  if (base::FindNoCase(text, u".exe") != nullptr) return g_handlers[Slot(u"EXEC")];
  if (base::FindNoCase(text, u".dll") != nullptr) return g_handlers[Slot(u"CDLL")];
  return HandleLoad;
}

}  // namespace

bool InstallCommands(CommandEntries entries) {
  bool all = true;
  for (const CommandEntry& entry : entries) {
    int slot = Slot(entry.keyword);
    if (slot >= 0) g_handlers[slot] = entry.handler;
    all = all && slot >= 0;
  }
  return all;
}

char16_t* CutAtSeparator(char16_t* text) {
  for (char16_t* p = text; *p != 0; ++p) {
    if (*p == kArgumentSeparator) {
      *p = 0;
      return p + 1;
    }
  }
  return nullptr;
}

int32_t DispatchCommand(char16_t* command, ScriptContext& context) {
  const unsigned letter = static_cast<unsigned>(command[0]) - u'A';
  // A unit that differs stops the comparison before the text's terminator is passed.
  for (uint32_t bits = letter < 26 ? kByFirstLetter[letter] : 0; bits != 0; bits &= bits - 1) {
    const int i = std::countr_zero(bits);
    const char16_t* keyword = kKeywords[i];
    if (command[1] != keyword[1] || command[2] != keyword[2] || command[3] != keyword[3]) continue;
    char16_t* argument = command + 4;
    while (base::IsBlankOrTab(*argument)) ++argument;
    return g_handlers[i](command, argument, context);
  }
  // No keyword: the whole text is a thing to open.
  return OpenerFor(command)(command, command, context);
}

int32_t HandleBatc(char16_t*, char16_t* argument, ScriptContext& context) {
  char16_t* piece = argument;
  for (char16_t* p = argument; *p != 0; ++p) {
    if (*p != u';') continue;
    *p = 0;
    DispatchCommand(piece, context);
    piece = p + 1;
  }
  return DispatchCommand(piece, context);
}

}  // namespace orvinta::engine
