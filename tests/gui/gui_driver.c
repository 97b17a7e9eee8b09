/* Drives another program's windows for the GUI tests, under Wine.
 *
 * One long-running process (a Wine process per action would cost about a second): it reads one
 * command per line (UTF-8) on stdin and answers each with exactly one JSON line on stdout,
 * {"ok":true,...} or {"ok":false,"error":"..."}. The commands are listed in tests/gui/README.md.
 * A window is named by its handle as printed ("0x1A2B"), a control by its id or "-" (the window).
 *
 * Whatever may open a modal loop in the program (a click, a key, WM_CLOSE, a menu command) is
 * posted, so the driver never waits on it; the test waits for what follows with find or gone.
 * Text and check boxes are sent with SendMessageTimeout, so when they answer the control has done
 * its work (EM_LIMITTEXT has cut the typed text, the radio group has moved). Every wait ends.
 * A popup menu's items can't be read from another process under Wine, and sending it
 * MN_GETHMENU from here upsets its keyboard handling: it is driven by posted keys only.
 */
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

enum { SEND_TIMEOUT_MS = 5000, DEFAULT_WAIT_MS = 10000, POLL_MS = 50, MAX_TEXT = 32768 };

/* ------------------------------------------------------------------------------------------ */
/* The answer being built: UTF-8 JSON, written out whole with one WriteFile. */

static char* answer;
static size_t answerLength, answerRoom;

static void put(const char* text) {
  size_t length = strlen(text);
  if (answerLength + length + 1 > answerRoom) {
    answerRoom = (answerLength + length + 1) * 2;
    answer = realloc(answer, answerRoom);
    if (answer == NULL) ExitProcess(3);
  }
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

/* A JSON string of UTF-16 text: UTF-8 for characters, \u escapes for controls and lone
 * surrogates, so the text comes back unit for unit. */
static void putText(const wchar_t* text, int length) {
  put("\"");
  for (int i = 0; i < length; ++i) {
    unsigned unit = text[i];
    char bytes[8] = {0};
    BOOL pair = unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (unit == '"' || unit == '\\') {
      bytes[0] = '\\';
      bytes[1] = (char)unit;
    } else if (unit < 0x20 || unit == 0x7F || (unit >= 0xD800 && unit <= 0xDFFF && !pair)) {
      snprintf(bytes, sizeof bytes, "\\u%04x", unit);
    } else {
      WideCharToMultiByte(CP_UTF8, 0, text + i, pair ? 2 : 1, bytes, sizeof bytes - 1, NULL, NULL);
      i += pair;
    }
    put(bytes);
  }
  put("\"");
}

static void putHandle(HWND window) { putf("\"0x%llX\"", (unsigned long long)(ULONG_PTR)window); }

static void flushAnswer(void) {
  put("\n");
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), answer, (DWORD)answerLength, &written, NULL);
  answerLength = 0;
}

static void fail(const wchar_t* format, ...) {
  wchar_t message[512];
  va_list args;
  va_start(args, format);
  _vsnwprintf(message, 511, format, args);
  va_end(args);
  message[511] = 0;
  answerLength = 0;
  put("{\"ok\":false,\"error\":");
  putText(message, (int)wcslen(message));
  put("}");
}

/* ------------------------------------------------------------------------------------------ */
/* Reading what the program's windows hold */

/* The text of a window: WM_GETTEXT, which Wine carries across processes, since an edit
 * control's text is not the server's copy; the server's copy if the program does not answer. */
static int windowText(HWND window, wchar_t* text, int room) {
  DWORD_PTR length = 0;
  text[0] = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, room, (LPARAM)text, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                           &length)) {
    length = InternalGetWindowText(window, text, room);
  }
  if ((int)length >= room) length = room - 1;
  text[length] = 0;
  return (int)length;
}

static BOOL isButton(HWND window) {
  wchar_t name[64];
  return GetClassNameW(window, name, 64) && _wcsicmp(name, L"Button") == 0;
}

static DWORD_PTR sendQuery(HWND window, UINT message) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result);
  return result;
}

/* Fields common to windows and controls, as the inside of a JSON object. */
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
  int length = control ? windowText(window, text, MAX_TEXT) : InternalGetWindowText(window, text, MAX_TEXT);
  putText(text, length);
  if (isButton(window)) putf(",\"check\":%d", (int)sendQuery(window, BM_GETCHECK));
  putf(",\"enabled\":%s,\"visible\":%s", IsWindowEnabled(window) ? "true" : "false",
       IsWindowVisible(window) ? "true" : "false");
  RECT rect;
  GetWindowRect(window, &rect);
  if (control) {  /* client coordinates of the parent */
    MapWindowPoints(HWND_DESKTOP, GetParent(window), (POINT*)&rect, 2);
    putf(",\"rect\":[%ld,%ld,%ld,%ld]", rect.left, rect.top, rect.right, rect.bottom);
  } else {
    putf(",\"screen\":[%ld,%ld,%ld,%ld],\"owner\":", rect.left, rect.top, rect.right, rect.bottom);
    putHandle(GetWindow(window, GW_OWNER));
  }
}

/* ------------------------------------------------------------------------------------------ */
/* Arguments */

typedef struct {
  wchar_t* at;
} Line;

static wchar_t* word(Line* line) {
  while (*line->at == L' ') ++line->at;
  if (*line->at == 0) return NULL;
  wchar_t* start = line->at;
  while (*line->at && *line->at != L' ') ++line->at;
  if (*line->at) *line->at++ = 0;
  return start;
}

/* The rest of the line after one blank, escapes undone in place. */
static wchar_t* rest(Line* line) {
  wchar_t *from = line->at, *to = line->at, *start = line->at;
  while (*from) {
    if (*from != L'\\' || from[1] == 0) {
      *to++ = *from++;
      continue;
    }
    wchar_t kind = from[1];
    from += 2;
    if (kind == L'n') *to++ = L'\n';
    else if (kind == L'r') *to++ = L'\r';
    else if (kind == L't') *to++ = L'\t';
    else if (kind == L'u' && wcslen(from) >= 4) {
      wchar_t digits[5] = {from[0], from[1], from[2], from[3], 0};
      *to++ = (wchar_t)wcstoul(digits, NULL, 16);
      from += 4;
    } else *to++ = kind;
  }
  *to = 0;
  line->at = to;
  return start;
}

static BOOL number(const wchar_t* text, long long* value) {
  if (text == NULL || *text == 0) return FALSE;
  wchar_t* end;
  *value = wcstoll(text, &end, 0);
  return *end == 0;
}

static HWND handleArgument(Line* line) {
  long long value;
  wchar_t* text = word(line);
  if (!number(text, &value)) {
    fail(L"expected a window handle, got '%ls'", text ? text : L"");
    return NULL;
  }
  HWND window = (HWND)(ULONG_PTR)value;
  if (!IsWindow(window)) {
    fail(L"no window %ls", text);
    return NULL;
  }
  return window;
}

typedef struct {
  HWND window;
  int id;
} Search;

static BOOL CALLBACK findId(HWND child, LPARAM context) {
  Search* search = (Search*)context;
  if (GetDlgCtrlID(child) != search->id) return TRUE;
  search->window = child;
  return FALSE;
}

/* HWND CTRL: the control, or NULL after failing the answer. */
static HWND controlArgument(Line* line) {
  HWND window = handleArgument(line);
  if (window == NULL) return NULL;
  wchar_t* text = word(line);
  long long id;
  if (text != NULL && wcscmp(text, L"-") == 0) return window;
  if (!number(text, &id)) {
    fail(L"expected a control id or -, got '%ls'", text ? text : L"");
    return NULL;
  }
  Search search = {NULL, (int)id};
  EnumChildWindows(window, findId, (LPARAM)&search);
  if (search.window == NULL) fail(L"window %p has no control %d", (void*)window, (int)id);
  return search.window;
}

/* ------------------------------------------------------------------------------------------ */
/* Top-level windows */

typedef struct {
  const wchar_t* caption;  /* NULL: any */
  const wchar_t* className;
  BOOL anyOwner, hidden;
  HWND owner, not;
  HWND found[256];
  int count;
} Filter;

static BOOL CALLBACK collect(HWND window, LPARAM context) {
  Filter* filter = (Filter*)context;
  wchar_t text[1024];
  if (!filter->hidden && !IsWindowVisible(window)) return TRUE;
  if (window == filter->not) return TRUE;
  if (!filter->anyOwner && GetWindow(window, GW_OWNER) != filter->owner) return TRUE;
  if (filter->className != NULL && (!GetClassNameW(window, text, 1024) || wcscmp(text, filter->className) != 0)) {
    return TRUE;
  }
  if (filter->caption != NULL) {
    InternalGetWindowText(window, text, 1024);
    if (wcscmp(text, filter->caption) != 0) return TRUE;
  }
  if (filter->count < 256) filter->found[filter->count++] = window;
  return TRUE;
}

/* Options and caption of find and windows; FALSE after failing the answer. */
static BOOL filterArguments(Line* line, Filter* filter, DWORD* timeout) {
  ZeroMemory(filter, sizeof *filter);
  filter->anyOwner = TRUE;
  *timeout = DEFAULT_WAIT_MS;
  for (;;) {
    while (*line->at == L' ') ++line->at;
    wchar_t* equals = wcschr(line->at, L'=');
    wchar_t* blank = wcschr(line->at, L' ');
    if (wcsncmp(line->at, L"--", 2) == 0 && (line->at[2] == L' ' || line->at[2] == 0)) {
      word(line);
      break;
    }
    if (equals == NULL || (blank != NULL && blank < equals)) break;
    wchar_t* option = word(line);
    *wcschr(option, L'=') = 0;
    wchar_t* value = option + wcslen(option) + 1;
    long long parsed = 0;
    if (wcscmp(option, L"class") == 0) {
      filter->className = value;
      continue;
    }
    if (!number(value, &parsed)) {
      fail(L"option %ls wants a number, got '%ls'", option, value);
      return FALSE;
    }
    if (wcscmp(option, L"timeout") == 0) *timeout = (DWORD)parsed;
    else if (wcscmp(option, L"owner") == 0) filter->anyOwner = FALSE, filter->owner = (HWND)(ULONG_PTR)parsed;
    else if (wcscmp(option, L"not") == 0) filter->not = (HWND)(ULONG_PTR)parsed;
    else if (wcscmp(option, L"hidden") == 0) filter->hidden = parsed != 0;
    else {
      fail(L"unknown option '%ls'", option);
      return FALSE;
    }
  }
  wchar_t* caption = rest(line);
  filter->caption = *caption ? caption : NULL;
  return TRUE;
}

static void putWindows(Filter* filter) {
  put("[");
  for (int i = 0; i < filter->count; ++i) {
    put(i ? ",{" : "{");
    putWindowFields(filter->found[i], FALSE);
    put("}");
  }
  put("]");
}

static void doFind(Line* line, BOOL wait) {
  Filter filter;
  DWORD timeout;
  if (!filterArguments(line, &filter, &timeout)) return;
  ULONGLONG deadline = GetTickCount64() + (wait ? timeout : 0);
  for (;;) {
    filter.count = 0;
    EnumWindows(collect, (LPARAM)&filter);
    if (!wait) {
      put("{\"ok\":true,\"windows\":");
      putWindows(&filter);
      put("}");
      return;
    }
    if (filter.count > 0) {
      put("{\"ok\":true,");
      putWindowFields(filter.found[0], FALSE);
      put("}");
      return;
    }
    if (GetTickCount64() >= deadline) break;
    Sleep(POLL_MS);
  }
  /* Say what there is instead, which is what one needs to see when a test fails here. */
  Filter visible = {0};
  visible.anyOwner = TRUE;
  EnumWindows(collect, (LPARAM)&visible);
  fail(L"no window '%ls' of class %ls within %lu ms", filter.caption ? filter.caption : L"*",
       filter.className ? filter.className : L"*", (unsigned long)timeout);
  answer[--answerLength] = 0;  /* reopen the object to add the list */
  put(",\"visible\":");
  putWindows(&visible);
  put("}");
}

/* ------------------------------------------------------------------------------------------ */
/* Commands */

static BOOL CALLBACK putChild(HWND child, LPARAM context) {
  int* count = (int*)context;
  put((*count)++ ? ",{" : "{");
  putWindowFields(child, TRUE);
  put("}");
  return TRUE;
}

static void doList(Line* line) {
  HWND window = handleArgument(line);
  if (window == NULL) return;
  put("{\"ok\":true,\"window\":{");
  putWindowFields(window, FALSE);
  put("},\"controls\":[");
  int count = 0;
  EnumChildWindows(window, putChild, (LPARAM)&count);
  put("]}");
}

static void doGet(Line* line) {
  HWND control = controlArgument(line);
  if (control == NULL) return;
  put("{\"ok\":true,");
  putWindowFields(control, TRUE);
  put("}");
}

typedef struct {
  int count;
  wchar_t text[MAX_TEXT];
  int length;
} Box;

static BOOL CALLBACK boxPart(HWND child, LPARAM context) {
  static wchar_t text[MAX_TEXT];
  Box* box = (Box*)context;
  wchar_t name[64];
  GetClassNameW(child, name, 64);
  int length = windowText(child, text, MAX_TEXT);
  if (_wcsicmp(name, L"Button") == 0) {
    put(box->count++ ? ",{" : "{");
    putf("\"id\":%d,\"text\":", GetDlgCtrlID(child));
    putText(text, length);
    put("}");
  } else if (_wcsicmp(name, L"Static") == 0 && length > 0 && box->length + length < MAX_TEXT) {
    /* the icon is a Static without text; the message is the Static with it */
    wmemcpy(box->text + box->length, text, length);
    box->length += length;
  }
  return TRUE;
}

static void doMessageBox(Line* line) {
  static Box box;
  wchar_t caption[1024];
  HWND window = handleArgument(line);
  if (window == NULL) return;
  box.count = box.length = 0;
  int length = InternalGetWindowText(window, caption, 1024);
  put("{\"ok\":true,\"caption\":");
  putText(caption, length);
  put(",\"buttons\":[");
  EnumChildWindows(window, boxPart, (LPARAM)&box);
  put("],\"text\":");
  putText(box.text, box.length);
  put("}");
}

static void doSetText(Line* line, BOOL typing) {
  HWND control = controlArgument(line);
  if (control == NULL) return;
  const wchar_t* text = rest(line);
  DWORD_PTR result = 0;
  if (!typing) {
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, (LPARAM)text, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result)) {
      fail(L"WM_SETTEXT was not answered within %d ms (error %lu)", SEND_TIMEOUT_MS, GetLastError());
      return;
    }
  } else {
    for (const wchar_t* unit = text; *unit; ++unit) {
      if (!SendMessageTimeoutW(control, WM_CHAR, *unit, 1, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &result)) {
        fail(L"WM_CHAR %u was not answered within %d ms", (unsigned)*unit, SEND_TIMEOUT_MS);
        return;
      }
    }
  }
  static wchar_t now[MAX_TEXT];
  int length = windowText(control, now, MAX_TEXT);
  put("{\"ok\":true,\"text\":");
  putText(now, length);
  put("}");
}

static const struct {
  const wchar_t* name;
  UINT key;
} KEYS[] = {
    {L"RETURN", VK_RETURN}, {L"TAB", VK_TAB},   {L"ESCAPE", VK_ESCAPE}, {L"BACK", VK_BACK}, {L"SPACE", VK_SPACE},
    {L"UP", VK_UP},         {L"DOWN", VK_DOWN}, {L"LEFT", VK_LEFT},     {L"RIGHT", VK_RIGHT}, {L"HOME", VK_HOME},
    {L"END", VK_END},
};

static void doKey(Line* line) {
  HWND control = controlArgument(line);
  if (control == NULL) return;
  wchar_t* name = word(line);
  wchar_t* how = word(line);
  long long key = -1;
  for (size_t i = 0; name != NULL && i < sizeof KEYS / sizeof KEYS[0]; ++i) {
    if (_wcsicmp(name, KEYS[i].name) == 0) key = KEYS[i].key;
  }
  if (key < 0 && (!number(name, &key) || key <= 0 || key > 255)) {
    fail(L"expected a virtual key (a number or a name such as RETURN), got '%ls'", name ? name : L"");
    return;
  }
  BOOL down = how == NULL || wcscmp(how, L"press") == 0 || wcscmp(how, L"down") == 0;
  BOOL up = how == NULL || wcscmp(how, L"press") == 0 || wcscmp(how, L"up") == 0;
  if (!down && !up) {
    fail(L"expected down, up or press, got '%ls'", how);
    return;
  }
  LPARAM scan = (LPARAM)MapVirtualKeyW((UINT)key, MAPVK_VK_TO_VSC) << 16;
  if ((down && !PostMessageW(control, WM_KEYDOWN, (WPARAM)key, scan | 1)) ||
      (up && !PostMessageW(control, WM_KEYUP, (WPARAM)key, scan | 0xC0000001))) {
    fail(L"cannot post the key (error %lu)", GetLastError());
    return;
  }
  put("{\"ok\":true}");
}

static void doPost(HWND window, UINT message, WPARAM wParam, const wchar_t* what) {
  if (!PostMessageW(window, message, wParam, 0)) {
    fail(L"cannot post %ls (error %lu)", what, GetLastError());
    return;
  }
  put("{\"ok\":true}");
}

static void doCheck(Line* line) {
  HWND control = controlArgument(line);
  if (control == NULL) return;
  long long wanted;
  if (!number(word(line), &wanted) || wanted < 0 || wanted > 2) {
    fail(L"expected a check state 0, 1 or 2");
    return;
  }
  if (!isButton(control)) {
    fail(L"%p is no button", (void*)control);
    return;
  }
  DWORD_PTR state = sendQuery(control, BM_GETCHECK);
  for (int click = 0; click < 3 && state != (DWORD_PTR)wanted; ++click) {
    DWORD_PTR ignored;
    if (!SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &ignored)) {
      fail(L"BM_CLICK was not answered within %d ms", SEND_TIMEOUT_MS);
      return;
    }
    state = sendQuery(control, BM_GETCHECK);
  }
  if (state != (DWORD_PTR)wanted) {
    fail(L"the button stays at check state %d", (int)state);
    return;
  }
  putf("{\"ok\":true,\"check\":%d}", (int)state);
}

static void doGone(Line* line) {
  long long value, timeout = DEFAULT_WAIT_MS;
  wchar_t* text = word(line);
  wchar_t* limit = word(line);
  if (!number(text, &value) || (limit != NULL && !number(limit, &timeout))) {
    fail(L"usage: gone HWND [MS]");
    return;
  }
  ULONGLONG deadline = GetTickCount64() + (ULONGLONG)timeout;
  while (IsWindow((HWND)(ULONG_PTR)value)) {
    if (GetTickCount64() >= deadline) {
      fail(L"window %ls still there after %lld ms", text, timeout);
      return;
    }
    Sleep(POLL_MS);
  }
  put("{\"ok\":true}");
}

static BOOL execute(wchar_t* text) {
  Line line = {text};
  wchar_t* name = word(&line);
  if (name == NULL) fail(L"empty command");
  else if (wcscmp(name, L"ping") == 0) put("{\"ok\":true}");
  else if (wcscmp(name, L"quit") == 0) {
    put("{\"ok\":true}");
    return FALSE;
  } else if (wcscmp(name, L"find") == 0) doFind(&line, TRUE);
  else if (wcscmp(name, L"windows") == 0) doFind(&line, FALSE);
  else if (wcscmp(name, L"list") == 0) doList(&line);
  else if (wcscmp(name, L"get") == 0) doGet(&line);
  else if (wcscmp(name, L"msgbox") == 0) doMessageBox(&line);
  else if (wcscmp(name, L"settext") == 0) doSetText(&line, FALSE);
  else if (wcscmp(name, L"type") == 0) doSetText(&line, TRUE);
  else if (wcscmp(name, L"key") == 0) doKey(&line);
  else if (wcscmp(name, L"check") == 0) doCheck(&line);
  else if (wcscmp(name, L"gone") == 0) doGone(&line);
  else if (wcscmp(name, L"click") == 0) {
    HWND control = controlArgument(&line);
    if (control) doPost(control, BM_CLICK, 0, L"BM_CLICK");
  } else if (wcscmp(name, L"close") == 0) {
    HWND window = handleArgument(&line);
    if (window) doPost(window, WM_CLOSE, 0, L"WM_CLOSE");
  } else if (wcscmp(name, L"command") == 0) {
    HWND window = handleArgument(&line);
    long long id;
    if (window && !number(word(&line), &id)) fail(L"usage: command HWND ID");
    else if (window) doPost(window, WM_COMMAND, (WPARAM)(WORD)id, L"WM_COMMAND");
  } else fail(L"unknown command '%ls'", name);
  return TRUE;
}

int wmain(void) {
  static char bytes[4 * MAX_TEXT];
  static wchar_t text[4 * MAX_TEXT];
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  size_t have = 0;
  for (;;) {
    char* end = memchr(bytes, '\n', have);
    if (end == NULL) {
      DWORD got = 0;
      if (have == sizeof bytes) have = 0;  /* a line too long to be a command: drop it */
      if (!ReadFile(input, bytes + have, (DWORD)(sizeof bytes - have), &got, NULL) || got == 0) return 0;
      have += got;
      continue;
    }
    size_t length = (size_t)(end - bytes);
    if (length > 0 && bytes[length - 1] == '\r') --length;
    int units = MultiByteToWideChar(CP_UTF8, 0, bytes, (int)length, text, 4 * MAX_TEXT - 1);
    text[units] = 0;
    have -= (size_t)(end - bytes) + 1;
    memmove(bytes, end + 1, have);
    BOOL more = execute(text);
    flushAnswer();
    if (!more) return 0;
  }
}
