// The program's own windows: the main window with its log pane, the help window and the about
// box. The backend draws them (Windows: dialogs; the host: a session in the terminal); what
// the window's commands do is the portable code's, handed over as MainWindowCalls.
#pragma once
#include <cstdint>
#include <string_view>

namespace orvinta::platform {

// Resource type of the help page (RT_HTML) and the name it is stored under.
inline constexpr uint32_t kRtHtml = 23;
inline constexpr char16_t kHelpResourceName[] = u"HELP";

// A typed command box holds this many units, terminator included; a longer line is cut.
inline constexpr int kCommandBoxUnits = 260;

struct MainWindowCalls {
  void* context;
  // Execute: runs the command box's text (writable, zero-terminated, never empty).
  void (*execute)(void* context, char16_t* line);
  // Whether the file association is on: the check mark of the association item.
  bool (*associated)(void* context);
  // The association item: switches it and returns the message to show (string 512 or 513).
  const char16_t* (*toggleAssociation)(void* context, bool wasOn);
  // The Help item: the help window owned by the main window; its end value.
  int32_t (*help)(void* context);
  const char16_t* aboutText;  // the About item's box
  // The browse button: the file picker for `box` (260 units: the command box's text in, the
  // chosen path out); non-zero when a name was chosen. Null where the platform has none.
  int32_t (*pickFile)(void* context, uintptr_t owner, char16_t* box);
  // Where the platform completes what the user types (the host): the 26 keywords and the
  // patterns of the picker's first filter ("*.ovs;*.reg;*xml").
  const char16_t* const* keywords;
  int keywordCount;
  const char16_t* pickerPatterns;
};

// OVUI. When a top-level window captioned "Orvinta" exists (on the host: a session already
// open on this terminal, in this or another copy), it is brought forward and that call's
// result is returned (non-zero on success) and no window opens. Otherwise the main window runs
// until it is closed: 0, or the platform's failure value when it can't be made.
int32_t OpenMainWindow(const MainWindowCalls& calls);

// The log pane while the main window is open: the engine appends every command line and result
// entry here, as the log sink gets them (lines end in CR LF). Closed: Open is false.
bool LogPaneOpen();
void AppendToLogPane(std::u16string_view text);

// HELP: the help page (resource "HELP" of type 23) shown in its window, owned by the main
// window while that is open. 0 when closed with OK (a missing page shows an empty window), or
// the platform's failure value when the window can't be made.
int32_t ShowHelp();

}  // namespace orvinta::platform
