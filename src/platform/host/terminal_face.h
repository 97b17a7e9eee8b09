// The host's terminal face: message boxes and forms drawn with ncurses on the terminal that
// standard input is, and answered from its keyboard.
//
// A message box shows its caption, its icon as a word and its text, with the type's buttons:
// Left, Right and Tab move between them, Enter or Space chooses, a button's letter (Y, N, A,
// R, I, T, C) chooses it at once, and Escape answers as on Windows (Cancel, or OK where OK is
// alone). A form fills the screen: the title above, a row per control, "确定" and "取消" below.
// Tab and the arrow keys move between the controls and the two buttons, Space ticks a check box
// or selects a radio button, an edit box is edited in place (Left, Right, Home, End, Backspace,
// Delete), Enter confirms (or cancels, on "取消") and Escape cancels. Ctrl-C ends the program.
#pragma once
#include <cstdint>
#include <string>

#include "platform/windows.h"

namespace orvinta::platform::host {

// True when standard input is a terminal.
bool HasTerminal();

// The button chosen; 0 with `why` when the terminal can't show the box.
int32_t TerminalMessageBox(const char16_t* text, const char16_t* caption, uint32_t type, std::string* why);

// kFormConfirmed with `final` filled, kFormCancelled, or -1 with `why` when the terminal can't
// show the form.
int32_t TerminalForm(const Form& form, FormStates& final, std::string* why);

}  // namespace orvinta::platform::host
