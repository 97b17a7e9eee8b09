// The host's main window: a session in the terminal. A prompt reads one command at a time with
// line editing (libedit), the history is kept between sessions, Tab completes keywords and
// device paths, and the log pane is the terminal itself: every command line and result entry
// is printed as the window's log pane shows it. The menu's items are function keys, which no
// typed line can contain: F1 Help, F2 About, F3 File association, F4 Clear log, F10 Exit (and
// Ctrl-D on an empty line, as in any shell).
#include <fcntl.h>
#include <histedit.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "platform/files.h"
#include "platform/host/name_match.h"
#include "platform/host/log_file.h"
#include "platform/host/system_calls.h"
#include "platform/host/terminal_face.h"
#include "platform/platform.h"
#include "platform/shell.h"
#include "platform/ui_strings.h"

namespace orvinta::platform {

namespace {

using host::Sys;

enum class MenuItem { kNone, kHelp, kAbout, kAssociation, kClearLog, kExit };

struct Session {
  const MainWindowCalls* calls = nullptr;
  MenuItem pending = MenuItem::kNone;
  bool interactive = false;
  // The pane's text since it was last cleared, its last lines only: what a box that the
  // terminal can't put back drew over (host::SetScreenRepaint).
  std::string shown;
};

Session* g_session = nullptr;  // the open session: the log pane is open while this is set

constexpr size_t kShownLines = 500;

void Remember(std::string_view text) {
  if (g_session == nullptr || !g_session->interactive) return;
  std::string& shown = g_session->shown;
  shown.append(text);
  size_t lines = 0;
  for (size_t at = shown.size(); at-- > 0;) {
    if (shown[at] == '\n' && ++lines > kShownLines) {
      shown.erase(0, at + 1);
      break;
    }
  }
}

void WriteOut(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  Remember(text);
}

// The pane again after a box: the screen cleared, then as many of its last lines as fit above
// the prompt, which the editor draws anew when it reads the next line.
void Repaint(int rows) {
  if (g_session == nullptr) return;
  const std::string& shown = g_session->shown;
  size_t from = 0;
  int lines = 0;
  for (size_t at = shown.size(); at-- > 0;) {
    if (shown[at] == '\n' && ++lines >= rows) {
      from = at + 1;
      break;
    }
  }
  std::fputs("\033[H\033[2J", stdout);
  std::fwrite(shown.data() + from, 1, shown.size() - from, stdout);
  std::fflush(stdout);
}

// The terminal takes LF line ends; the log's CR LF becomes LF.
void WriteUtf16(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    base::AppendUtf8(out, text.substr(i, 1));
  }
  WriteOut(out);
}

std::string Utf8(std::u16string_view text) { return base::Utf16ToUtf8(text); }

// $XDG_STATE_HOME/orvinta/history, or ~/.local/state/orvinta/history. Empty when neither is set.
std::string HistoryPath() {
  std::string folder;
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  if (state != nullptr && state[0] == '/') {
    folder = state;
  } else if (home != nullptr && home[0] != 0) {
    folder = std::string(home) + "/.local/state";
  } else {
    return {};
  }
  folder += "/orvinta";
  // Each missing folder on the way is made; one that exists already is fine.
  for (size_t slash = 1; slash != std::string::npos; slash = folder.find('/', slash + 1)) {
    Sys().mkdir(folder.substr(0, slash).c_str(), 0700);
  }
  Sys().mkdir(folder.c_str(), 0700);
  return folder + "/history";
}

// One session per terminal: a lock named after the terminal, held while the session is open,
// so a second OVUI finds it whether it runs inside the session or in another copy. The lock is
// named by the terminal's device number where the terminal has no name (no /dev/pts in a bare
// container), so the rule holds there too. -1 when another session holds it, -2 when there is
// nothing to lock (no terminal, or no lock file can be made: the session opens without it).
int LockTerminal() {
  if (Sys().isatty(STDIN_FILENO) != 1) return -2;
  std::string name;
  if (const char* tty = Sys().ttyname(STDIN_FILENO)) {
    name = tty;
    for (char& c : name) {
      if (c == '/') c = '_';
    }
  } else {
    struct stat info {};
    if (Sys().fstat(STDIN_FILENO, &info) != 0) return -2;
    name = "_dev_" + std::to_string(major(info.st_rdev)) + "_" + std::to_string(minor(info.st_rdev));
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string path = (runtime != nullptr && runtime[0] == '/') ? std::string(runtime) : std::string("/tmp");
  path += "/orvinta-" + std::to_string(Sys().getuid()) + "-session" + name + ".lock";
  int fd = Sys().open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return -2;
  if (Sys().flock(fd, LOCK_EX | LOCK_NB) != 0) {
    Sys().close(fd);
    return -1;
  }
  return fd;
}

// --- Completion: keywords at the start of the line, device paths after it. ---

std::vector<std::u16string> SplitPatterns(const char16_t* patterns) {
  std::vector<std::u16string> list;
  std::u16string current;
  for (const char16_t* p = patterns; p != nullptr && *p != 0; ++p) {
    if (*p == u';') {
      if (!current.empty()) list.push_back(current);
      current.clear();
    } else {
      current += *p;
    }
  }
  if (!current.empty()) list.push_back(current);
  return list;
}

// The entries of the folder in `word` (a device path) whose names begin with what follows its
// last "\": folders (with "\" behind them) and the files the picker's patterns let through.
std::vector<std::u16string> PathCandidates(const std::u16string& word, const char16_t* patterns) {
  size_t slash = word.rfind(u'\\');
  std::u16string folder = word.substr(0, slash + 1);
  std::u16string start = word.substr(slash + 1);
  std::vector<std::u16string> filters = SplitPatterns(patterns);
  std::vector<std::u16string> found;
  Files& files = *Get().files;
  FindData data;
  std::u16string pattern = folder + start + u"*";
  SearchHandle search = files.FindFirstFileW(pattern.c_str(), &data);
  if (search == kInvalidHandleValue) return found;
  do {
    std::u16string name = data.name;
    if (name == u"." || name == u"..") continue;
    if (data.attributes & kFileAttributeDirectory) {
      found.push_back(folder + name + u"\\");
      continue;
    }
    for (const std::u16string& filter : filters) {
      if (host::NameMatches(filter, name)) {
        found.push_back(folder + name);
        break;
      }
    }
  } while (files.FindNextFileW(search, &data));
  files.FindClose(search);
  return found;
}

std::u16string CommonPrefix(const std::vector<std::u16string>& words) {
  std::u16string prefix = words.front();
  for (const std::u16string& w : words) {
    size_t n = 0;
    while (n < prefix.size() && n < w.size() && prefix[n] == w[n]) ++n;
    prefix.resize(n);
  }
  return prefix;
}

const char* Prompt(EditLine* = nullptr) {
  static const std::string prompt = ORVINTA_TEXT_COMMAND_LABEL " ";
  return prompt.c_str();
}

unsigned char Complete(EditLine* editor, int) {
  const LineInfo* info = el_line(editor);
  std::string before(info->buffer, static_cast<size_t>(info->cursor - info->buffer));
  // The word under the cursor starts after the last blank or comma.
  size_t start = before.find_last_of(" ,");
  start = start == std::string::npos ? 0 : start + 1;
  std::u16string word = base::Utf8ToUtf16(std::string_view(before).substr(start));
  std::vector<std::u16string> candidates;
  const MainWindowCalls& calls = *g_session->calls;
  if (start == 0 && word.find(u'\\') == std::u16string::npos) {
    for (int i = 0; i < calls.keywordCount; ++i) {
      std::u16string keyword = calls.keywords[i];
      if (keyword.compare(0, word.size(), word) == 0) candidates.push_back(keyword + u" ");
    }
  } else if (!word.empty() && word[0] == u'\\') {
    candidates = PathCandidates(word, calls.pickerPatterns);
  }
  if (candidates.empty()) return CC_REFRESH_BEEP;
  std::u16string common = CommonPrefix(candidates);
  // Paths are matched without regard to case: what was typed takes the names' own case.
  if (common.size() > word.size() || (candidates.size() == 1 && common != word)) {
    el_deletestr(editor, static_cast<int>(base::Utf8ToUtf16(std::string_view(before).substr(start)).size()));
    el_insertstr(editor, Utf8(common).c_str());
    return CC_REFRESH;
  }
  Remember(Prompt(editor) + std::string(info->buffer, static_cast<size_t>(info->lastchar - info->buffer)));
  std::string list = "\n";
  for (const std::u16string& candidate : candidates) {
    size_t slash = candidate.rfind(u'\\', candidate.size() > 1 ? candidate.size() - 2 : 0);
    std::u16string shown = word[0] == u'\\' && slash != std::u16string::npos ? candidate.substr(slash + 1) : candidate;
    list += Utf8(shown) + "  ";
  }
  list += "\n";
  WriteOut(list);
  return CC_REDISPLAY;
}

// --- The menu's keys. Each ends the line being read; the loop does the item and gives the
// line back to the editor untouched. ---

unsigned char Choose(EditLine* editor, MenuItem item) {
  g_session->pending = item;
  (void)editor;
  return CC_NEWLINE;
}
unsigned char KeyHelp(EditLine* e, int) { return Choose(e, MenuItem::kHelp); }
unsigned char KeyAbout(EditLine* e, int) { return Choose(e, MenuItem::kAbout); }
unsigned char KeyAssociation(EditLine* e, int) { return Choose(e, MenuItem::kAssociation); }
unsigned char KeyClearLog(EditLine* e, int) { return Choose(e, MenuItem::kClearLog); }
unsigned char KeyExit(EditLine* e, int) { return Choose(e, MenuItem::kExit); }

void BindKeys(EditLine* editor) {
  el_set(editor, EL_ADDFN, "orvinta-complete", "complete a keyword or a device path", Complete);
  el_set(editor, EL_ADDFN, "orvinta-help", ORVINTA_TEXT_HELP, KeyHelp);
  el_set(editor, EL_ADDFN, "orvinta-about", ORVINTA_TEXT_ABOUT, KeyAbout);
  el_set(editor, EL_ADDFN, "orvinta-association", ORVINTA_TEXT_ASSOCIATION, KeyAssociation);
  el_set(editor, EL_ADDFN, "orvinta-clear-log", ORVINTA_TEXT_CLEAR_LOG, KeyClearLog);
  el_set(editor, EL_ADDFN, "orvinta-exit", ORVINTA_TEXT_EXIT, KeyExit);
  el_set(editor, EL_BIND, "^I", "orvinta-complete", nullptr);
  // xterm's and the Linux console's sequences of F1 to F4, and F10.
  const char* keys[][2] = {
      {"\033OP", "orvinta-help"},        {"\033[11~", "orvinta-help"},        {"\033[[A", "orvinta-help"},
      {"\033OQ", "orvinta-about"},       {"\033[12~", "orvinta-about"},       {"\033[[B", "orvinta-about"},
      {"\033OR", "orvinta-association"}, {"\033[13~", "orvinta-association"}, {"\033[[C", "orvinta-association"},
      {"\033OS", "orvinta-clear-log"},   {"\033[14~", "orvinta-clear-log"},   {"\033[[D", "orvinta-clear-log"},
      {"\033[21~", "orvinta-exit"}};
  for (auto& key : keys) el_set(editor, EL_BIND, key[0], key[1], nullptr);
}

void ShowBanner() {
  WriteOut(ORVINTA_TEXT_CAPTION "\n" ORVINTA_TEXT_PROMPT "\n"
           "[F1 " ORVINTA_TEXT_HELP "  F2 " ORVINTA_TEXT_ABOUT "  F3 " ORVINTA_TEXT_ASSOCIATION "  F4 " ORVINTA_TEXT_CLEAR_LOG
           "  F10 " ORVINTA_TEXT_EXIT "]\n\n");
}

// A box of the menu: its caption (the item's text) and the message.
void ShowMenuBox(const char* caption, std::u16string_view text) {
  WriteOut(std::string("\n[") + caption + "]\n");
  WriteUtf16(text);
  WriteOut("\n\n");
}

// Does the menu item. False for Exit.
bool DoMenuItem(MenuItem item, const MainWindowCalls& calls) {
  switch (item) {
    case MenuItem::kHelp:
      calls.help(calls.context);
      return true;
    case MenuItem::kAbout:
      ShowMenuBox(ORVINTA_TEXT_ABOUT, calls.aboutText);
      return true;
    case MenuItem::kAssociation: {
      bool wasOn = calls.associated(calls.context);
      ShowMenuBox(wasOn ? ORVINTA_TEXT_ASSOCIATION " [x]" : ORVINTA_TEXT_ASSOCIATION " [ ]",
                  calls.toggleAssociation(calls.context, wasOn));
      return true;
    }
    case MenuItem::kClearLog:
      // The log pane is the screen: clear it and its scroll-back, then show the window's top.
      WriteOut("\033[H\033[2J\033[3J");
      g_session->shown.clear();
      ShowBanner();
      return true;
    case MenuItem::kExit:
      return false;
    case MenuItem::kNone:
      return true;
  }
  return true;
}

// Execute: the line as the command box holds it (cut to 259 units). An empty line runs
// nothing and logs nothing.
void Execute(const MainWindowCalls& calls, std::string_view typed) {
  std::u16string line = base::Utf8ToUtf16(typed);
  if (line.size() > static_cast<size_t>(kCommandBoxUnits - 1)) line.resize(kCommandBoxUnits - 1);
  if (line.empty()) return;
  line.push_back(0);
  calls.execute(calls.context, line.data());
}

std::string_view WithoutLineEnd(const char* line, int count) {
  std::string_view text(line, count > 0 ? static_cast<size_t>(count) : 0);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

int32_t RunInteractive(Session& session) {
  std::string previousLocale = std::setlocale(LC_CTYPE, nullptr);
  std::setlocale(LC_CTYPE, "");  // the editor counts characters of the terminal's encoding
  EditLine* editor = el_init("orvinta", stdin, stdout, stderr);
  History* kept = history_init();
  HistEvent event;
  history(kept, &event, H_SETSIZE, 1000);
  history(kept, &event, H_SETUNIQUE, 1);
  std::string historyPath = HistoryPath();
  if (!historyPath.empty()) history(kept, &event, H_LOAD, historyPath.c_str());
  el_set(editor, EL_EDITOR, "emacs");
  el_set(editor, EL_PROMPT, Prompt);
  el_set(editor, EL_HIST, history, kept);
  el_set(editor, EL_SIGNAL, 1);
  BindKeys(editor);
  host::SetScreenRepaint(Repaint);
  ShowBanner();
  for (;;) {
    int count = 0;
    session.pending = MenuItem::kNone;
    host::FlushLog();  // the log is complete while the session waits for a line
    const char* line = el_gets(editor, &count);
    if (line == nullptr) break;  // Ctrl-D on an empty line, or the terminal closed
    // The line as it stands on the screen, for a repaint (a menu key's line ends below).
    Remember(Prompt() + std::string(WithoutLineEnd(line, count)) + (session.pending == MenuItem::kNone ? "\n" : ""));
    if (session.pending != MenuItem::kNone) {
      // A menu key: the typed text stays in the box.
      std::string typedSoFar(WithoutLineEnd(line, count));
      WriteOut("\n");
      if (!DoMenuItem(session.pending, *session.calls)) break;
      if (!typedSoFar.empty()) el_push(editor, typedSoFar.c_str());
      continue;
    }
    std::string typed(WithoutLineEnd(line, count));
    if (!typed.empty()) {
      history(kept, &event, H_ENTER, typed.c_str());
      if (!historyPath.empty()) history(kept, &event, H_SAVE, historyPath.c_str());
    }
    Execute(*session.calls, typed);
  }
  WriteOut("\n");
  host::SetScreenRepaint(nullptr);
  history_end(kept);
  el_end(editor);
  std::setlocale(LC_CTYPE, previousLocale.c_str());
  return 0;
}

// Without a terminal the session reads its lines from the input as they come, to its end.
int32_t RunFromInput(Session& session) {
  char* line = nullptr;
  size_t capacity = 0;
  ssize_t length;
  for (;;) {
    host::FlushLog();  // the log is complete while the session waits for a line
    if ((length = Sys().getline(&line, &capacity, stdin)) < 0) break;
    Execute(*session.calls, WithoutLineEnd(line, static_cast<int>(length)));
  }
  std::free(line);
  return 0;
}

}  // namespace

int32_t OpenMainWindow(const MainWindowCalls& calls) {
  // The window that is already open is this terminal's: a second one would share its screen.
  if (g_session != nullptr) return 1;
  int lock = LockTerminal();
  if (lock == -1) return 1;
  Session session;
  session.calls = &calls;
  session.interactive = Sys().isatty(STDIN_FILENO) == 1 && Sys().isatty(STDOUT_FILENO) == 1;
  g_session = &session;
  int32_t result = session.interactive ? RunInteractive(session) : RunFromInput(session);
  g_session = nullptr;
  if (lock >= 0) Sys().close(lock);
  return result;
}

bool LogPaneOpen() { return g_session != nullptr; }

void AppendToLogPane(std::u16string_view text) {
  if (g_session == nullptr) return;
  host::FlushLog();  // what the pane shows is in the log file too, whoever reads it then
  WriteUtf16(text);
}

}  // namespace orvinta::platform
