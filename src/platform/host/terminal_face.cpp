#include "platform/host/terminal_face.h"

#include <fcntl.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/utf8.h"
#include "platform/host/box_answers.h"
#include "platform/host/box_rules.h"
#include "platform/host/log_file.h"
#include "platform/host/system_calls.h"

// Last: curses defines short macros (OK, ERR, clear, erase, ...).
#include <curses.h>

namespace orvinta::platform::host {

namespace {

constexpr wint_t kEscape = 27;
constexpr wint_t kControlC = 3;
constexpr int kEditUnitLimit = 4096;  // what the host's edit box holds; 259 units are read back

// ---------------------------------------------------------------------------------------------
// The terminal: opened on the first box, kept for the process; curses mode only while a box is up.

struct Session {
  bool tried = false;
  SCREEN* screen = nullptr;
  FILE* file = nullptr;
  std::string failure;
  std::string savedLocale;
  bool secondScreen = false;  // the terminal keeps the picture under a box by itself
  void (*repaint)(int rows) = nullptr;
};

Session g_session;

// Wide characters need a character set that has them: the user's, or UTF-8 where the locale
// is the plain C one.
void UseTerminalLocale() {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  g_session.savedLocale = current != nullptr ? current : "C";
  if (std::setlocale(LC_CTYPE, "") == nullptr || std::strcmp(nl_langinfo(CODESET), "ANSI_X3.4-1968") == 0) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
  }
}

bool Begin(std::string* why) {
  FlushLog();  // before the box shows: whoever sees the box can read every entry before it
  UseTerminalLocale();
  if (!g_session.tried) {
    g_session.tried = true;
    int fd = Sys().open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC, 0);
    if (fd < 0) {
      g_session.failure = std::string("cannot open the terminal: ") + std::strerror(errno);
    } else if ((g_session.file = fdopen(fd, "r+")) == nullptr) {
      Sys().close(fd);
      g_session.failure = "cannot open the terminal";
    } else if ((g_session.screen = newterm(nullptr, g_session.file, g_session.file)) == nullptr) {
      const char* term = std::getenv("TERM");
      g_session.failure = std::string("curses does not know the terminal type TERM=") + (term != nullptr ? term : "");
    } else {
      const char* leave = tigetstr(const_cast<char*>("rmcup"));
      g_session.secondScreen = leave != nullptr && leave != reinterpret_cast<char*>(-1) && leave[0] != 0;
    }
  }
  if (g_session.screen == nullptr) {
    std::setlocale(LC_CTYPE, g_session.savedLocale.c_str());
    *why = g_session.failure;
    return false;
  }
  set_term(g_session.screen);
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  set_escdelay(25);
  clearok(curscr, TRUE);  // whatever the program wrote meanwhile is gone from the picture
  return true;
}

void End() {
  erase();
  refresh();
  endwin();
  std::setlocale(LC_CTYPE, g_session.savedLocale.c_str());
  if (!g_session.secondScreen && g_session.repaint != nullptr) g_session.repaint(LINES);
}

// Ctrl-C: the terminal as it was, then the interrupt's usual end.
[[noreturn]] void Interrupted() {
  End();
  std::signal(SIGINT, SIG_DFL);
  std::raise(SIGINT);
  _exit(130);
}

// A key, or false when the terminal is gone.
bool ReadKey(wint_t* key, bool* special) {
  for (int attempts = 0; attempts < 100; ++attempts) {
    const int kind = get_wch(key);
    if (kind != ERR) {
      *special = kind == KEY_CODE_YES;
      if (!*special && *key == kControlC) Interrupted();
      return true;
    }
    if (errno != EINTR) return false;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Text on the screen: code points, each drawn in the columns it takes.

using Points = std::u32string;

Points ToPoints(std::u16string_view text) {
  Points points;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (base::IsHighSurrogate(text[i]) && i + 1 < text.size() && base::IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    points.push_back(c);  // a lone surrogate stays, so the text comes back as it went in
  }
  return points;
}

std::u16string ToUtf16(const Points& points) {
  std::u16string text;
  for (char32_t c : points) {
    if (c >= 0x10000) {
      text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(c));
    }
  }
  return text;
}

bool Printable(char32_t c) { return (c < 0xD800 || c > 0xDFFF) && wcwidth(static_cast<wchar_t>(c)) >= 0; }
int Columns(char32_t c) { return Printable(c) ? wcwidth(static_cast<wchar_t>(c)) : 1; }
int Columns(const Points& text) {
  int columns = 0;
  for (char32_t c : text) columns += Columns(c);
  return columns;
}

// Draws at most `columns` columns of the text at (y, x); what can't be shown is "?".
int Put(int y, int x, const Points& text, int columns, size_t from = 0) {
  std::wstring shown;
  int used = 0;
  for (size_t i = from; i < text.size(); ++i) {
    const int width = Columns(text[i]);
    if (used + width > columns) break;
    shown.push_back(Printable(text[i]) ? static_cast<wchar_t>(text[i]) : L'?');
    used += width;
  }
  if (!shown.empty()) mvaddnwstr(y, x, shown.c_str(), static_cast<int>(shown.size()));
  return used;
}

Points Ascii(std::string_view text) { return Points(text.begin(), text.end()); }

// The text's lines (at CR, LF or CR LF), each wrapped to `columns`.
std::vector<Points> Wrapped(const Points& text, int columns) {
  std::vector<Points> lines(1);
  int used = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == U'\r' || text[i] == U'\n') {
      if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
      lines.emplace_back();
      used = 0;
      continue;
    }
    const int width = Columns(text[i]);
    if (used + width > columns && !lines.back().empty()) {
      lines.emplace_back();
      used = 0;
    }
    lines.back().push_back(text[i]);
    used += width;
  }
  return lines;
}

void Frame(int top, int left, int height, int width) {
  mvhline(top, left, '-', width);
  mvhline(top + height - 1, left, '-', width);
  mvvline(top, left, '|', height);
  mvvline(top, left + width - 1, '|', height);
  for (int corner = 0; corner < 4; ++corner) {
    mvaddch(corner < 2 ? top : top + height - 1, corner % 2 == 0 ? left : left + width - 1, '+');
  }
}

// A button: "[ OK ]", or "> OK <" in reverse when it has the focus.
int PutButton(int y, int x, const Points& name, bool focused) {
  Points shown = (focused ? U"> " : U"[ ") + name + (focused ? U" <" : U" ]");
  if (focused) attron(A_REVERSE);
  const int used = Put(y, x, shown, COLS - x);
  if (focused) attroff(A_REVERSE);
  return used;
}

// ---------------------------------------------------------------------------------------------
// Message boxes

void DrawMessageBox(const Points& text, const Points& caption, uint32_t type, int focus) {
  std::span<const BoxButton> buttons = BoxButtons(type);
  const char* icon = BoxIconWord(type);
  int buttonsWidth = 0;
  for (const BoxButton& button : buttons) buttonsWidth += static_cast<int>(std::strlen(button.name)) + 6;
  const int widest = std::max(4, COLS - 4);
  int inner = std::max({20, Columns(caption) + 4, buttonsWidth});
  for (const Points& line : Wrapped(text, widest)) inner = std::max(inner, Columns(line));
  inner = std::min(inner, widest);
  std::vector<Points> lines = Wrapped(text, inner);
  const int fixed = 2 + (icon != nullptr ? 2 : 0) + 2;  // frame, icon and gap, gap and buttons
  const int room = std::max(1, LINES - fixed);
  if (static_cast<int>(lines.size()) > room) lines.resize(room);
  const int height = fixed + static_cast<int>(lines.size());
  const int width = inner + 4;
  const int top = std::max(0, (LINES - height) / 2);
  const int left = std::max(0, (COLS - width) / 2);

  erase();
  Frame(top, left, height, width);
  if (!caption.empty()) {
    mvaddstr(top, left + 2, " ");
    const int used = Put(top, left + 3, caption, inner - 2);
    mvaddstr(top, left + 3 + used, " ");
  }
  int y = top + 1;
  if (icon != nullptr) {
    Put(y, left + 2, Ascii(icon), inner);
    y += 2;
  }
  for (const Points& line : lines) Put(y++, left + 2, line, inner);
  int x = left + 2 + std::max(0, (inner - buttonsWidth) / 2);
  for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
    x += PutButton(y + 1, x, Ascii(buttons[i].name), i == focus) + 2;
  }
  move(y + 1, left + 2);
  refresh();
}

int32_t RunMessageBox(const Points& text, const Points& caption, uint32_t type) {
  std::span<const BoxButton> buttons = BoxButtons(type);
  const int count = static_cast<int>(buttons.size());
  int focus = DefaultBoxButton(type);
  curs_set(0);
  for (;;) {
    DrawMessageBox(text, caption, type, focus);
    wint_t key = 0;
    bool special = false;
    if (!ReadKey(&key, &special)) return 0;
    if (special) {
      if (key == KEY_LEFT || key == KEY_UP || key == KEY_BTAB) focus = (focus + count - 1) % count;
      if (key == KEY_RIGHT || key == KEY_DOWN) focus = (focus + 1) % count;
      if (key == KEY_ENTER) return buttons[focus].id;
      continue;
    }
    if (key == L'\t') focus = (focus + 1) % count;
    if (key == L'\r' || key == L'\n' || key == L' ') return buttons[focus].id;
    if (key == kEscape && EscapeAnswer(type) != 0) return EscapeAnswer(type);
    for (const BoxButton& button : buttons) {
      if (button.accelerator != 0 && (key | 0x20) == static_cast<wint_t>(button.accelerator)) return button.id;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Forms

class FormFace {
 public:
  FormFace(const Form& form, FormStates& states) : form_(form), states_(states) {
    for (int n = 0; n < form.count; ++n) {
      // An edit box starts with the whole item; only what is read back is cut.
      std::u16string_view first = form.controls[n].kind == ControlKind::kEditBox ? form.controls[n].text : u"";
      edits_.push_back(ToPoints(first.substr(0, std::min<size_t>(first.size(), kEditUnitLimit))));
      cursors_.push_back(edits_.back().size());
      if (form.controls[n].kind != ControlKind::kLabel) stops_.push_back(n);
    }
    stops_.push_back(kOkStop);
    if (!form.hideCancel) stops_.push_back(kCancelStop);
  }

  int32_t Run() {
    for (;;) {
      Draw();
      wint_t key = 0;
      bool special = false;
      if (!ReadKey(&key, &special)) return -1;
      const int at = stops_[focus_];
      const bool editing = at >= 0 && form_.controls[at].kind == ControlKind::kEditBox;
      if (special) {
        if (key == KEY_DOWN) Move(1);
        if (key == KEY_UP || key == KEY_BTAB) Move(-1);
        if (key == KEY_ENTER) return Confirm(at);
        if (editing) Edit(at, key);
        continue;
      }
      if (key == L'\t') {
        Move(1);
      } else if (key == L'\r' || key == L'\n') {
        return Confirm(at);
      } else if (key == kEscape) {
        return kFormCancelled;
      } else if (key == L' ' && !editing) {
        if (at == kOkStop || at == kCancelStop) return Confirm(at);
        if (form_.controls[at].kind == ControlKind::kCheckBox) states_.ticked[at] = !states_.ticked[at];
        if (form_.controls[at].kind == ControlKind::kRadioButton) SelectRadioButton(form_, states_.ticked, at);
      } else if (editing) {
        Type(at, key);
      }
    }
  }

 private:
  static constexpr int kOkStop = -1;
  static constexpr int kCancelStop = -2;

  void Move(int step) {
    const int count = static_cast<int>(stops_.size());
    focus_ = (focus_ + step + count) % count;
  }

  int32_t Confirm(int at) {
    if (at == kCancelStop) return kFormCancelled;
    for (int n = 0; n < form_.count; ++n) {
      if (form_.controls[n].kind != ControlKind::kEditBox) continue;
      const std::u16string text = ToUtf16(edits_[n]);
      const size_t units = std::min(text.size(), static_cast<size_t>(kFormTextUnits - 1));
      std::copy_n(text.begin(), units, states_.text[n]);
      states_.text[n][units] = 0;
    }
    return kFormConfirmed;
  }

  void Edit(int n, wint_t key) {
    Points& text = edits_[n];
    size_t& cursor = cursors_[n];
    if (key == KEY_LEFT && cursor > 0) --cursor;
    if (key == KEY_RIGHT && cursor < text.size()) ++cursor;
    if (key == KEY_HOME) cursor = 0;
    if (key == KEY_END) cursor = text.size();
    if (key == KEY_BACKSPACE && cursor > 0) text.erase(--cursor, 1);
    if (key == KEY_DC && cursor < text.size()) text.erase(cursor, 1);
  }

  void Type(int n, wint_t key) {
    if (key == 127 || key == 8) return Edit(n, KEY_BACKSPACE);
    if (key < 0x20) return;
    if (ToUtf16(edits_[n]).size() + (key >= 0x10000 ? 2 : 1) > kEditUnitLimit) return;
    edits_[n].insert(cursors_[n]++, 1, static_cast<char32_t>(key));
  }

  void Draw() {
    erase();
    const int rows = std::max(1, LINES - 2);  // between the title and the buttons
    const int at = stops_[focus_];
    if (at >= 0 && at < top_) top_ = at;
    if (at >= 0 && at >= top_ + rows) top_ = at - rows + 1;

    attron(A_REVERSE);
    mvhline(0, 0, ' ', COLS);
    Put(0, 1, form_.title != nullptr ? ToPoints(form_.title) : U"Orvinta", COLS - 2);
    attroff(A_REVERSE);

    int cursorY = LINES - 1, cursorX = 1;
    for (int n = top_; n < form_.count && n < top_ + rows; ++n) {
      const int y = 1 + n - top_;
      const FormControl& control = form_.controls[n];
      if (n == at) mvaddch(y, 0, '>');
      switch (control.kind) {
        case ControlKind::kLabel:
          Put(y, 2, ToPoints(control.text), COLS - 3);
          break;
        case ControlKind::kCheckBox:
        case ControlKind::kRadioButton: {
          const bool box = control.kind == ControlKind::kCheckBox;
          mvaddstr(y, 2, box ? (states_.ticked[n] ? "[x]" : "[ ]") : (states_.ticked[n] ? "(*)" : "( )"));
          Put(y, 6, ToPoints(control.text), COLS - 7);
          if (n == at) cursorY = y, cursorX = 3;
          break;
        }
        case ControlKind::kEditBox:
          cursorX = DrawEdit(y, n);
          if (n == at) cursorY = y;
          break;
      }
    }

    const Points ok = U"确定", cancel = U"取消";
    PutButton(LINES - 1, 1, ok, at == kOkStop);
    if (!form_.hideCancel) {
      const int width = Columns(cancel) + 4;
      PutButton(LINES - 1, std::max(0, COLS - width - 1), cancel, at == kCancelStop);
    }
    if (at == kOkStop) cursorX = 3;
    if (at == kCancelStop) cursorX = COLS - Columns(cancel) - 3;
    const bool editing = at >= 0 && form_.controls[at].kind == ControlKind::kEditBox;
    curs_set(editing ? 1 : 0);
    move(cursorY, editing ? cursorX : std::max(0, cursorX));
    refresh();
  }

  // "[text   ]" across the row, scrolled so that the cursor shows; returns the cursor's column.
  int DrawEdit(int y, int n) {
    const int field = std::max(1, COLS - 5);
    const Points& text = edits_[n];
    const size_t cursor = cursors_[n];
    size_t& first = firsts_[n];
    if (cursor < first) first = cursor;
    while (first < cursor && Columns(Points(text.begin() + first, text.begin() + cursor)) >= field) ++first;
    mvaddch(y, 2, '[');
    mvaddch(y, 3 + field, ']');
    Put(y, 3, text, field, first);
    return 3 + Columns(Points(text.begin() + first, text.begin() + cursor));
  }

  const Form& form_;
  FormStates& states_;
  std::vector<Points> edits_;
  std::vector<size_t> cursors_;
  size_t firsts_[kFormControlLimit] = {};
  std::vector<int> stops_;  // control numbers, then kOkStop and kCancelStop
  int focus_ = 0;
  int top_ = 0;
};

}  // namespace

bool HasTerminal() { return Sys().isatty(0) == 1; }

void SetScreenRepaint(void (*repaint)(int rows)) { g_session.repaint = repaint; }

int32_t TerminalMessageBox(const char16_t* text, const char16_t* caption, uint32_t type, std::string* why) {
  if (!Begin(why)) return 0;
  const int32_t button = RunMessageBox(ToPoints(text), ToPoints(caption), type);
  End();
  if (button == 0) *why = "the terminal closed while a message box was open";
  return button;
}

int32_t TerminalForm(const Form& form, FormStates& final, std::string* why) {
  if (!Begin(why)) return -1;
  FormStates shown{};
  ShownStates(form, shown);
  const int32_t end = FormFace(form, shown).Run();
  End();
  if (end == kFormConfirmed) final = shown;
  if (end == -1) *why = "the terminal closed while a form was open";
  return end;
}

}  // namespace orvinta::platform::host
