#include "engine/log_entry.h"

#include <string_view>

#include "base/hex.h"
#include "base/text.h"
#include "platform/platform.h"
#include "platform/shell.h"

namespace orvinta::engine {

namespace {

constexpr size_t kPrefixUnits = 14;  // "     %08X "

}  // namespace

size_t BuildResultEntry(int32_t result, char16_t* entry) {
  size_t n = 0;
  for (int i = 0; i < 5; ++i) entry[n++] = u' ';
  uint32_t value = static_cast<uint32_t>(result);
  n = static_cast<size_t>(base::PutHexDigits(entry + n, value, 8) - entry);
  entry[n++] = u' ';

  // The system text goes behind the prefix, cut so that the closing line breaks always fit.
  constexpr size_t kTextRoom = kResultEntryUnits - kPrefixUnits - 4 - 1;
  // Written in place: the text and its terminator end 4 units before the entry's room does.
  uint32_t length = platform::Get().text->FormatSystemMessage(value, entry + n, kTextRoom + 1);
  if (length > kTextRoom) length = kTextRoom;
  n += length;

  // System texts end in CR LF; either way one empty line follows the entry.
  if (entry[n - 1] != u'\n') {
    entry[n++] = u'\r';
    entry[n++] = u'\n';
  }
  entry[n++] = u'\r';
  entry[n++] = u'\n';
  entry[n] = 0;
  return n;
}

namespace {

// The log sink and, while the main window is open, its log pane get the same text.
void Append(std::u16string_view text) {
  platform::Log& log = *platform::Get().log;
  if (log.Enabled()) log.Append(text);
  if (platform::LogPaneOpen()) platform::AppendToLogPane(text);
}

bool AnyoneListens() { return platform::Get().log->Enabled() || platform::LogPaneOpen(); }

}  // namespace

void LogCommandLine(const char16_t* command) {
  if (!AnyoneListens()) return;
  Append(std::u16string_view(command, base::TextLength(command)));
  Append(u"\r\n");
}

void LogResultEntry(int32_t result) {
  if (!AnyoneListens()) return;
  // Scripts mostly repeat one result (0), and its system text doesn't change while the same
  // text service runs, so the last entry built is kept and handed out again.
  static char16_t entry[kResultEntryUnits];
  static size_t length = 0;
  static int32_t built = 0;
  static const platform::TextTime* builtBy = nullptr;
  if (length == 0 || result != built || builtBy != platform::Get().text) {
    length = BuildResultEntry(result, entry);
    built = result;
    builtBy = platform::Get().text;
  }
  Append(std::u16string_view(entry, length));
}

}  // namespace orvinta::engine
