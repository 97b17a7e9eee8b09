// OVUI and HELP: what the main window's commands do, handed to the platform that draws it.
#include <string>

#include "app/file_picker.h"
#include "app/version.h"
#include "app/window_commands.h"
#include "engine/runner.h"
#include "engine/script_context.h"
#include "platform/platform.h"
#include "platform/shell.h"
#include "platform/ui_strings.h"
#include "registry/registry_commands.h"

namespace orvinta::app {

namespace {

constexpr const char16_t* kKeywords[] = {
    u"LOAD", u"BATC", u"IFEX", u"ELSE", u"CALL", u"GOTO", u"PROC", u"ENDP", u"PLAY",
    u"BEEP", u"MSGX", u"DLGX", u"LINK", u"FILE", u"REGX", u"TGZX", u"SEND", u"WAIT",
    u"KILL", u"SHUT", u"EXEC", u"CDLL", u"EVAL", u"ASOC", u"OVUI", u"HELP"};

// The main script path: every command typed into the window runs with the path OVUI was
// given, so %E and %C name the script that opened the window.
struct MainWindowState {
  const char16_t* scriptPath;
};

void Execute(void* context, char16_t* line) {
  engine::RunScript(line, static_cast<MainWindowState*>(context)->scriptPath);
}

bool Associated(void*) {
  platform::Registry& registry = *platform::Get().registry;
  platform::KeyHandle key{};
  if (registry.RegOpenKeyExW(platform::RootKeyHandle(win::kHkeyClassesRoot), u"Orvinta", win::kKeyAllAccess,
                             &key) != 0) {
    return false;
  }
  registry.RegCloseKey(key);
  return true;
}

// ASOC three times off or twice on; its results are not looked at, and the message follows
// the check mark as it was, not the outcome.
void Asoc(const char16_t* argument) {
  char16_t buffer[16] = {};
  for (int i = 0; argument[i] != 0 && i < 15; ++i) buffer[i] = argument[i];
  char16_t command[] = u"ASOC";
  engine::ScriptContext context{};
  registry::HandleAsoc(command, buffer, context);
}

const char16_t* ToggleAssociation(void*, bool wasOn) {
  if (wasOn) {
    Asoc(u"!");
    Asoc(u"!.ovs");
    Asoc(u"!.provxml");
    return u"" ORVINTA_TEXT_ASSOCIATION_OFF;
  }
  Asoc(u".ovs");
  Asoc(u".provxml");
  return u"" ORVINTA_TEXT_ASSOCIATION_ON;
}

int32_t Help(void*) { return platform::ShowHelp(); }

int32_t PickFile(void*, uintptr_t owner, char16_t* box) {
  platform::FileDialogs& dialogs = platform::DefaultFileDialogs();
  return PickFileName(dialogs, owner, box, false, GetPlatformInfo(dialogs));
}

}  // namespace

const char16_t* AboutText() {
  static const std::u16string text = [] {
    std::u16string about = u"" ORVINTA_VERSION_TEXT "\r\n\r\n";
    for (const char* c = ORVINTA_BUILD_TIME; *c != 0; ++c) about += static_cast<char16_t>(*c);
    about += u"\r\n\r\n" ORVINTA_TEXT_ABOUT_LINE3 "\r\n\r\n" ORVINTA_TEXT_ABOUT_LINE4;
    return about;
  }();
  return text.c_str();
}

int32_t HandleOvui(char16_t*, char16_t*, engine::ScriptContext& context) {
  MainWindowState state{context.scriptPath};
  platform::MainWindowCalls calls{};
  calls.context = &state;
  calls.execute = Execute;
  calls.associated = Associated;
  calls.toggleAssociation = ToggleAssociation;
  calls.help = Help;
  calls.pickFile = PickFile;
  calls.aboutText = AboutText();
  calls.keywords = kKeywords;
  calls.keywordCount = static_cast<int>(std::size(kKeywords));
  static const std::u16string patterns(FirstPatternList(u"" ORVINTA_TEXT_FILTER));
  calls.pickerPatterns = patterns.c_str();
  return platform::OpenMainWindow(calls);
}

int32_t HandleHelp(char16_t*, char16_t*, engine::ScriptContext&) { return platform::ShowHelp(); }

}  // namespace orvinta::app
