// How a form's ticks change, as the platform's buttons change them; shared by every face that
// shows a form without the platform's own dialog manager.
#include "platform/windows.h"

namespace orvinta::platform {

namespace {

bool Tickable(const FormControl& control) {
  return control.kind == ControlKind::kCheckBox || control.kind == ControlKind::kRadioButton;
}

}  // namespace

void InitialTicks(const Form& form, bool ticked[kFormControlLimit]) {
  for (int n = 0; n < form.count; ++n) {
    const FormControl& control = form.controls[n];
    ticked[n] = false;
    if (!control.ticked) continue;
    if (control.kind == ControlKind::kCheckBox) {
      ticked[n] = true;
    } else if (control.kind == ControlKind::kRadioButton) {
      // CheckRadioButton(first, own, own) sends BM_SETCHECK to every id of the range, and
      // check boxes take it as radio buttons do.
      for (int other = 0; other < n; ++other) {
        if (form.controls[other].id >= control.groupFirstId && Tickable(form.controls[other])) ticked[other] = false;
      }
      ticked[n] = true;
    }
  }
}

void SelectRadioButton(const Form& form, bool ticked[kFormControlLimit], int n) {
  int first = n;
  while (first > 0 && !form.controls[first].startsGroup) --first;
  for (int other = first; other < form.count; ++other) {
    if (other > n && form.controls[other].startsGroup) break;
    if (form.controls[other].kind == ControlKind::kRadioButton) ticked[other] = false;
  }
  ticked[n] = true;
}

}  // namespace orvinta::platform
