#include "engine/dispatcher.h"

#include "base/text.h"
#include "engine/script_commands.h"
#include "platform/constants.h"

namespace orvinta::engine {

namespace {

constexpr int kCommandCount = 26;

int32_t NotBuilt(char16_t*, char16_t*, ScriptContext&) { return win::AsResult(win::kENotImpl); }

// The fixed order: the first match wins, and keyword-less lines name their opener by keyword.
CommandEntry g_table[kCommandCount] = {
    {u"LOAD", HandleLoad}, {u"BATC", HandleBatc}, {u"IFEX", HandleIfex}, {u"ELSE", HandleElse},
    {u"CALL", HandleCall}, {u"GOTO", HandleGoto}, {u"PROC", HandleProc}, {u"ENDP", HandleEndp},
    {u"PLAY", NotBuilt},   {u"BEEP", NotBuilt},   {u"MSGX", NotBuilt},   {u"DLGX", NotBuilt},
    {u"LINK", NotBuilt},   {u"FILE", NotBuilt},   {u"REGX", NotBuilt},   {u"TGZX", NotBuilt},
    {u"SEND", NotBuilt},   {u"WAIT", NotBuilt},   {u"KILL", NotBuilt},   {u"SHUT", NotBuilt},
    {u"EXEC", NotBuilt},   {u"CDLL", NotBuilt},   {u"EVAL", HandleEval}, {u"ASOC", NotBuilt},
    {u"OVUI", NotBuilt},   {u"HELP", NotBuilt},
};

CommandEntry* Slot(const char16_t* keyword) {
  for (CommandEntry& entry : g_table) {
    if (base::CommonPrefixLength(entry.keyword, keyword) == 4 && keyword[4] == 0) return &entry;
  }
  return nullptr;
}

// What opens a text without a keyword: EXEC when it names ".exe", CDLL when it names ".dll",
// LOAD otherwise (matched under the differ-by-32 rule).
CommandHandler OpenerFor(const char16_t* text) {
  if (base::FindNoCase(text, u".exe") != nullptr) return Slot(u"EXEC")->handler;
  if (base::FindNoCase(text, u".dll") != nullptr) return Slot(u"CDLL")->handler;
  return HandleLoad;
}

}  // namespace

bool InstallCommands(CommandEntries entries) {
  bool all = true;
  for (const CommandEntry& entry : entries) {
    CommandEntry* slot = Slot(entry.keyword);
    if (slot != nullptr) slot->handler = entry.handler;
    all = all && slot != nullptr;
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
  for (const CommandEntry& entry : g_table) {
    // The first unit rules out most entries before the full comparison.
    if (command[0] != entry.keyword[0] || base::CommonPrefixLength(command, entry.keyword) < 4) continue;
    char16_t* argument = command + 4;
    while (base::IsBlankOrTab(*argument)) ++argument;
    return entry.handler(command, argument, context);
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
