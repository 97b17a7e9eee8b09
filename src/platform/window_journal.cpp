#include "platform/window_journal.h"

namespace orvinta::platform {

namespace {

const char* KindWord(const FormControl& control) {
  switch (control.kind) {
    case ControlKind::kLabel:
      return "label";
    case ControlKind::kCheckBox:
      return "check";
    case ControlKind::kRadioButton:
      return control.startsGroup ? "group" : "radio";
    case ControlKind::kEditBox:
      break;
  }
  return "edit";
}

bool Tickable(const FormControl& control) {
  return control.kind == ControlKind::kCheckBox || control.kind == ControlKind::kRadioButton;
}

}  // namespace

std::string JournalForm(const Form& form) {
  std::string line = "Form";
  if (form.hideCancel) line += " !";
  line += ' ';
  line += JournalText(form.title);
  for (int n = 0; n < form.count; ++n) {
    const FormControl& control = form.controls[n];
    line += ' ';
    line += KindWord(control);
    if (Tickable(control)) line += control.ticked ? " 1" : " 0";
    line += ' ';
    line += JournalText(control.text);
  }
  return line;
}

int32_t JournalingWindows::MessageBoxW(const char16_t* text, const char16_t* caption, uint32_t type) {
  int32_t button = inner_.MessageBoxW(text, caption, type);
  sink_.AppendLine("MessageBoxW " + JournalText(text) + ' ' + JournalText(caption) + ' ' + JournalNumber(type) +
                   " => " + std::to_string(button));
  return button;
}

int32_t JournalingWindows::ShowForm(const Form& form, FormStates& final) {
  int32_t end = inner_.ShowForm(form, final);
  std::string line = JournalForm(form) + " => ";
  if (end == kFormConfirmed) {
    line += "ok";
    for (int n = 0; n < form.count; ++n) {
      const FormControl& control = form.controls[n];
      line += ' ';
      if (control.kind == ControlKind::kEditBox) {
        line += JournalText(final.text[n]);
      } else if (Tickable(control)) {
        line += final.ticked[n] ? '1' : '0';
      } else {
        line += '-';
      }
    }
  } else if (end == kFormCancelled) {
    line += "cancel";
  } else {
    line += "failed " + JournalNumber(static_cast<uint32_t>(end));
  }
  sink_.AppendLine(line);
  return end;
}

}  // namespace orvinta::platform
