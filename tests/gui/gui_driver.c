/* Drives another program's windows for the GUI tests, under Wine.
 *
 * One long-running process (a Wine process per action would cost about a second): it reads one
 * command per line (UTF-8) on stdin and answers each with exactly one JSON line on stdout,
 * {"ok":true,...} or {"ok":false,"error":"..."}. The commands are listed in tests/gui/README.md.
 * A window or control is named by its handle as printed ("0x1A2B").
 * Waiting and choosing among windows is the harness's part: the driver only reads and acts.
 *
 * Whatever may open a modal loop in the program (a click, a key, WM_CLOSE, a menu command) is
 * posted, so the driver never waits on it. Text is sent with SendMessageTimeout, so when it
 * answers the control has done its work (EM_LIMITTEXT has cut the typed text).
 * A popup menu's items can't be read from another process under Wine, and sending it
 * MN_GETHMENU from here upsets its keyboard handling: it is driven by posted keys only.
 */
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

enum { SEND_TIMEOUT_MS = 5000, MAX_TEXT = 32768 };

/* ------------------------------------------------------------------------------------------ */
/* The answer being built: UTF-8 JSON, written out whole as one line. */

static char answer[1 << 24];
static size_t answerLength;

static void put(const char* text) {
  size_t length = strlen(text);
  if (answerLength + length >= sizeof answer) ExitProcess(3); /* far beyond any window's listing */
  memcpy(answer + answerLength, text, length + 1);
  answerLength += length;
}

static void putf(const char* format, ...) {
  char buffer[128];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  put(buffer);
}

/* A JSON string of UTF-16 text: UTF-8, with \u escapes for controls. A lone surrogate comes
 * back as U+FFFD. */
static void putText(const wchar_t* text, int length) {
  static char utf8[4 * MAX_TEXT];
  int size = WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8, NULL, NULL);
  put("\"");
  for (int i = 0; i < size; ++i) {
    unsigned char byte = (unsigned char)utf8[i];
    char piece[8] = {(char)byte, 0};
    if (byte == '"' || byte == '\\') snprintf(piece, sizeof piece, "\\%c", byte);
    if (byte < 0x20 || byte == 0x7F) snprintf(piece, sizeof piece, "\\u%04x", byte);
    put(piece);
  }
  put("\"");
}

static void putHandle(HWND window) { putf("\"0x%llX\"", (unsigned long long)(ULONG_PTR)window); }

/* A failed command: the harness shows its line beside the reason. */
static void fail(const char* reason) {
  answerLength = 0;
  put("{\"ok\":false,\"error\":\"");
  put(reason);
  put("\"}");
}

/* ------------------------------------------------------------------------------------------ */
/* Reading what the program's windows hold */

static BOOL sent(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  DWORD_PTR ignored;
  return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                             result ? result : &ignored) != 0;
}

/* The text of a control: WM_GETTEXT, which Wine carries across processes, since an edit
 * control's text is not the server's copy; the server's copy if the program does not answer.
 * A top-level window's caption is the server's copy, which needs no answer from its program. */
static int windowText(HWND window, BOOL control, wchar_t* text, int room) {
  DWORD_PTR length = 0;
  BOOL answered = control && sent(window, WM_GETTEXT, room, (LPARAM)text, &length);
  if (!answered) length = InternalGetWindowText(window, text, room);
  return length < (DWORD_PTR)room ? (int)length : room - 1;
}

/* A window or control as the inside of a JSON object. */
static void putWindowFields(HWND window, BOOL control) {
  static wchar_t text[MAX_TEXT];
  wchar_t name[256];
  GetClassNameW(window, name, 256);
  put("\"hwnd\":");
  putHandle(window);
  put(",\"class\":");
  putText(name, (int)wcslen(name));
  putf(",\"id\":%d", GetDlgCtrlID(window));
  putf(",\"style\":\"0x%08lX\"", (unsigned long)GetWindowLongW(window, GWL_STYLE));
  put(",\"text\":");
  putText(text, windowText(window, control, text, MAX_TEXT));
  if (_wcsicmp(name, L"Button") == 0) {
    DWORD_PTR check = 0;
    sent(window, BM_GETCHECK, 0, 0, &check);
    putf(",\"check\":%d", (int)check);
  }
  putf(",\"enabled\":%s,\"visible\":%s", IsWindowEnabled(window) ? "true" : "false",
       IsWindowVisible(window) ? "true" : "false");
  RECT rect;
  GetWindowRect(window, &rect);
  if (control) { /* client coordinates of the parent */
    MapWindowPoints(HWND_DESKTOP, GetParent(window), (POINT*)&rect, 2);
    putf(",\"rect\":[%ld,%ld,%ld,%ld]", rect.left, rect.top, rect.right, rect.bottom);
  } else {
    putf(",\"screen\":[%ld,%ld,%ld,%ld],\"owner\":", rect.left, rect.top, rect.right, rect.bottom);
    putHandle(GetWindow(window, GW_OWNER));
  }
}

/* One element of a JSON array per window; the count sits behind the context. */
static BOOL putElement(HWND window, LPARAM context, BOOL control) {
  int* count = (int*)context;
  put((*count)++ ? ",{" : "{");
  putWindowFields(window, control);
  put("}");
  return TRUE;
}

static BOOL CALLBACK putTopLevel(HWND window, LPARAM context) { return putElement(window, context, FALSE); }
static BOOL CALLBACK putControl(HWND window, LPARAM context) { return putElement(window, context, TRUE); }

/* ------------------------------------------------------------------------------------------ */
/* Commands: their words are numbers (a window's handle, a message, its parameters), and a text
 * is its UTF-16 units in hex, four digits each; the harness looks a control's handle up. */

/* list HWND: the window and its controls (children of children too). */
static void doList(HWND window) {
  int count = 0;
  put("{\"ok\":true,\"window\":{");
  putWindowFields(window, FALSE);
  put("},\"controls\":[");
  EnumChildWindows(window, putControl, (LPARAM)&count);
  put("]}");
}

/* settext HWND HEX: one WM_SETTEXT; type HWND HEX: one WM_CHAR per unit, as a keyboard gives them. */
static void doText(HWND control, const wchar_t* hex, BOOL typing) {
  static wchar_t text[MAX_TEXT];
  int length = 0;
  for (; wcslen(hex) >= 4 && length < MAX_TEXT - 1; hex += 4) {
    wchar_t digits[5] = {hex[0], hex[1], hex[2], hex[3], 0};
    text[length++] = (wchar_t)wcstoul(digits, NULL, 16);
  }
  text[length] = 0;
  BOOL answered = typing || sent(control, WM_SETTEXT, 0, (LPARAM)text, NULL);
  for (int i = 0; typing && answered && i < length; ++i) answered = sent(control, WM_CHAR, text[i], 1, NULL);
  if (answered) put("{\"ok\":true}");
  else fail("the control did not answer in time");
}

static BOOL execute(wchar_t* line) {
  wchar_t *name = line, *at = line + wcscspn(line, L" ");
  if (*at == L' ') *at++ = 0;
  if (wcscmp(name, L"ping") == 0 || wcscmp(name, L"quit") == 0) {
    put("{\"ok\":true}");
    return name[0] == L'p';
  }
  /* Every other command but "windows" names a window first. */
  HWND window = (HWND)(ULONG_PTR)wcstoull(at, &at, 0);
  if (*at == L' ') ++at;
  if (wcscmp(name, L"windows") == 0) {
    int count = 0;
    put("{\"ok\":true,\"windows\":[");
    EnumWindows(putTopLevel, (LPARAM)&count);
    put("]}");
  } else if (window == NULL || !IsWindow(window)) {
    fail("no such window");
  } else if (wcscmp(name, L"list") == 0) {
    doList(window);
  } else if (wcscmp(name, L"settext") == 0 || wcscmp(name, L"type") == 0) {
    doText(window, at, name[0] == L't');
  } else if (wcscmp(name, L"post") == 0) {
    /* MESSAGE WPARAM LPARAM, again for each message more; a window that an earlier message has
     * closed already (a key's down closing a menu before its up) takes no more, and that is no
     * failure. */
    BOOL posted = TRUE;
    while (posted && *at != 0) {
      wchar_t* start = at;
      UINT message = (UINT)wcstoul(at, &at, 0);
      WPARAM wParam = (WPARAM)wcstoull(at, &at, 0);
      LPARAM lParam = (LPARAM)wcstoll(at, &at, 0);
      posted = at != start && (PostMessageW(window, message, wParam, lParam) || !IsWindow(window));
    }
    if (posted) put("{\"ok\":true}");
    else fail("the message could not be posted");
  } else {
    fail("unknown command");
  }
  return TRUE;
}

int wmain(void) {
  static char line[4 * MAX_TEXT];
  static wchar_t text[4 * MAX_TEXT];
  BOOL more = TRUE;
  while (more && fgets(line, sizeof line, stdin) != NULL) {
    line[strcspn(line, "\r\n")] = 0;
    if (MultiByteToWideChar(CP_UTF8, 0, line, -1, text, 4 * MAX_TEXT) == 0) text[0] = 0;
    more = execute(text);
    put("\n");
    fwrite(answer, 1, answerLength, stdout);
    fflush(stdout);
    answerLength = 0;
  }
  return 0;
}
