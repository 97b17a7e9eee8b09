#include "engine/dispatcher.h"

#include <array>
#include <cstdint>

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

// The entry (plus one; zero for none) of the keyword that starts with each pair of capital
// letters: no two keywords share their first two, so a command is compared with one entry at most.
constexpr std::array<uint8_t, 26 * 26> kByFirstTwo = [] {
  std::array<uint8_t, 26 * 26> entries{};
  for (int i = 0; i < kCommandCount; ++i) {
    uint8_t& entry = entries[(kKeywords[i][0] - u'A') * 26 + (kKeywords[i][1] - u'A')];
    if (entry != 0) throw "two keywords begin alike";  // stops the build
    entry = static_cast<uint8_t>(i + 1);
  }
  return entries;
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
  // Each unit is looked at only when the one before it is a capital letter: nothing past the
  // text's terminator is read.
  const unsigned first = static_cast<unsigned>(command[0]) - u'A';
  const unsigned second = first < 26 ? static_cast<unsigned>(command[1]) - u'A' : 26;
  const int entry = second < 26 ? kByFirstTwo[first * 26 + second] - 1 : -1;
  if (entry >= 0 && command[2] == kKeywords[entry][2] && command[3] == kKeywords[entry][3]) {
    char16_t* argument = command + 4;
    while (base::IsBlankOrTab(*argument)) ++argument;
    return g_handlers[entry](command, argument, context);
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
