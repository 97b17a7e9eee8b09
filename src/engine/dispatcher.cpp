#include "engine/dispatcher.h"

#include "engine/command_handlers.h"
#include "engine/macros.h"
#include "engine/text_utils.h"
#include "platform/platform.h"

namespace orvinta::engine {

namespace {

constexpr CommandEntry kCommandTable[kCommandCount] = {
    {u"LOAD", HandleLoad}, {u"BATC", HandleBatc}, {u"IFEX", HandleIfex}, {u"ELSE", HandleElse},
    {u"CALL", HandleCall}, {u"GOTO", HandleGoto}, {u"PROC", HandleProc}, {u"ENDP", HandleEndp},
    {u"PLAY", HandlePlay}, {u"BEEP", HandleBeep}, {u"MSGX", HandleMsgx}, {u"DLGX", HandleDlgx},
    {u"LINK", HandleLink}, {u"FILE", HandleFile}, {u"REGX", HandleRegx}, {u"TGZX", HandleTgzx},
    {u"SEND", HandleSend}, {u"WAIT", HandleWait}, {u"KILL", HandleKill}, {u"SHUT", HandleShut},
    {u"EXEC", HandleExec}, {u"CDLL", HandleCdll}, {u"EVAL", HandleEval}, {u"ASOC", HandleAsoc},
    {u"OVUI", HandleOvui}, {u"HELP", HandleHelp},
};

constexpr int kProcEntry = 6;
constexpr int kEndpEntry = 7;

}  // namespace

const CommandEntry* CommandTable() { return kCommandTable; }
const char16_t* ProcKeyword() { return kCommandTable[kProcEntry].keyword; }
const char16_t* EndpKeyword() { return kCommandTable[kEndpEntry].keyword; }

int32_t DispatchCommand(char16_t* command, ScriptContext& context) {
  for (const CommandEntry& entry : kCommandTable) {
    // The first unit rules out most entries before the full comparison.
    if (command[0] != entry.keyword[0] || CommonPrefixLength(command, entry.keyword) < 4) continue;
    char16_t* argument = command + 4;
    while (IsBlankOrTab(*argument)) ++argument;
    return entry.handler(command, argument, context);
  }
  // No keyword: the whole text is a thing to open.
  return OpenerFor(command)(command, command, context);
}

CommandHandler OpenerFor(const char16_t* text) {
  if (FindNoCase(text, u".exe") != nullptr) return HandleExec;
  if (FindNoCase(text, u".dll") != nullptr) return HandleCdll;
  return HandleLoad;
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
