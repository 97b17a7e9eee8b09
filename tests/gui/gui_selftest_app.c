/* A small Windows program for the GUI machinery's own test, for what the program's own window
 * tests do not reach: a modal dialog captioned "Orvinta" with an edit box limited to 8 units and
 * a popup menu. The box, message box and form tests cover the rest of the driver.
 *
 *   edit 101      EM_LIMITTEXT 8; command 301 (posted WM_COMMAND) opens a popup menu "甲" 310,
 *                 "乙" 311 and sets the edit box to the item chosen
 *   Cancel 2      ends the dialog with 2 (also WM_CLOSE)
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

static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) {
    HWND edit = control(dialog, L"Edit", L"", 101, ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, 7, 7, 206, 13);
    SendMessageW(edit, EM_LIMITTEXT, 8, 0);
    control(dialog, L"Button", L"取消", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 163, 27, 50, 14);
    SetFocus(edit);
    return FALSE;  /* the focus is set */
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
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
  head->cy = 48;
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
