/* A small Windows program for the GUI machinery's own test: a modal dialog captioned "Orvinta"
 * with the controls the program's windows use (a label, an edit box limited to 8 units, a check
 * box, two radio buttons, OK and Cancel), and on OK a message box whose text tells what the
 * dialog held, so a test sees that what the driver did reached the program.
 *
 *   label 100     "命令行:" and the command line after the program's path, as received
 *   edit 101      EM_LIMITTEXT 8; command 300 (posted WM_COMMAND) sets it to "menu", command
 *                 301 opens a popup menu "甲" 310, "乙" 311 and sets it to the item chosen
 *   check 102, radios 103 (checked at start) and 104, OK 1 "确定", Cancel 2 "取消"
 *   OK            message box "你好，世界" LF "<edit>|check=<n>|radio=<id>", OK and Cancel;
 *                 its OK ends the dialog with 1, its Cancel returns to the dialog
 *   Cancel        ends the dialog with 2
 * The exit code is the dialog's end value.
 */
#include <windows.h>

#include <wchar.h>

static HWND control(HWND dialog, const wchar_t* kind, const wchar_t* text, int id, DWORD style, int x, int y,
                    int width, int height) {
  RECT rect = {x, y, x + width, y + height};
  MapDialogRect(dialog, &rect);
  HWND made = CreateWindowExW(wcscmp(kind, L"Edit") == 0 ? WS_EX_CLIENTEDGE : 0, kind, text,
                              WS_CHILD | WS_VISIBLE | style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, dialog, (HMENU)(INT_PTR)id, GetModuleHandleW(NULL), NULL);
  SendMessageW(made, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
  return made;
}

/* The command line after the program's (quoted) path and one blank. */
static const wchar_t* arguments(void) {
  const wchar_t* line = GetCommandLineW();
  if (*line == L'"') {
    line = wcschr(line + 1, L'"');
    line = line ? line + 1 : L"";
  } else {
    while (*line && *line != L' ') ++line;
  }
  return *line == L' ' ? line + 1 : line;
}

static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) {
    static wchar_t label[1024];
    _snwprintf(label, 1023, L"命令行: %ls", arguments());
    control(dialog, L"Static", label, 100, SS_LEFT, 7, 7, 206, 10);
    HWND edit = control(dialog, L"Edit", L"", 101, ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, 7, 22, 206, 13);
    SendMessageW(edit, EM_LIMITTEXT, 8, 0);
    control(dialog, L"Button", L"选项 check", 102, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 7, 42, 100, 10);
    control(dialog, L"Button", L"甲 A", 103, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 7, 56, 60, 10);
    control(dialog, L"Button", L"乙 B", 104, BS_AUTORADIOBUTTON, 70, 56, 60, 10);
    control(dialog, L"Button", L"确定", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 106, 76, 50, 14);
    control(dialog, L"Button", L"取消", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 163, 76, 50, 14);
    CheckDlgButton(dialog, 103, BST_CHECKED);
    SetFocus(edit);
    return FALSE;  /* the focus is set */
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case 300:
      SetDlgItemTextW(dialog, 101, L"menu");
      return TRUE;
    case 301: {  /* a popup menu as the main window's Menu button opens */
      HMENU menu = CreatePopupMenu();
      AppendMenuW(menu, MF_STRING, 310, L"甲");
      AppendMenuW(menu, MF_STRING, 311, L"乙");
      RECT rect;
      GetWindowRect(dialog, &rect);
      int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, rect.left + 20, rect.top + 40, 0, dialog, NULL);
      DestroyMenu(menu);
      SetDlgItemTextW(dialog, 101, chosen == 310 ? L"甲" : chosen == 311 ? L"乙" : L"none");
      return TRUE;
    }
    case IDCANCEL:
      EndDialog(dialog, 2);
      return TRUE;
    case IDOK: {
      wchar_t edit[64], text[256];
      GetDlgItemTextW(dialog, 101, edit, 64);
      int radio = IsDlgButtonChecked(dialog, 103) ? 103 : IsDlgButtonChecked(dialog, 104) ? 104 : 0;
      _snwprintf(text, 255, L"你好，世界\n%ls|check=%u|radio=%d", edit, IsDlgButtonChecked(dialog, 102), radio);
      if (MessageBoxW(dialog, text, L"Orvinta", MB_OKCANCEL | MB_ICONINFORMATION) == IDOK) EndDialog(dialog, 1);
      return TRUE;
    }
  }
  return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
  (void)previous, (void)commandLine, (void)show;
  /* DLGTEMPLATE, no menu, the default class, the caption, then the font (DS_SETFONT) */
  static DWORD template[32];  /* a template is DWORD-aligned */
  DLGTEMPLATE* head = (DLGTEMPLATE*)template;
  head->style = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  head->cx = 220;
  head->cy = 97;
  WORD* at = (WORD*)template + sizeof(DLGTEMPLATE) / sizeof(WORD);
  *at++ = 0;
  *at++ = 0;
  for (const wchar_t* c = L"Orvinta"; *c; ++c) *at++ = *c;
  *at++ = 0;
  *at++ = 9;
  for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) *at++ = *c;
  *at++ = 0;
  return (int)DialogBoxIndirectParamW(instance, head, NULL, dialogProc, 0);
}
