// MSGX and DLGX, as this room hands them to the dispatcher.
#pragma once
#include "engine/command_handler.h"

namespace orvinta::dialogs {

int32_t HandleMsgx(char16_t* command, char16_t* argument, engine::ScriptContext& context);  // message_box.cpp
int32_t HandleDlgx(char16_t* command, char16_t* argument, engine::ScriptContext& context);  // dialog_box.cpp

inline constexpr engine::CommandEntry kCommands[] = {{u"MSGX", HandleMsgx}, {u"DLGX", HandleDlgx}};

}  // namespace orvinta::dialogs
