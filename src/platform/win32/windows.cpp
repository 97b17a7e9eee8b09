// The Windows boxes: the platform's message box, and DLGX's form as a dialog made at run time
// from the blank template, full screen, with its controls created one row each.
#include "platform/windows.h"

#include <windows.h>

#include "platform/backend.h"
#include "platform/constants.h"
#include "platform/win32/dialog_routines.h"
#include "platform/win32/module_instance.h"
#include "platform/win32/wide.h"
#include "platform/window_journal.h"

namespace orvinta::platform {

namespace {

// The form that is open: one at a time, since the dialog is modal on the one thread. `count`
// is 0 until WM_INITDIALOG has made the controls, so an early WM_SIZE moves none.
struct OpenForm {
  const Form* form;
  FormStates* final;
  int count;
};

OpenForm* g_openForm = nullptr;

struct ControlClass {
  const wchar_t* name;
  DWORD style;
};

ControlClass ClassOf(const FormControl& control) {
  switch (control.kind) {
    case ControlKind::kLabel:
      return {L"STATIC", DWORD{WS_CHILD | WS_VISIBLE}};
    case ControlKind::kCheckBox:
      return {L"BUTTON", DWORD{WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX}};
    case ControlKind::kRadioButton:
      return {L"BUTTON", static_cast<DWORD>(WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (control.startsGroup ? WS_GROUP : 0))};
    case ControlKind::kEditBox:
      break;
  }
  return {L"EDIT", DWORD{WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL}};
}

void StretchControls(HWND dialog, const OpenForm& open, int clientWidth) {
  for (int n = 0; n < open.count; ++n) win32::StretchControlWidth(dialog, open.form->controls[n].id, clientWidth);
  win32::PlaceCommandButtons(dialog);
}

void InitForm(HWND dialog, OpenForm& open) {
  const Form& form = *open.form;
  open.count = 0;
  const int rowHeight = GetSystemMetrics(SM_CXSMICON) + 5;
  win32::InitFullScreenDialog(dialog, true, form.hideCancel ? win::kTbStateHidden : win::kTbStateEnabled,
                              win::kTbStateEnabled, win32::kOkCancelMenuBar);
  if (form.title != nullptr) SetWindowTextW(dialog, win32::Wide(form.title));
  for (int n = 0; n < form.count; ++n) {
    const FormControl& control = form.controls[n];
    const ControlClass made = ClassOf(control);
    CreateWindowExW(0, made.name, win32::Wide(control.text), made.style, 10, 5 + n * rowHeight, 300, rowHeight, dialog,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), win32::ModuleInstance(), nullptr);
    if (control.ticked && control.kind == ControlKind::kCheckBox) {
      SendDlgItemMessageW(dialog, control.id, BM_SETCHECK, BST_CHECKED, 0);
    } else if (control.ticked && control.kind == ControlKind::kRadioButton) {
      CheckRadioButton(dialog, control.groupFirstId, control.id, control.id);
    }
    open.count = n + 1;
  }
  // The dialog already has its full size: widen the controls now rather than at the next resize.
  RECT client{};
  GetClientRect(dialog, &client);
  StretchControls(dialog, open, client.right);
}

// The states at OK. Each control's kind is the form's: a desktop edit box shows its border as a
// client edge, so its style can't tell it apart.
void ReadStates(HWND dialog, const OpenForm& open) {
  for (int n = 0; n < open.count; ++n) {
    const FormControl& control = open.form->controls[n];
    if (control.kind == ControlKind::kEditBox) {
      GetDlgItemTextW(dialog, control.id, win32::Wide(open.final->text[n]), kFormTextUnits);
    } else if (control.kind != ControlKind::kLabel) {
      open.final->ticked[n] = SendDlgItemMessageW(dialog, control.id, BM_GETCHECK, 0, 0) != 0;
    }
  }
}

INT_PTR CALLBACK DlgxDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  OpenForm* open = g_openForm;
  if (open == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      InitForm(dialog, *open);
      return TRUE;
    case WM_SIZE:
      StretchControls(dialog, *open, LOWORD(lParam));
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        ReadStates(dialog, *open);
        EndDialog(dialog, kFormConfirmed);
        return TRUE;
      }
      // Escape and the close box come as command 2 too; without a Cancel button they do nothing.
      if (LOWORD(wParam) == IDCANCEL && !open->form->hideCancel) EndDialog(dialog, kFormCancelled);
      return LOWORD(wParam) == IDCANCEL;
    case WM_HOTKEY:
      if (HIWORD(lParam) == VK_ESCAPE) win32::SendBackToFocusWindow(message, wParam, lParam);
      return FALSE;
    default:
      return FALSE;
  }
}

class Win32Windows final : public Windows {
 public:
  int32_t MessageBoxW(const char16_t* text, const char16_t* caption, uint32_t type) override {
    const int button = ::MessageBoxW(Owner(), win32::Wide(text), win32::Wide(caption), type);
    return button > 0 ? button : 0;  // Wine without a display answers -1 where Windows documents 0
  }

  int32_t ShowForm(const Form& form, FormStates& final) override {
    OpenForm open{&form, &final, 0};
    OpenForm* outer = g_openForm;
    g_openForm = &open;
    const INT_PTR end = DialogBoxIndirectParamW(win32::ModuleInstance(), win32::BlankDialogTemplate(), Owner(),
                                                DlgxDialogProc, 0);
    g_openForm = outer;
    return static_cast<int32_t>(end);
  }

  void SetMainWindow(WindowHandle window) override { mainWindow_ = window; }
  WindowHandle MainWindow() override { return mainWindow_; }

 private:
  HWND Owner() const { return reinterpret_cast<HWND>(mainWindow_); }

  WindowHandle mainWindow_ = 0;
};

}  // namespace

Windows* backend::DefaultWindows() {
  static Win32Windows windows;
  static Windows* const chosen = []() -> Windows* {
    JournalSink* journal = backend::DefaultJournal();
    if (journal == nullptr) return &windows;
    static JournalingWindows journaled(windows, *journal);
    return &journaled;
  }();
  return chosen;
}

}  // namespace orvinta::platform
