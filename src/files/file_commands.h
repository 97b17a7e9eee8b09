// The file room's commands, as it hands them to the dispatcher.
#pragma once
#include "engine/command_handler.h"

namespace orvinta::files {

int32_t HandleFile(char16_t* command, char16_t* argument, engine::ScriptContext& context);  // file_command.cpp
int32_t HandleLink(char16_t* command, char16_t* argument, engine::ScriptContext& context);  // link_command.cpp
int32_t HandleTgzx(char16_t* command, char16_t* argument, engine::ScriptContext& context);  // tgzx.cpp

inline constexpr engine::CommandEntry kCommands[] = {{u"FILE", HandleFile}, {u"LINK", HandleLink}, {u"TGZX", HandleTgzx}};

}  // namespace orvinta::files
