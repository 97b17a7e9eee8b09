// The Windows program's own windows: the main window (dialog 200) with its log pane and menu,
// the help window and the about box. On a device the shell gives them a menu bar with two
// soft keys; on a desktop, which has none, Execute and Menu are push buttons with the same
// command ids (1 and 2) and the Menu button opens popup 0 of menu 513.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/constants.h"
#include "platform/help_text.h"
#include "platform/platform.h"
#include "platform/shell.h"
#include "platform/ui_strings.h"
#include "platform/win32/dialog_routines.h"
#include "platform/win32/module_instance.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

// Dialog 200 and its controls; menu 513 and menu bar 513.
constexpr int kMainDialog = 200;
constexpr UINT kMainMenu = 513;
constexpr int kCommandBox = 300;
constexpr int kBrowseButton = 303;
constexpr int kPrompt = 304;
constexpr int kLogPane = 305;
constexpr int kExecute = IDOK;
constexpr int kMenuButton = IDCANCEL;
constexpr int kHelpItem = 400;
constexpr int kAboutItem = 401;
constexpr int kExitItem = 402;
constexpr int kAssociationItem = 403;
constexpr int kClearLogItem = 404;
constexpr int kCaptionString = 506;
constexpr int kViewer = 303;  // the help window's view
constexpr UINT kGetSubMenu = WM_USER + 401;  // SHCMBM_GETSUBMENU
constexpr UINT kNavigate = WM_USER + 120;    // DTM_NAVIGATE of the HTML viewer
constexpr int kBackKeyCode = 0x1B;

struct MainWindow {
  const MainWindowCalls* calls = nullptr;
  HWND dialog = nullptr;
  HWND menuBar = nullptr;     // the shell's, on a device
  HMENU desktopMenu = nullptr;  // menu 513, on a desktop
  WNDPROC menuButtonProc = nullptr;
  bool menuButtonPressed = false;
};

MainWindow* g_main = nullptr;

std::wstring LoadText(UINT id) {
  wchar_t text[1024] = {};
  LoadStringW(win32::ModuleInstance(), id, text, 1024);
  return text;
}

// A function of a library that not every Windows has, looked up at run time.
template <typename Function>
Function Export(const wchar_t* library, const char* name) {
  HMODULE module = LoadLibraryW(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The shell's extra controls make "SIPPREF"; where the shell has none, a stand-in class of
// that name lets dialog 200 be made (an invisible control that does nothing).
void InitExtraControls() {
  if (auto init = Export<BOOL(WINAPI*)()>(L"aygshell.dll", "SHInitExtraControls")) {
    init();
    return;
  }
  WNDCLASSW known{};
  if (GetClassInfoW(win32::ModuleInstance(), L"SIPPREF", &known)) return;
  WNDCLASSW standIn{};
  standIn.lpfnWndProc = DefWindowProcW;
  standIn.hInstance = win32::ModuleInstance();
  standIn.lpszClassName = L"SIPPREF";
  RegisterClassW(&standIn);
}

// The drop-down of the Menu command: the shell's on a device, menu 513's popup 0 on a desktop.
HMENU MenuPopup(HWND dialog) {
  if (g_main->menuBar != nullptr) {
    return reinterpret_cast<HMENU>(SendMessageW(g_main->menuBar, kGetSubMenu, 0, IDCANCEL));
  }
  (void)dialog;
  return GetSubMenu(g_main->desktopMenu, 0);
}

bool ItemTicked(HWND dialog, int item) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  HMENU popup = MenuPopup(dialog);
  return popup != nullptr && GetMenuItemInfoW(popup, item, FALSE, &info) && (info.fState & MFS_CHECKED);
}

void UpdateAssociationTick(HMENU popup) {
  bool on = g_main->calls->associated(g_main->calls->context);
  CheckMenuItem(popup, kAssociationItem, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

// A box captioned by the menu item's text, or "Orvinta" when the item can't be read.
void MenuCaptionedBox(HWND dialog, int item, const wchar_t* text, UINT type) {
  wchar_t caption[80] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE;
  info.dwTypeData = caption;
  info.cch = 80;
  HMENU popup = MenuPopup(dialog);
  if (popup == nullptr || !GetMenuItemInfoW(popup, item, FALSE, &info) || caption[0] == 0) {
    std::wstring fallback = LoadText(kCaptionString);
    fallback.resize(79);
    for (size_t i = 0; i < 80; ++i) caption[i] = i < fallback.size() ? fallback[i] : 0;
  }
  MessageBoxW(dialog, text, caption, type);
}

void SetExecuteEnabled(HWND dialog, bool enabled) {
  if (g_main->menuBar != nullptr) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STATE;
    info.fsState = enabled ? TBSTATE_ENABLED : 0;
    SendMessageW(g_main->menuBar, TB_SETBUTTONINFOW, kExecute, reinterpret_cast<LPARAM>(&info));
  } else {
    EnableWindow(GetDlgItem(dialog, kExecute), enabled);
  }
}

// The input method starts in its non-native mode in the command box: commands are Latin.
void LatinInputMode(HWND box) {
  using GetContext = HIMC(WINAPI*)(HWND);
  using GetStatus = BOOL(WINAPI*)(HIMC, DWORD*, DWORD*);
  using SetStatus = BOOL(WINAPI*)(HIMC, DWORD, DWORD);
  auto getStatus = Export<GetStatus>(L"imm32.dll", "ImmGetConversionStatus");
  auto setStatus = Export<SetStatus>(L"imm32.dll", "ImmSetConversionStatus");
  auto getContext = Export<GetContext>(L"imm32.dll", "ImmGetContext");
  if (getStatus == nullptr || setStatus == nullptr) return;
  HIMC context = getContext != nullptr ? getContext(box) : nullptr;
  DWORD conversion = 0;
  DWORD sentence = 0;
  if (getStatus(context, &conversion, &sentence)) setStatus(context, conversion & ~1u, 0);
}

// On a desktop the Menu button opens the menu, while Escape still ends the window with the
// same command 2: the button notes that it was pressed before it tells the dialog.
LRESULT CALLBACK MenuButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONUP || message == BM_CLICK || (message == WM_KEYUP && wParam == VK_SPACE)) {
    g_main->menuButtonPressed = true;
  }
  return CallWindowProcW(g_main->menuButtonProc, button, message, wParam, lParam);
}

void OpenDesktopMenu(HWND dialog) {
  HMENU popup = GetSubMenu(g_main->desktopMenu, 0);
  UpdateAssociationTick(popup);
  RECT button{};
  GetWindowRect(GetDlgItem(dialog, kMenuButton), &button);
  TrackPopupMenuEx(popup, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, button.right, button.top, dialog, nullptr);
}

// Every control keeps its left and top and grows to the right edge, W - S - 4; the log pane
// also to the bottom. On a desktop the bottom is the row of the two buttons.
void Layout(HWND dialog, int width, int height) {
  const int scroll = GetSystemMetrics(SM_CXVSCROLL);
  HWND execute = GetDlgItem(dialog, kExecute);
  if (g_main->menuBar == nullptr && execute != nullptr) {
    win32::PlaceCommandButtons(dialog);
    RECT buttons{};
    GetWindowRect(execute, &buttons);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&buttons), 2);
    height = buttons.top - 4;
  }
  HWND log = GetDlgItem(dialog, kLogPane);
  RECT rect{};
  GetWindowRect(log, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  MoveWindow(log, rect.left, rect.top, width - scroll - rect.left - 4, height - scroll - rect.top - 4, TRUE);
  win32::StretchControlWidth(dialog, kPrompt, width);
  HWND browse = GetDlgItem(dialog, kBrowseButton);
  GetWindowRect(browse, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  const int browseWidth = rect.right - rect.left;
  const int browseLeft = width - scroll - 4 - browseWidth;
  MoveWindow(browse, browseLeft, rect.top, browseWidth, rect.bottom - rect.top, TRUE);
  win32::StretchControlWidth(dialog, kCommandBox, browseLeft);
}

void Execute(HWND dialog) {
  char16_t line[kCommandBoxUnits] = {};
  GetDlgItemTextW(dialog, kCommandBox, win32::Wide(line), kCommandBoxUnits);
  if (line[0] != 0) g_main->calls->execute(g_main->calls->context, line);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      g_main->dialog = dialog;
      Get().windows->SetMainWindow(reinterpret_cast<WindowHandle>(dialog));
      g_main->menuBar = win32::InitFullScreenDialog(dialog, true, win::kTbStateEnabled, win::kTbStateEnabled, kMainMenu);
      SendDlgItemMessageW(dialog, kCommandBox, EM_LIMITTEXT, kCommandBoxUnits - 1, 0);
      SendDlgItemMessageW(dialog, kLogPane, EM_LIMITTEXT, 0, 0);  // as much as the control holds
      if (g_main->menuBar == nullptr) {
        // A desktop: the two buttons become Execute (disabled while the box is empty) and Menu.
        g_main->desktopMenu = LoadMenuW(win32::ModuleInstance(), MAKEINTRESOURCEW(kMainMenu));
        SetDlgItemTextW(dialog, kExecute, LoadText(511).c_str());
        SetDlgItemTextW(dialog, kMenuButton, LoadText(510).c_str());
        HWND menuButton = GetDlgItem(dialog, kMenuButton);
        g_main->menuButtonProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(menuButton, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MenuButtonProc)));
        RECT client{};
        GetClientRect(dialog, &client);
        Layout(dialog, client.right, client.bottom);
      }
      SetExecuteEnabled(dialog, false);
      return TRUE;
    }
    case WM_SIZE:
      Layout(dialog, LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      if (LOWORD(lParam) == 2) UpdateAssociationTick(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_HOTKEY:
      if (HIWORD(lParam) == kBackKeyCode) {
        HWND box = GetDlgItem(dialog, kCommandBox);
        if (GetFocus() == box) {
          win32::SendBackToFocusWindow(message, wParam, lParam);
        } else {
          SetFocus(box);
          SetWindowTextW(box, L"");
        }
      }
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == kExecute && code == 0) {
        Execute(dialog);
      } else if (id == kMenuButton && g_main->menuBar == nullptr && g_main->menuButtonPressed) {
        g_main->menuButtonPressed = false;
        OpenDesktopMenu(dialog);
      } else if (id == kExecute || id == kMenuButton || id == kExitItem) {
        EndDialog(dialog, 0);
      } else if (id == kCommandBox && code == EN_CHANGE) {
        SetExecuteEnabled(dialog, GetWindowTextLengthW(GetDlgItem(dialog, kCommandBox)) > 0);
      } else if (id == kCommandBox && code == EN_SETFOCUS) {
        LatinInputMode(GetDlgItem(dialog, kCommandBox));
      } else if (id == kHelpItem) {
        return g_main->calls->help(g_main->calls->context);
      } else if (id == kAboutItem) {
        MessageBoxW(dialog, win32::Wide(g_main->calls->aboutText), L"Orvinta", MB_OK | MB_ICONINFORMATION);
      } else if (id == kAssociationItem) {
        // The message follows the tick as it was, whatever the registry then did. On a desktop
        // the command may come without the menu having opened, so the tick is brought up to
        // date first.
        if (g_main->menuBar == nullptr) UpdateAssociationTick(MenuPopup(dialog));
        const bool wasOn = ItemTicked(dialog, kAssociationItem);
        const char16_t* text = g_main->calls->toggleAssociation(g_main->calls->context, wasOn);
        MenuCaptionedBox(dialog, kAssociationItem, win32::Wide(text), MB_ICONINFORMATION);
      } else if (id == kClearLogItem) {
        SetDlgItemTextW(dialog, kLogPane, L"");
      } else if (id == kBrowseButton && g_main->calls->pickFile != nullptr) {
        char16_t box[kCommandBoxUnits] = {};
        GetDlgItemTextW(dialog, kCommandBox, win32::Wide(box), kCommandBoxUnits);
        if (g_main->calls->pickFile(g_main->calls->context, reinterpret_cast<uintptr_t>(dialog), box)) {
          SetFocus(GetDlgItem(dialog, kCommandBox));
          SetDlgItemTextW(dialog, kCommandBox, win32::Wide(box));
        }
      }
      return 0;
    }
    default:
      return 0;
  }
}

// --- The help window. ---

// Where the HTML viewer is missing (a desktop), the page shows as text in a read-only box
// whose links still lead to their anchors: Enter or a double click on a link's line (on the
// command index: on its keyword) scrolls the anchor's line to the top.
struct HelpView {
  HelpText page;
  std::wstring shown;               // the page's text with CR LF line ends
  std::vector<size_t> lineOffsets;  // where each of the page's lines starts in `shown`
  WNDPROC editProc = nullptr;
};

HelpView* g_help = nullptr;

void LoadHelpView(HelpView& view) {
  ResourceBytes page{};
  if (!Get().processes->FindResourceData(kHelpResourceName, kRtHtml, &page)) return;
  const char* bytes = static_cast<const char*>(page.data);
  const int size = static_cast<int>(page.size);
  const int units = MultiByteToWideChar(936, 0, bytes, size, nullptr, 0);  // the page is GB2312
  std::u16string html(static_cast<size_t>(units > 0 ? units : 0), u'\0');
  if (units > 0) MultiByteToWideChar(936, 0, bytes, size, win32::Wide(html.data()), units);
  view.page = RenderHelpText(html);
  view.lineOffsets.push_back(0);
  for (char16_t c : view.page.text) {
    if (c == u'\n') {
      view.shown += L"\r\n";
      view.lineOffsets.push_back(view.shown.size());
    } else {
      view.shown += static_cast<wchar_t>(c);
    }
  }
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\r' || c == L'\n' || c == L'\t'; }

// The link at the caret: the only one of its line, or the one whose name is the word there.
const HelpLink* LinkAt(const HelpView& view, size_t offset) {
  size_t line = 0;
  while (line + 1 < view.lineOffsets.size() && view.lineOffsets[line + 1] <= offset) ++line;
  std::vector<const HelpLink*> onLine;
  for (const HelpLink& link : view.page.links) {
    if (link.line == line) onLine.push_back(&link);
  }
  if (onLine.size() == 1) return onLine.front();
  size_t start = offset;
  while (start > view.lineOffsets[line] && !IsBlank(view.shown[start - 1])) --start;
  size_t end = offset;
  while (end < view.shown.size() && !IsBlank(view.shown[end])) ++end;
  std::u16string word(view.shown.begin() + static_cast<std::ptrdiff_t>(start),
                      view.shown.begin() + static_cast<std::ptrdiff_t>(end));
  for (const HelpLink* link : onLine) {
    if (link->target == word) return link;
  }
  return nullptr;
}

void FollowLink(HWND box) {
  DWORD caret = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
  const HelpLink* link = LinkAt(*g_help, caret);
  if (link == nullptr) return;
  for (const HelpAnchor& anchor : g_help->page.anchors) {
    if (anchor.name != link->target || anchor.line >= g_help->lineOffsets.size()) continue;
    const LPARAM offset = static_cast<LPARAM>(g_help->lineOffsets[anchor.line]);
    SendMessageW(box, EM_SETSEL, offset, offset);
    const LRESULT first = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
    const LRESULT target = SendMessageW(box, EM_LINEFROMCHAR, offset, 0);
    SendMessageW(box, EM_LINESCROLL, 0, target - first);
    return;
  }
}

LRESULT CALLBACK HelpBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE && lParam != 0 && reinterpret_cast<MSG*>(lParam)->wParam == VK_RETURN) {
    return CallWindowProcW(g_help->editProc, box, message, wParam, lParam) | DLGC_WANTALLKEYS;
  }
  if (message == WM_KEYDOWN && wParam == VK_RETURN) {
    FollowLink(box);
    return 0;
  }
  if (message == WM_CHAR && wParam == L'\r') return 0;
  LRESULT result = CallWindowProcW(g_help->editProc, box, message, wParam, lParam);
  if (message == WM_LBUTTONDBLCLK) FollowLink(box);
  return result;
}

INT_PTR CALLBACK HelpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto initViewer = Export<BOOL(WINAPI*)(HINSTANCE)>(L"htmlview.dll", "InitHTMLControl");
      const bool viewer = initViewer != nullptr && initViewer(win32::ModuleInstance());
      HWND bar = win32::InitFullScreenDialog(dialog, false, win::kTbStateHidden, win::kTbStateEnabled, 504);
      if (viewer) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring url = std::wstring(L"res://") + path + L"/HELP";
        HWND view = CreateWindowExW(0, L"DISPLAYCLASS", nullptr, 0x50000002, 0, 0, 0, 0, dialog,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewer)), win32::ModuleInstance(),
                                    nullptr);
        if (view != nullptr) SendMessageW(view, kNavigate, 0x80, reinterpret_cast<LPARAM>(url.c_str()));
      } else if (g_help != nullptr) {
        LoadHelpView(*g_help);
        HWND box = CreateWindowExW(0, L"EDIT", g_help->shown.c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                                       ES_AUTOVSCROLL,
                                   0, 0, 0, 0, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kViewer)),
                                   win32::ModuleInstance(), nullptr);
        if (box != nullptr) {
          g_help->editProc = reinterpret_cast<WNDPROC>(
              SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HelpBoxProc)));
        }
      }
      RECT client{};
      GetClientRect(dialog, &client);
      SendMessageW(dialog, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
      (void)bar;
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    }
    case WM_SIZE: {
      int height = HIWORD(lParam);
      if (HWND ok = GetDlgItem(dialog, IDOK)) {
        win32::PlaceCommandButtons(dialog);
        RECT rect{};
        GetWindowRect(ok, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        height = rect.top - 4;
      }
      MoveWindow(GetDlgItem(dialog, kViewer), 0, 0, LOWORD(lParam), height, TRUE);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
      return 0;
    default:
      return 0;
  }
}

}  // namespace

int32_t OpenMainWindow(const MainWindowCalls& calls) {
  // A window captioned "Orvinta" (this program's, or another copy's) comes to the front
  // instead. The lowest handle bit asks a device's shell to restore the window as well; a
  // desktop refuses such a handle, so there the plain one is passed.
  if (HWND open = FindWindowW(nullptr, L"Orvinta")) {
#ifdef _WIN32_WCE
    open = reinterpret_cast<HWND>(reinterpret_cast<UINT_PTR>(open) | 1);
#endif
    return SetForegroundWindow(open) ? 1 : 0;
  }
  InitExtraControls();
  MainWindow window;
  window.calls = &calls;
  MainWindow* outer = g_main;
  g_main = &window;
  HRSRC found = FindResourceW(win32::ModuleInstance(), MAKEINTRESOURCEW(kMainDialog), MAKEINTRESOURCEW(5));
  HGLOBAL loaded = found != nullptr ? LoadResource(win32::ModuleInstance(), found) : nullptr;
  INT_PTR end = -1;
  if (loaded != nullptr) {
    end = DialogBoxIndirectParamW(win32::ModuleInstance(), static_cast<const DLGTEMPLATE*>(LockResource(loaded)),
                                  nullptr, MainDialogProc, 0);
  }
  Get().windows->SetMainWindow(0);
  if (window.desktopMenu != nullptr) DestroyMenu(window.desktopMenu);
  g_main = outer;
  return static_cast<int32_t>(end);
}

bool LogPaneOpen() { return g_main != nullptr && g_main->dialog != nullptr; }

void AppendToLogPane(std::u16string_view text) {
  if (!LogPaneOpen()) return;
  HWND log = GetDlgItem(g_main->dialog, kLogPane);
  std::wstring piece(text.begin(), text.end());
  const int length = GetWindowTextLengthW(log);
  SendMessageW(log, EM_SETSEL, length, length);
  SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
}

int32_t ShowHelp() {
  HWND owner = reinterpret_cast<HWND>(Get().windows->MainWindow());
  HelpView view;
  HelpView* outer = g_help;
  g_help = &view;
  const INT_PTR end =
      DialogBoxIndirectParamW(win32::ModuleInstance(), win32::BlankDialogTemplate(), owner, HelpDialogProc, 0);
  g_help = outer;
  return static_cast<int32_t>(end);
}

}  // namespace orvinta::platform
