#include "dialogs/form_description.h"

#include "base/number.h"
#include "engine/command_handler.h"
#include "engine/interpreter_state.h"

namespace orvinta::dialogs {

namespace {

using platform::ControlKind;
using platform::FormControl;

// The text of a bracketed item: after the first `close` of the item, or its end without one.
const char16_t* AfterBracket(const char16_t* item, char16_t close) {
  const char16_t* p = item;
  while (*p != 0 && *p != close) ++p;
  return *p == close ? p + 1 : p;
}

}  // namespace

void DescribeForm(char16_t* argument, platform::Form& form) {
  form = platform::Form{};
  char16_t* item = argument;
  if (*item == u'!') {
    form.hideCancel = true;
    ++item;
  }
  uint16_t groupFirstId = platform::kFormFirstControlId;
  for (;;) {
    char16_t* next = engine::CutAtSeparator(item);  // null after the last item
    const auto id = static_cast<uint16_t>(platform::kFormFirstControlId + form.count);
    FormControl control{ControlKind::kLabel, false, false, id, groupFirstId, item};
    switch (item[0]) {
      case u'$':
        control.text = item + 1;
        break;
      case u'[':
        control.kind = ControlKind::kCheckBox;
        break;
      case u'{':
        control.startsGroup = true;
        control.groupFirstId = groupFirstId = id;
        [[fallthrough]];
      case u'<':
        control.kind = ControlKind::kRadioButton;
        break;
      default:
        control.kind = ControlKind::kEditBox;
        break;
    }
    if (control.kind == ControlKind::kEditBox && form.count == 0) {
      form.title = item;  // before the first control every plain item is the title
    } else {
      if (control.kind == ControlKind::kCheckBox || control.kind == ControlKind::kRadioButton) {
        // The number stops at the bracket, which can't continue it.
        control.ticked = base::ParseNumber(item + 1) != 0;
        control.text = AfterBracket(item, item[0] == u'[' ? u']' : item[0] == u'<' ? u'>' : u'}');
      }
      form.controls[form.count++] = control;
      if (form.count == platform::kFormControlLimit) return;
    }
    if (next == nullptr) return;
    item = next;
  }
}

int32_t ReadBackForm(const platform::Form& form, const platform::FormStates& final) {
  uint32_t mask = 0;
  int nextVariable = 0;
  for (int n = 0; n < form.count; ++n) {
    switch (form.controls[n].kind) {
      case ControlKind::kEditBox:
        if (nextVariable < engine::kUserVariableCount) engine::SetUserVariable(nextVariable++, final.text[n]);
        break;
      case ControlKind::kCheckBox:
      case ControlKind::kRadioButton:
        if (final.ticked[n]) mask |= 1u << n;
        break;
      case ControlKind::kLabel:
        break;
    }
  }
  return static_cast<int32_t>(mask);
}

}  // namespace orvinta::dialogs
