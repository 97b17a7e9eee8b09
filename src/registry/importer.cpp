#include "registry/importer.h"

#include <string>

#include "base/number.h"
#include "base/text.h"
#include "registry/registry_key.h"

namespace orvinta::registry {

namespace {

// What an unescaped double quote becomes in a copied value line; the value rules look for
// this code, so an escaped quote (\") is a quote character like any other.
constexpr char16_t kQuoteMark = 1;

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }
bool IsSpaceOrBreak(char16_t c) { return IsLineBreak(c) || base::IsBlankOrTab(c); }

char16_t* Find(char16_t* text, char16_t c) {
  for (; *text != 0; ++text) {
    if (*text == c) return text;
  }
  return nullptr;
}

class Importer {
 public:
  ~Importer() { CloseKey(); }

  // Handles one copied line (zero-terminated); false when it is not registry text.
  bool Line(char16_t* line) {
    if (line[0] == u'[') {
      KeyLine(line);
      return true;
    }
    if (key_ != 0 && (line[0] == u'@' || line[0] == kQuoteMark)) {
      ValueLine(line);
      return true;
    }
    return line[0] == u';';
  }

  void CloseKey() {
    if (key_ == 0) return;
    registry_.RegCloseKey(key_);
    key_ = 0;
  }

 private:
  void KeyLine(char16_t* line) {
    CloseKey();
    // The key path ends at the closing bracket: blanks after it are dropped with it.
    size_t length = base::TextLength(line);
    while (length > 1 && base::IsBlankOrTab(line[length - 1])) --length;
    line[length - 1] = 0;
    bool deletion = line[1] == u'-';
    char16_t* path = line + (deletion ? 2 : 1);
    size_t rootLength = 0;
    platform::KeyHandle root = ParseRootKey(path, rootLength);
    if (root == 0) return;
    if (deletion) {
      registry_.RegDeleteKeyW(root, path + rootLength);
    } else if (registry_.RegCreateKeyExW(root, path + rootLength, win::kKeyAllAccess, &key_) != win::kErrorSuccess) {
      key_ = 0;
    }
  }

  void ValueLine(char16_t* line) {
    const char16_t* name = nullptr;  // the default value
    char16_t* afterName = line + 1;
    if (line[0] == kQuoteMark) {
      char16_t* close = Find(line + 1, kQuoteMark);
      if (close == nullptr) return;
      *close = 0;
      name = line + 1;
      afterName = close + 1;
    }
    char16_t* equals = Find(afterName, u'=');
    if (equals == nullptr) return;

    // The type keywords count only before the data's first quote mark, so a quoted string
    // holding "hex" or "dword:" stays a string.
    char16_t* firstQuote = Find(equals, kQuoteMark);
    if (firstQuote != nullptr) *firstQuote = 0;
    auto* dword = const_cast<char16_t*>(base::FindNoCase(equals, u"DWORD:"));
    auto* hex = const_cast<char16_t*>(base::FindNoCase(equals, u"HEX"));
    auto* multi = const_cast<char16_t*>(base::FindNoCase(equals, u"MULTI_SZ:"));
    bool mui = base::FindNoCase(equals, u"MUI_SZ:") != nullptr;
    if (firstQuote != nullptr) *firstQuote = kQuoteMark;

    if (dword != nullptr) {
      dword[4] = u'0';
      dword[5] = u'x';
      int32_t number = base::ParseNumber(dword + 4);
      registry_.RegSetValueExW(key_, name, win::kRegDword, &number, sizeof number);
    } else if (hex != nullptr) {
      uint32_t type = win::kRegBinary;
      if (hex[3] == u'(') {
        hex[2] = u'0';
        hex[3] = u'x';
        type = static_cast<uint32_t>(base::ParseNumber(hex + 2));
      }
      char16_t* colon = Find(hex + 3, u':');
      if (colon == nullptr) return;
      uint32_t count = ParseByteList(colon + 1);
      registry_.RegSetValueExW(key_, name, type, colon + 1, count);
    } else if (multi != nullptr) {
      char16_t* open = Find(multi + 9, kQuoteMark);
      if (open == nullptr) return;
      char16_t* out = open + 1;
      bool inside = true;
      for (const char16_t* in = open + 1; *in != 0; ++in) {
        if (*in == kQuoteMark) {
          if (inside) *out++ = 0;
          inside = !inside;
        } else if (inside) {
          *out++ = *in;
        }
      }
      *out++ = 0;
      auto size = static_cast<uint32_t>((out - (open + 1)) * sizeof(char16_t));
      registry_.RegSetValueExW(key_, name, win::kRegMultiSz, open + 1, size);
    } else if (char16_t* open = Find(equals, kQuoteMark); open != nullptr) {
      char16_t* close = Find(open + 1, kQuoteMark);
      if (close == nullptr) return;
      *close = 0;
      auto size = static_cast<uint32_t>((close - open) * sizeof(char16_t));
      registry_.RegSetValueExW(key_, name, mui ? win::kRegMuiSz : win::kRegSz, open + 1, size);
    } else if (equals[1] == u'-') {
      registry_.RegDeleteValueW(key_, name);
    }
  }

  platform::Registry& registry_ = *platform::Get().registry;
  platform::KeyHandle key_ = 0;
};

}  // namespace

int32_t ImportRegistryText(char16_t* text, char16_t** readPosition) {
  Importer importer;
  int32_t result = win::kErrorSuccess;
  std::u16string line;  // each line is copied here: the text itself stays as it was
  const char16_t* p = text;
  const char16_t* stop = nullptr;  // embedded mode: the first line that is not registry text
  while (stop == nullptr) {
    while (IsSpaceOrBreak(*p)) ++p;
    if (*p == 0) break;
    const char16_t* lineStart = p;
    line.clear();
    bool keyLine = *p == u'[';
    while (*p != 0 && !IsLineBreak(*p)) {
      if (keyLine) {
        const char16_t* run = p;
        while (*p != 0 && !IsLineBreak(*p)) ++p;
        line.append(run, static_cast<size_t>(p - run));
        break;
      }
      const char16_t* run = p;  // characters copied as they are, taken together
      while (*p != 0 && !IsLineBreak(*p) && *p != u'"' && *p != u'\\') ++p;
      line.append(run, static_cast<size_t>(p - run));
      if (*p == u'"') {
        line.push_back(kQuoteMark);
        ++p;
      } else if (*p == u'\\') {
        // An escape: the next character that is no blank or line break, taken as it is. At the
        // end of a line it joins the next line on.
        ++p;
        while (IsSpaceOrBreak(*p)) ++p;
        if (*p == 0) break;
        line.push_back(*p++);
      }
    }
    // A last line without a line break is imported like any other.
    line.push_back(0);
    if (!importer.Line(line.data())) {
      result = win::AsResult(win::kErrorNotRegistryFile);
      if (readPosition != nullptr) stop = lineStart;
    }
  }
  if (readPosition != nullptr) *readPosition = const_cast<char16_t*>(stop != nullptr ? stop : p);
  importer.CloseKey();
  // Changes that could not be made lasting outweigh what the lines said.
  if (uint32_t committed = platform::Get().registry->CommitChanges(); committed != win::kErrorSuccess) {
    return win::AsResult(committed);
  }
  return result;
}

}  // namespace orvinta::registry
