// The program's own windows as commands: OVUI opens the main window, HELP the help window.
#pragma once
#include "engine/command_handler.h"

namespace orvinta::app {

int32_t HandleOvui(char16_t* command, char16_t* argument, engine::ScriptContext& context);
int32_t HandleHelp(char16_t* command, char16_t* argument, engine::ScriptContext& context);

inline constexpr engine::CommandEntry kCommands[] = {{u"OVUI", HandleOvui}, {u"HELP", HandleHelp}};

// The about box's text: the version, the build time and two lines of ours, one empty line
// between them.
const char16_t* AboutText();

}  // namespace orvinta::app
