// Window services: message boxes and the small forms that DLGX describes.
//
// Contract: every box is modal and owned by the main window while it is open, by no window
// otherwise; the call returns when the user has answered. The caller owns every text and the
// form; the service reads them during the call only and keeps nothing. A box that can't be
// shown is never success: MessageBoxW answers 0, ShowForm the platform's failure value (never
// kFormConfirmed or kFormCancelled), and neither shows a message of its own. On Windows the
// boxes are the platform's own dialogs; the host shows them in the terminal, takes the answers
// from ORVINTA_ANSWERS when asked to, and fails them when it has neither (docs/host-device.md).
#pragma once
#include <cstdint>

namespace orvinta::platform {

// A window: HWND on Windows, a token of the host's own; 0 is none.
using WindowHandle = uintptr_t;

// What a form can hold and how its controls are numbered: control n has the id 4531 + n and
// sits in row n.
inline constexpr int kFormControlLimit = 32;
inline constexpr uint16_t kFormFirstControlId = 4531;
inline constexpr int kFormTextUnits = 260;  // an edit box's text as read back, terminator included

enum class ControlKind : uint8_t { kLabel, kCheckBox, kRadioButton, kEditBox };

struct FormControl {
  ControlKind kind;
  bool startsGroup;       // a radio button that begins a new group (WS_GROUP)
  bool ticked;            // a check box or radio button asked to start ticked
  uint16_t id;            // kFormFirstControlId + its position
  uint16_t groupFirstId;  // a radio button: the first id of the range it is selected in
  const char16_t* text;   // the label, or an edit box's first text; zero-terminated
};

struct Form {
  const char16_t* title;  // null: the dialog keeps its own caption, "Orvinta"
  bool hideCancel;
  int count;
  FormControl controls[kFormControlLimit];
};

// The controls' states when the user confirmed: ticks of check boxes and radio buttons, texts
// of edit boxes (at most kFormTextUnits - 1 units, zero-terminated). Other entries are unused.
struct FormStates {
  bool ticked[kFormControlLimit];
  char16_t text[kFormControlLimit][kFormTextUnits];
};

// What ShowForm answers besides the platform's failure value: the command that ended it.
inline constexpr int32_t kFormConfirmed = 1;  // OK: `final` holds the states
inline constexpr int32_t kFormCancelled = 2;  // Cancel: `final` is untouched

class Windows {
 public:
  virtual ~Windows() = default;

  // MessageBoxW(owner, text, caption, type): the number of the button chosen (IDOK ...), or 0
  // when the box can't be shown.
  virtual int32_t MessageBoxW(const char16_t* text, const char16_t* caption, uint32_t type) = 0;

  // Shows the form as a full-screen dialog with OK and (unless hidden) Cancel, and lets the
  // user change it. Returns kFormConfirmed, kFormCancelled or the failure value of
  // DialogBoxIndirectParamW (-1 on the host).
  virtual int32_t ShowForm(const Form& form, FormStates& final) = 0;

  // The main window, owner of every box while it is open; 0 when it closes.
  virtual void SetMainWindow(WindowHandle window) = 0;
  virtual WindowHandle MainWindow() = 0;
};

// The ticks a form starts with, as the platform's calls leave them: a radio button asked to be
// ticked is selected with CheckRadioButton over its range, which clears every check box and
// radio button from the range's first id up to it.
void InitialTicks(const Form& form, bool ticked[kFormControlLimit]);

// What a click on radio button n does: it is ticked and every other radio button of its group
// (from the nearest group start at or before it to the next one) loses its tick.
void SelectRadioButton(const Form& form, bool ticked[kFormControlLimit], int n);

}  // namespace orvinta::platform
