// DLGX's one-line description of a form, read into the controls the window service shows, and
// the controls' final states turned into DLGX's result and the user variables. Only showing the
// form and letting the user change it belong to the platform.
//
// The argument: an optional "!" (no Cancel), then items separated by the argument separator.
// Plain items before the first control are titles (the last one wins); "$text" is a label,
// "[n]text" a check box, "<n>text" a radio button, "{n}text" a radio button that starts a group
// (ticked when n, read as every number is, is not 0; the text follows the first closing bracket
// of the item's own kind, and is empty without one); any other item after the first control is
// an edit box holding it. Control n has the id 4531 + n and bit n of the result; the first 32
// controls are made and the rest of the argument is ignored.
#pragma once
#include "platform/windows.h"

namespace orvinta::dialogs {

// Reads `argument` into `form`, cutting it in place at its separators: the form's texts point
// into it.
void DescribeForm(char16_t* argument, platform::Form& form);

// The result of a confirmed form: bit n set for each ticked check box or radio button n (bit 31
// makes it negative). The first ten edit boxes' texts go to %0 ... %9 in order, cut to 259 units.
int32_t ReadBackForm(const platform::Form& form, const platform::FormStates& final);

}  // namespace orvinta::dialogs
