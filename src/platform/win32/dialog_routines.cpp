#include "platform/win32/dialog_routines.h"

#include <commctrl.h>

#include "platform/constants.h"
#include "platform/win32/module_instance.h"

namespace orvinta::platform::win32 {

namespace {

// The Windows Mobile shell's records, as its 32-bit devices lay them out (not in the desktop
// headers): SHMENUBARINFO is 36 bytes there, SHINITDLGINFO 12.
struct MenuBarInfo {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  COLORREF clrBk;
};

struct InitDialogInfo {
  DWORD dwMask;
  HWND hDlg;
  DWORD dwFlags;
};

using CreateMenuBarFunction = BOOL(WINAPI*)(MenuBarInfo*);
using InitDialogFunction = BOOL(WINAPI*)(InitDialogInfo*);
using SendBackFunction = BOOL(WINAPI*)(UINT, WPARAM, LPARAM);

constexpr UINT kOverrideKey = WM_USER + 403;  // SHCMBM_OVERRIDEKEY
constexpr UINT kBackKey = VK_ESCAPE;          // the Back key's virtual-key code (0x1B)
constexpr LPARAM kBackNoDefaultNotify = 0x30003;  // SHMBOF_NODEFAULT | SHMBOF_NOTIFY, mask and value
constexpr DWORD kInitDialogFlagsMask = 1;         // SHIDIM_FLAGS
constexpr DWORD kDoneButtonFullScreen = 5;        // SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN

// An export of the Windows Mobile shell, which a desktop does not have; looked up at run time
// so that the program still loads where it is missing. The library stays loaded.
template <typename Function>
Function ShellExport(const char* name) {
  static HMODULE const shell = LoadLibraryW(L"aygshell.dll");
  if (shell == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(shell, name)));
}

void SetMenuBarButtonState(HWND menuBar, int command, BYTE state) {
  TBBUTTONINFOW info{};
  info.cbSize = sizeof(info);
  info.dwMask = TBIF_STATE;
  info.fsState = state;
  SendMessageW(menuBar, TB_SETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
}

// The desktop's buttons: the height of a DLGX row, a fixed width, 10 pixels from the edges.
constexpr int kButtonWidth = 96;
int ButtonHeight() { return GetSystemMetrics(SM_CXSMICON) + 5; }

void CreateCommandButton(HWND dialog, int command, UINT stringId, DWORD style) {
  wchar_t caption[80] = {};
  LoadStringW(ModuleInstance(), stringId, caption, 80);
  CreateWindowExW(0, L"BUTTON", caption, WS_CHILD | WS_TABSTOP | style, 0, 0, kButtonWidth, ButtonHeight(), dialog,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(command)), ModuleInstance(), nullptr);
}

#pragma pack(push, 4)
struct BlankTemplate {
  DLGTEMPLATE header;
  WORD menu;        // none
  WORD windowClass;  // the dialog class
  wchar_t caption[8];
};
#pragma pack(pop)

constexpr DWORD kBlankStyle = WS_POPUP | WS_VISIBLE | WS_BORDER | DS_CENTER | DS_SETFOREGROUND;
static_assert(kBlankStyle == 0x90800A00);
alignas(4) constexpr BlankTemplate kBlankTemplate = {{kBlankStyle, 0, 0, 0, 0, 100, 100}, 0, 0, L"Orvinta"};

}  // namespace

const DLGTEMPLATE* BlankDialogTemplate() { return &kBlankTemplate.header; }

HWND InitFullScreenDialog(HWND dialog, bool overrideBack, BYTE cancelState, BYTE okState, UINT menuBarId) {
  auto createMenuBar = ShellExport<CreateMenuBarFunction>("SHCreateMenuBar");
  auto initDialog = ShellExport<InitDialogFunction>("SHInitDialog");
  if (createMenuBar != nullptr && initDialog != nullptr) {
    MenuBarInfo bar{};
    bar.cbSize = sizeof(bar);
    bar.hwndParent = dialog;
    bar.nToolBarId = menuBarId;
    bar.hInstRes = ModuleInstance();
    createMenuBar(&bar);
    if (overrideBack) SendMessageW(bar.hwndMB, kOverrideKey, kBackKey, kBackNoDefaultNotify);
    if (okState != win::kTbStateEnabled) SetMenuBarButtonState(bar.hwndMB, IDOK, okState);
    if (cancelState != win::kTbStateEnabled) SetMenuBarButtonState(bar.hwndMB, IDCANCEL, cancelState);
    InitDialogInfo init{kInitDialogFlagsMask, dialog, kDoneButtonFullScreen};
    initDialog(&init);
    return bar.hwndMB;
  }

  // A desktop: two push buttons, and the dialog over the whole work area, with a title bar to
  // show its caption (the device shows it in the shell's navigation bar).
  SetWindowLongW(dialog, GWL_STYLE, GetWindowLongW(dialog, GWL_STYLE) | WS_CAPTION);
  CreateCommandButton(dialog, IDOK, kOkString, BS_DEFPUSHBUTTON | (okState & win::kTbStateHidden ? 0 : WS_VISIBLE));
  CreateCommandButton(dialog, IDCANCEL, kCancelString,
                      BS_PUSHBUTTON | (cancelState & win::kTbStateHidden ? 0 : WS_VISIBLE));
  RECT work{};
  if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    MoveWindow(dialog, work.left, work.top, work.right - work.left, work.bottom - work.top, TRUE);
  }
  PlaceCommandButtons(dialog);
  return nullptr;
}

void PlaceCommandButtons(HWND dialog) {
  HWND ok = GetDlgItem(dialog, IDOK);
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  if (ok == nullptr || cancel == nullptr) return;
  RECT client{};
  GetClientRect(dialog, &client);
  const int height = ButtonHeight();
  const int top = client.bottom - height - 10;
  // Above the rows, which may reach down to them: the commands stay within reach.
  SetWindowPos(ok, HWND_TOP, 10, top, kButtonWidth, height, 0);
  SetWindowPos(cancel, HWND_TOP, client.right - kButtonWidth - 10, top, kButtonWidth, height, 0);
}

int StretchControlWidth(HWND dialog, int id, int rightEdge) {
  HWND control = GetDlgItem(dialog, id);
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  const int width = rightEdge - GetSystemMetrics(SM_CXVSCROLL) - rect.left - 4;
  MoveWindow(control, rect.left, rect.top, width, rect.bottom - rect.top, TRUE);
  return width;
}

void SendBackToFocusWindow(UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto sendBack = ShellExport<SendBackFunction>("SHSendBackToFocusWindow")) sendBack(message, wParam, lParam);
}

}  // namespace orvinta::platform::win32
