// The registry room's commands, as it hands them to the dispatcher.
#pragma once
#include "engine/command_handler.h"

namespace orvinta::registry {

int32_t HandleRegx(char16_t* command, char16_t* argument, engine::ScriptContext& context);  // regx.cpp
int32_t HandleAsoc(char16_t* command, char16_t* argument, engine::ScriptContext& context);  // asoc.cpp

inline constexpr engine::CommandEntry kCommands[] = {{u"REGX", HandleRegx}, {u"ASOC", HandleAsoc}};

}  // namespace orvinta::registry
