// The journal of boxes: every message box and form asked, with its answer, one line each in
// the device journal's format (platform/device_journal.h), so that an unattended run leaves a
// record of what it asked:
//
//   MessageBoxW "Sure?" "Question" 0x00010024 => 6
//   Form "Pick" label "Choose:" check 1 "Alpha" check 0 "Beta" => ok - 1 1
//   Form ! null edit "Tom" => cancel
//   Form "Setup" group 1 "One" radio 0 "Two" => failed 0xFFFFFFFF
//
// A form line gives "!" when Cancel is hidden, the title (null: none), then each control: its
// kind (label, check, radio, group for a radio button that starts a group, edit), for check
// boxes and radio buttons 1 or 0 as asked, and its text. After "=>" comes the answer in the
// form ORVINTA_ANSWERS takes it: a message box's button number (0 when it failed); "ok" and
// each control's final state ("-" for a label, 1 or 0, an edit box's quoted text), "cancel", or
// "failed" and the failure value.
#pragma once
#include <string>

#include "platform/device_journal.h"
#include "platform/windows.h"

namespace orvinta::platform {

class JournalingWindows final : public Windows {
 public:
  JournalingWindows(Windows& inner, JournalSink& sink) : inner_(inner), sink_(sink) {}

  int32_t MessageBoxW(const char16_t* text, const char16_t* caption, uint32_t type) override;
  int32_t ShowForm(const Form& form, FormStates& final) override;
  void SetMainWindow(WindowHandle window) override { inner_.SetMainWindow(window); }
  WindowHandle MainWindow() override { return inner_.MainWindow(); }

 private:
  Windows& inner_;
  JournalSink& sink_;
};

// The form as the journal shows it, without the answer: `Form "Pick" label "Choose:" ...`.
std::string JournalForm(const Form& form);

}  // namespace orvinta::platform
