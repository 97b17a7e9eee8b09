#include "engine/macros.h"

#include "base/hex.h"
#include "base/number.h"
#include "engine/interpreter_state.h"
#include "engine/script_commands.h"
#include "platform/platform.h"

namespace orvinta::engine {

namespace {

// Date and time texts are asked for with room for 80 units, as on the device.
constexpr int kDateTimeUnits = 80;

char16_t* AppendText(char16_t* out, char16_t* limit, const char16_t* text) {
  while (*text != 0 && out < limit) *out++ = *text++;
  return out;
}

char16_t* AppendDirectoryOf(char16_t* out, char16_t* limit, const char16_t* path) {
  const platform::Files& files = *platform::Get().files;
  const std::u16string_view whole(path);
  const char16_t* lastSeparator = nullptr;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (files.IsPathSeparator(whole, i)) lastSeparator = path + i;
  }
  if (lastSeparator == nullptr) return out;
  for (const char16_t* p = path; p < lastSeparator && out < limit; ++p) *out++ = *p;
  return out;
}

char16_t* AppendSpecialFolder(char16_t* out, char16_t* limit, int csidl) {
  char16_t folder[win::kMaxPath] = {};
  if (!platform::Get().files->SpecialFolderPath(csidl, folder, true)) return out;
  folder[win::kMaxPath - 1] = 0;
  return AppendText(out, limit, folder);
}

template <typename Format>
char16_t* AppendDateOrTime(char16_t* out, char16_t* limit, Format format) {
  char16_t text[kDateTimeUnits] = {};
  if (format(text, kDateTimeUnits) <= 0) return out;  // failure appends nothing
  text[kDateTimeUnits - 1] = 0;
  return AppendText(out, limit, text);
}

}  // namespace

char16_t* ExpandMacro(char16_t* out, char16_t* limit, char16_t macro, const ScriptContext& context) {
  // Numbers are formatted into a scratch buffer first so a cut line is cut cleanly.
  char16_t number[16] = {};
  switch (macro) {
    case u'E': return AppendText(out, limit, context.scriptPath);
    case u'C': return AppendDirectoryOf(out, limit, context.scriptPath);
    case u'T':
      return AppendDateOrTime(out, limit, [](char16_t* b, int n) { return platform::Get().text->FormatTime(b, n); });
    case u'D':
      return AppendDateOrTime(out, limit, [](char16_t* b, int n) { return platform::Get().text->FormatDate(b, n); });
    case u'X':
      *base::FormatHexPrefixed(number, static_cast<uint32_t>(context.lastResult)) = 0;
      return AppendText(out, limit, number);
    case u'x':
      *base::FormatDecimal(number, context.lastResult) = 0;
      return AppendText(out, limit, number);
    case u'A': return AppendSpecialFolder(out, limit, win::kCsidlAppData);
    case u'Y': return AppendSpecialFolder(out, limit, win::kCsidlPersonal);
    case u'S': return AppendSpecialFolder(out, limit, win::kCsidlStartup);
    case u'W': return AppendSpecialFolder(out, limit, win::kCsidlWindows);
    case u'P': return AppendSpecialFolder(out, limit, win::kCsidlPrograms);
    case u'M': return AppendSpecialFolder(out, limit, win::kCsidlStartMenu);
    case u'F': return AppendSpecialFolder(out, limit, win::kCsidlProgramFiles);
    case u'R': macro = u'\r'; break;
    case u'N': macro = u'\n'; break;
    default:
      if (macro >= u'0' && macro <= u'9') return AppendText(out, limit, UserVariable(macro - u'0'));
      break;  // any other character stands for itself
  }
  if (out < limit) *out++ = macro;
  return out;
}

char16_t HexCodeUnit(const char16_t four[4]) {
  // A unit that is no hex digit counts as -1 in its place: the sum is taken as it comes.
  int sum = base::HexDigitValue(four[0]) * 4096 + base::HexDigitValue(four[1]) * 256 +
            base::HexDigitValue(four[2]) * 16 + base::HexDigitValue(four[3]);
  return static_cast<char16_t>(static_cast<unsigned>(sum) & 0xFFFFu);
}

int32_t HandleEval(char16_t*, char16_t* argument, ScriptContext&) {
  char16_t first = argument[0];
  if (first >= u'0' && first <= u'9') {
    int slot = first - u'0';
    if (argument[1] == u'=') {
      SetUserVariable(slot, argument + 2);
      return 0;
    }
    return base::ParseNumber(UserVariable(slot));
  }
  if (first == u'x' || first == u'X') {
    const char16_t* number = argument + 1;
    if (*number == u'=') ++number;
    return base::ParseNumber(number);
  }
  ClearUserVariable(0);
  return 0;
}

}  // namespace orvinta::engine
