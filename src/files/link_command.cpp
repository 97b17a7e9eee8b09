// LINK: writes a shortcut file, "count#command[?icon]" in the ANSI code page.
#include <string_view>

#include "files/file_commands.h"
#include "platform/file_primitives.h"
#include "platform/platform.h"

namespace orvinta::files {

namespace {

namespace pf = platform;

constexpr int kTextUnits = 1024;  // the shortcut text and its terminator
constexpr int kTextBytes = 1024;  // the same in the ANSI code page

using engine::CutAtSeparator;

// Builds a text in a fixed buffer; once anything does not fit, the text counts as lost.
class ShortcutText {
 public:
  ShortcutText() { units_[0] = 0; }
  void Add(std::u16string_view text) {
    if (text.size() > static_cast<size_t>(kTextUnits - 1) - length_) {
      overflowed_ = true;
      return;
    }
    text.copy(units_ + length_, text.size());
    length_ += text.size();
    units_[length_] = 0;
  }
  void AddNumber(uint32_t value) {
    char16_t digits[10];
    size_t n = 0;
    do digits[n++] = static_cast<char16_t>(u'0' + value % 10);
    while ((value /= 10) != 0);
    while (n > 0) Add(std::u16string_view(&digits[--n], 1));
  }
  bool Overflowed() const { return overflowed_; }
  const char16_t* Data() const { return units_; }

 private:
  char16_t units_[kTextUnits];
  size_t length_ = 0;
  bool overflowed_ = false;
};

// Converts the text with its terminator into `bytes`: the byte count without the terminator, or
// -1 when the text does not fit or has a character that the code page cannot carry (a text
// that reads back differently would name another file).
int ToAnsi(const char16_t* text, char* bytes) {
  pf::TextTime& conversions = *pf::Get().text;
  int count = conversions.WideCharToMultiByte(text, -1, bytes, kTextBytes);
  if (count <= 0) return -1;
  char16_t back[kTextUnits];
  const std::u16string_view original(text);
  int units = conversions.MultiByteToWideChar(bytes, count, back, kTextUnits);
  if (units != static_cast<int>(original.size()) + 1 || std::u16string_view(back, original.size()) != original) return -1;
  return count - 1;
}

}  // namespace

int32_t HandleLink(char16_t*, char16_t* argument, engine::ScriptContext&) {
  char16_t* target = CutAtSeparator(argument);
  if (target == nullptr) return 3;
  char16_t* arguments = CutAtSeparator(target);
  char16_t* icon = arguments != nullptr ? CutAtSeparator(arguments) : nullptr;
  if (icon != nullptr) {
    // The icon index, when given, joins the icon path after a comma.
    for (char16_t* p = icon; *p != 0; ++p) {
      if (*p == engine::kArgumentSeparator) {
        *p = u',';
        break;
      }
    }
  }

  const std::u16string_view targetText(target);
  ShortcutText text;
  if (arguments != nullptr && *arguments != 0) {
    const std::u16string_view argumentText(arguments);
    text.AddNumber(static_cast<uint32_t>(targetText.size() + argumentText.size() + 3));
    text.Add(u"#\"");
    text.Add(targetText);
    text.Add(u"\" ");
    text.Add(argumentText);
  } else if (targetText.find(u' ') != std::u16string_view::npos) {
    text.AddNumber(static_cast<uint32_t>(targetText.size() + 2));
    text.Add(u"#\"");
    text.Add(targetText);
    text.Add(u"\"");
  } else {
    text.AddNumber(static_cast<uint32_t>(targetText.size()));
    text.Add(u"#");
    text.Add(targetText);
  }
  if (icon != nullptr && *icon != 0) {
    if (!targetText.empty()) text.Add(u"?");
    text.Add(icon);
  }

  const int32_t failed = win::AsResult(win::kEFail);
  char bytes[kTextBytes];
  const int count = text.Overflowed() ? -1 : ToAnsi(text.Data(), bytes);
  if (count < 0) return failed;
  pf::CreateDirectoryChain(argument);
  return pf::WriteWholeFile(argument, bytes, static_cast<uint32_t>(count), false) > 0 ? 0 : failed;
}

}  // namespace orvinta::files
