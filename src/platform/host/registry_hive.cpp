#include "platform/host/registry_hive.h"

#include <unordered_set>

#include "base/case_rules.h"
#include "base/hex.h"
#include "base/utf8.h"

namespace orvinta::platform::host {

using base::AppendUtf8;
using base::Utf8ToUtf16;

namespace {

constexpr std::string_view kHeader = "Orvinta registry hive 1";
constexpr std::string_view kEndLine = "; end of hive";
constexpr std::string_view kAbout =
    "; Keys in brackets, their values below: \"name\"=\"text\", dword:, hex:, hex(type):, str(type):\"text\",\n"
    "; multi_sz:\"a\",\"b\"; @ is the default value. In quotes \\\\ \\\" \\xHHHH are escapes, in key names %HHHH.\n";
constexpr size_t kWrapColumn = 76;

constexpr std::u16string_view kRootNames[kHiveRootCount] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER",
                                                            u"HKEY_LOCAL_MACHINE", u"HKEY_USERS"};


// ---- writing -------------------------------------------------------------------------------

using base::IsHighSurrogate;
using base::IsLowSurrogate;

// Whether text[i] is a surrogate without its partner, which UTF-8 cannot carry.
bool IsLoneSurrogate(std::u16string_view text, size_t i) {
  char16_t c = text[i];
  if (IsHighSurrogate(c)) return i + 1 >= text.size() || !IsLowSurrogate(text[i + 1]);
  if (IsLowSurrogate(c)) return i == 0 || !IsHighSurrogate(text[i - 1]);
  return false;
}

void AppendHex(std::string& out, uint32_t value, int digits, const char* alphabet = base::kUpperHexDigits) {
  char text[8];
  out.append(text, static_cast<size_t>(base::PutHexDigits(text, value, digits, alphabet) - text));
}

// Appends text, escaping with `escape` + four hex digits what UTF-8 text cannot show plainly.
template <typename NeedsEscape>
void AppendEscaped(std::string& out, std::u16string_view text, const char* escape, NeedsEscape needsEscape) {
  // Most names and texts are printable ASCII: copied as they are, in one piece.
  bool plainAscii = true;
  for (char16_t c : text) plainAscii = plainAscii && c >= 0x20 && c < 0x7F && !needsEscape(c);
  if (plainAscii) {
    size_t at = out.size();
    out.resize(at + text.size());
    for (size_t i = 0; i < text.size(); ++i) out[at + i] = static_cast<char>(text[i]);
    return;
  }
  size_t plainStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (!(c < 0x20 || c == 0x7F || IsLoneSurrogate(text, i) || needsEscape(c))) continue;
    AppendUtf8(out, text.substr(plainStart, i - plainStart));
    out += escape;
    AppendHex(out, c, 4);
    plainStart = i + 1;
  }
  AppendUtf8(out, text.substr(plainStart));
}

void AppendQuoted(std::string& out, std::u16string_view text) {
  out.push_back('"');
  size_t plainStart = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\\' && text[i] != u'"') continue;
    AppendEscaped(out, text.substr(plainStart, i - plainStart), "\\x", [](char16_t) { return false; });
    if (i < text.size()) {
      out.push_back('\\');
      out.push_back(static_cast<char>(text[i]));
    }
    plainStart = i + 1;
  }
  out.push_back('"');
}

void AppendKeyName(std::string& out, std::u16string_view name) {
  AppendEscaped(out, name, "%", [](char16_t c) { return c == u'%'; });
}

std::u16string UnitsOf(const std::vector<uint8_t>& data) {
  std::u16string units(data.size() / 2, 0);
  for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  return units;
}

// One terminated string and nothing else: the text without its terminator.
bool AsString(const std::vector<uint8_t>& data, std::u16string& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::u16string units = UnitsOf(data);
  if (units.back() != 0 || units.find(u'\0') != units.size() - 1) return false;
  units.pop_back();
  text = std::move(units);
  return true;
}

// Terminated strings followed by one more zero.
bool AsMultiString(const std::vector<uint8_t>& data, std::vector<std::u16string>& strings) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::u16string units = UnitsOf(data);
  if (units.back() != 0) return false;
  units.pop_back();
  if (!units.empty() && units.back() != 0) return false;
  strings.clear();
  size_t start = 0;
  while (start < units.size()) {
    size_t end = units.find(u'\0', start);
    strings.push_back(units.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

void AppendByteList(std::string& out, size_t lineStart, const std::vector<uint8_t>& data) {
  size_t column = out.size() - lineStart;
  for (size_t i = 0; i < data.size(); ++i) {
    char item[7];
    size_t n = 0;
    bool wrap = false;
    if (i > 0) {
      item[n++] = ',';
      wrap = column + 4 > kWrapColumn;
      if (wrap) {
        item[n++] = '\\';
        item[n++] = '\n';
        item[n++] = ' ';
        item[n++] = ' ';
      }
    }
    n = static_cast<size_t>(base::PutHexDigits(item + n, data[i], 2, base::kLowerHexDigits) - item);
    out.append(item, n);
    column = wrap ? 4 : column + n;
  }
}

void AppendTypeNumber(std::string& out, uint32_t type) {
  int digits = 1;
  while (digits < 8 && (type >> (digits * 4)) != 0) ++digits;
  AppendHex(out, type, digits, base::kLowerHexDigits);
}

void AppendValue(std::string& out, const HiveValue& value) {
  size_t lineStart = out.size();
  if (value.name.empty()) {
    out.push_back('@');
  } else {
    AppendQuoted(out, value.name);
  }
  out.push_back('=');
  std::u16string text;
  std::vector<std::u16string> strings;
  if (value.type == 1 && AsString(value.data, text)) {
    AppendQuoted(out, text);
  } else if (value.type == 4 && value.data.size() == 4) {
    uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) | (uint32_t{value.data[3]} << 24);
    out += "dword:";
    AppendHex(out, number, 8, base::kLowerHexDigits);
  } else if ((value.type == 2 || value.type == 21) && AsString(value.data, text)) {
    out += "str(";
    AppendTypeNumber(out, value.type);
    out += "):";
    AppendQuoted(out, text);
  } else if (value.type == 7 && AsMultiString(value.data, strings)) {
    out += "multi_sz:";
    for (size_t i = 0; i < strings.size(); ++i) {
      if (i > 0) out.push_back(',');
      AppendQuoted(out, strings[i]);
    }
  } else {
    if (value.type == 3) {
      out += "hex:";
    } else {
      out += "hex(";
      AppendTypeNumber(out, value.type);
      out += "):";
    }
    AppendByteList(out, lineStart, value.data);
  }
  out.push_back('\n');
}

// About the size of the text of a key and everything below it, so the text grows in one piece.
size_t EstimatedSize(const HiveKey& key) {
  size_t size = 256 + key.Name().size() * 3;
  for (const HiveValue& value : key.Values()) size += 32 + value.name.size() * 3 + value.data.size() * 3;
  for (const auto& [folded, subkey] : key.Subkeys()) size += EstimatedSize(*subkey);
  return size;
}

void AppendKey(std::string& out, std::string& path, const HiveKey& key) {
  out += "\n[";
  out += path;
  out += "]\n";
  for (const HiveValue& value : key.Values()) AppendValue(out, value);
  for (const auto& [folded, subkey] : key.Subkeys()) {
    size_t length = path.size();
    path.push_back('\\');
    AppendKeyName(path, subkey->Name());
    AppendKey(out, path, *subkey);
    path.resize(length);
  }
}

// ---- reading -------------------------------------------------------------------------------

class Reader {
 public:
  Reader(Hive& hive, HiveParseError& error) : hive_(hive), error_(error) {}

  bool Parse(std::string_view text) {
    if (!ValidUtf8(text)) return false;
    size_t lineNumber = 0;
    size_t position = 0;
    bool ended = false;
    while (position < text.size()) {
      size_t end = text.find('\n', position);
      if (end == std::string_view::npos) return Fail(lineNumber + 1, "the last line has no line break");
      std::string_view line = text.substr(position, end - position);
      position = end + 1;
      ++lineNumber;
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      // A byte list may go on over lines that begin with two blanks.
      std::string joined;
      size_t firstLine = lineNumber;
      while (line.size() >= 2 && line[0] != ';' && line.substr(line.size() - 2) == ",\\") {
        joined.append(line.substr(0, line.size() - 1));
        end = text.find('\n', position);
        if (end == std::string_view::npos) return Fail(lineNumber, "a continued line is not continued");
        line = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.substr(0, 2) != "  " || line.size() < 3 || line[2] == ' ') {
          return Fail(lineNumber, "a continuation line must begin with two blanks and a byte");
        }
        line.remove_prefix(2);
      }
      if (!joined.empty()) {
        joined.append(line);
        line = joined;
      }
      if (firstLine == 1) {
        if (line != kHeader) return Fail(1, "the first line is not \"Orvinta registry hive 1\"");
        continue;
      }
      if (ended) {
        if (!line.empty()) return Fail(firstLine, "text after the end line");
        continue;
      }
      if (line.empty()) continue;
      if (line == kEndLine) {
        ended = true;
        continue;
      }
      if (line[0] == ';') continue;
      bool ok = line[0] == '[' ? KeyLine(line, firstLine) : ValueLine(line, firstLine);
      if (!ok) return false;
    }
    if (lineNumber == 0) return Fail(0, "the file is empty");
    if (!ended) return Fail(0, "no \"; end of hive\" line: the file is truncated");
    return true;
  }

 private:
  bool Fail(size_t line, std::string reason) {
    error_.line = line;
    error_.reason = std::move(reason);
    return false;
  }

  bool ValidUtf8(std::string_view text) {
    size_t line = 1;
    for (size_t i = 0; i < text.size();) {
      if (text[i] == '\n') ++line;
      if (text[i] == 0) return Fail(line, "not text: it holds a zero byte");
      uint32_t codePoint = 0;
      const size_t length = base::DecodeUtf8Sequence(text, i, &codePoint);
      if (length == 0) return Fail(line, "not UTF-8 text");
      i += length;
    }
    return true;
  }


  static int HexValue(char c) { return base::HexDigitValue(static_cast<unsigned char>(c)); }

  static bool Hex4(std::string_view text, size_t at, char16_t& unit) {
    uint32_t value = 0;
    if (at + 4 > text.size() || !base::ReadHexDigits(text.data() + at, 4, &value)) return false;
    unit = static_cast<char16_t>(value);
    return true;
  }

  // Decodes UTF-8 with the escape `escape` + four hex digits; raw control characters are errors.
  bool Unescape(std::string_view text, char escape, std::u16string& out, size_t line) {
    out.clear();
    size_t plainStart = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i < text.size() && static_cast<unsigned char>(text[i]) < 0x20) return Fail(line, "a control character");
      if (i < text.size() && text[i] != escape) continue;
      out += Utf8ToUtf16(text.substr(plainStart, i - plainStart));
      if (i == text.size()) break;
      char16_t unit = 0;
      if (escape == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
        out.push_back(static_cast<char16_t>(text[i + 1]));
        i += 1;
      } else if (escape == '\\' && i + 1 < text.size() && text[i + 1] == 'x' && Hex4(text, i + 2, unit)) {
        out.push_back(unit);
        i += 5;
      } else if (escape == '%' && Hex4(text, i + 1, unit)) {
        out.push_back(unit);
        i += 4;
      } else {
        return Fail(line, "an unknown escape");
      }
      plainStart = i + 1;
    }
    return true;
  }

  // A quoted text at the start of `rest`; moves `rest` past it.
  bool Quoted(std::string_view& rest, std::u16string& out, size_t line) {
    if (rest.empty() || rest[0] != '"') return Fail(line, "a quoted text was expected");
    size_t i = 1;
    while (i < rest.size() && rest[i] != '"') i += rest[i] == '\\' ? 2 : 1;
    if (i >= rest.size()) return Fail(line, "a quoted text is not closed");
    if (!Unescape(rest.substr(1, i - 1), '\\', out, line)) return false;
    rest.remove_prefix(i + 1);
    return true;
  }

  bool KeyLine(std::string_view line, size_t number) {
    if (line.back() != ']' || line.size() < 3) return Fail(number, "a key line must end with \"]\"");
    std::string_view path = line.substr(1, line.size() - 2);
    size_t slash = path.find('\\');
    std::string_view rootName = path.substr(0, slash);
    int root = -1;
    for (int i = 0; i < kHiveRootCount; ++i) {
      if (Utf8ToUtf16(rootName) == kRootNames[i]) root = i;
    }
    if (root < 0) return Fail(number, "unknown root key");
    std::shared_ptr<HiveKey> key = hive_.roots[root];
    while (slash != std::string_view::npos) {
      path.remove_prefix(slash + 1);
      slash = path.find('\\');
      std::u16string name;
      if (!Unescape(path.substr(0, slash), '%', name, number)) return false;
      if (name.empty()) return Fail(number, "an empty key name");
      if (name.size() > 255) return Fail(number, "a key name longer than 255 characters");
      key = key->AddSubkey(name);
    }
    if (!declared_.insert(key.get()).second) return Fail(number, "the key is listed twice");
    current_ = key.get();
    return true;
  }

  bool ByteList(std::string_view text, std::vector<uint8_t>& bytes, size_t line) {
    bytes.clear();
    if (text.empty()) return true;
    for (size_t i = 0;; i += 3) {
      if (i + 2 > text.size()) return Fail(line, "a byte list item must be two hex digits");
      int high = HexValue(text[i]);
      int low = HexValue(text[i + 1]);
      if (high < 0 || low < 0) return Fail(line, "a byte list item must be two hex digits");
      bytes.push_back(static_cast<uint8_t>(high * 16 + low));
      if (i + 2 == text.size()) return true;
      if (text[i + 2] != ',' || i + 3 == text.size()) return Fail(line, "byte list items are separated by \",\"");
    }
  }

  // "(hex digits):" at the start of rest, for hex(...) and str(...).
  bool TypeNumber(std::string_view& rest, uint32_t& type, size_t line) {
    size_t close = rest.find("):");
    if (rest.empty() || rest[0] != '(' || close == std::string_view::npos || close < 2 || close > 9) {
      return Fail(line, "a type number in parentheses was expected");
    }
    type = 0;
    for (size_t i = 1; i < close; ++i) {
      int digit = HexValue(rest[i]);
      if (digit < 0) return Fail(line, "a type number must be hexadecimal");
      type = type * 16 + static_cast<uint32_t>(digit);
    }
    rest.remove_prefix(close + 2);
    return true;
  }

  static std::vector<uint8_t> BytesOf(std::u16string_view units) {
    std::vector<uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t c : units) {
      bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
  }

  bool ValueLine(std::string_view line, size_t number) {
    if (current_ == nullptr) return Fail(number, "a value line before any key line");
    if (line[0] != '@' && line[0] != '"') return Fail(number, "not a key, value or comment line");
    std::u16string name;
    std::string_view rest = line;
    if (rest[0] == '@') {
      rest.remove_prefix(1);
    } else {
      if (!Quoted(rest, name, number)) return false;
      if (name.empty()) return Fail(number, "the default value is written @");
    }
    if (rest.empty() || rest[0] != '=') return Fail(number, "\"=\" was expected after the value name");
    rest.remove_prefix(1);
    if (current_->FindValue(name) != nullptr) return Fail(number, "the value is listed twice");

    uint32_t type = 0;
    std::vector<uint8_t> data;
    std::u16string text;
    if (!rest.empty() && rest[0] == '"') {
      if (!Quoted(rest, text, number)) return false;
      type = 1;
      text.push_back(0);
      data = BytesOf(text);
    } else if (rest.substr(0, 6) == "dword:") {
      rest.remove_prefix(6);
      uint32_t value = 0;
      if (rest.size() != 8 || !base::ReadHexDigits(rest.data(), 8, &value)) {
        return Fail(number, "a dword has eight hex digits");
      }
      rest = {};
      type = 4;
      data = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
              static_cast<uint8_t>(value >> 24)};
    } else if (rest.substr(0, 4) == "hex:" || rest.substr(0, 4) == "hex(") {
      rest.remove_prefix(3);
      type = 3;
      if (rest[0] == ':') {
        rest.remove_prefix(1);
      } else if (!TypeNumber(rest, type, number)) {
        return false;
      }
      if (!ByteList(rest, data, number)) return false;
      rest = {};
    } else if (rest.substr(0, 4) == "str(") {
      rest.remove_prefix(3);
      if (!TypeNumber(rest, type, number) || !Quoted(rest, text, number)) return false;
      text.push_back(0);
      data = BytesOf(text);
    } else if (rest.substr(0, 9) == "multi_sz:") {
      rest.remove_prefix(9);
      type = 7;
      std::u16string all;
      for (bool first = true; !rest.empty(); first = false) {
        if (!first) {
          if (rest[0] != ',') return Fail(number, "multi_sz strings are separated by \",\"");
          rest.remove_prefix(1);
        }
        if (!Quoted(rest, text, number)) return false;
        all += text;
        all.push_back(0);
      }
      all.push_back(0);
      data = BytesOf(all);
    } else {
      return Fail(number, "unknown value data");
    }
    if (!rest.empty()) return Fail(number, "text after the value data");
    current_->SetValue(name, type, std::move(data));
    return true;
  }

  Hive& hive_;
  HiveParseError& error_;
  HiveKey* current_ = nullptr;
  std::unordered_set<const HiveKey*> declared_;
};

}  // namespace

std::u16string FoldName(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = base::NameUpper(c);
  return folded;
}

namespace {

size_t FoldedHash(std::u16string_view name) {
  size_t hash = 14695981039346656037ull;
  for (char16_t c : name) hash = (hash ^ base::NameUpper(c)) * 1099511628211ull;
  return hash;
}

bool SameFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (base::NameUpper(a[i]) != base::NameUpper(b[i])) return false;
  }
  return true;
}

}  // namespace

size_t HiveKey::Slot(std::u16string_view name) const {
  size_t mask = valueSlots_.size() - 1;
  for (size_t slot = FoldedHash(name) & mask;; slot = (slot + 1) & mask) {
    uint32_t entry = valueSlots_[slot];
    if (entry == 0 || SameFolded(values_[entry - 1].name, name)) return slot;
  }
}

void HiveKey::Reindex() {
  size_t size = 16;
  while (size < values_.size() * 2 + 2) size *= 2;  // at most half full
  valueSlots_.assign(size, 0);
  for (size_t i = 0; i < values_.size(); ++i) valueSlots_[Slot(values_[i].name)] = static_cast<uint32_t>(i + 1);
}

const HiveValue* HiveKey::FindValue(std::u16string_view name) const {
  if (valueSlots_.empty()) return nullptr;
  uint32_t entry = valueSlots_[Slot(name)];
  return entry == 0 ? nullptr : &values_[entry - 1];
}

void HiveKey::SetValue(std::u16string_view name, uint32_t type, std::vector<uint8_t> data) {
  if (values_.size() * 2 + 2 > valueSlots_.size()) Reindex();
  uint32_t& entry = valueSlots_[Slot(name)];
  if (entry != 0) {
    // The value keeps the case of the name it was created with.
    values_[entry - 1].type = type;
    values_[entry - 1].data = std::move(data);
    return;
  }
  values_.push_back(HiveValue{std::u16string(name), type, std::move(data)});
  entry = static_cast<uint32_t>(values_.size());
}

bool HiveKey::DeleteValue(std::u16string_view name) {
  if (valueSlots_.empty()) return false;
  uint32_t entry = valueSlots_[Slot(name)];
  if (entry == 0) return false;
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(entry - 1));
  Reindex();
  return true;
}

std::shared_ptr<HiveKey> HiveKey::FindSubkey(std::u16string_view name) const {
  auto found = subkeys_.find(FoldName(name));
  return found == subkeys_.end() ? nullptr : found->second;
}

std::shared_ptr<HiveKey> HiveKey::AddSubkey(std::u16string_view name) {
  auto [position, added] = subkeys_.try_emplace(FoldName(name));
  if (added) position->second = std::make_shared<HiveKey>(std::u16string(name));
  return position->second;
}

bool HiveKey::DeleteSubkey(std::u16string_view name) {
  auto found = subkeys_.find(FoldName(name));
  if (found == subkeys_.end()) return false;
  found->second->MarkDeleted();
  subkeys_.erase(found);
  return true;
}

void HiveKey::MarkDeleted() {
  deleted_ = true;
  for (auto& [folded, subkey] : subkeys_) subkey->MarkDeleted();
}

Hive::Hive() {
  for (int i = 0; i < kHiveRootCount; ++i) roots[i] = std::make_shared<HiveKey>(std::u16string(kRootNames[i]));
}


bool ParseHive(std::string_view text, Hive& hive, HiveParseError& error) {
  return Reader(hive, error).Parse(text);
}

std::string WriteHive(const Hive& hive) {
  size_t estimate = kHeader.size() + kAbout.size() + 64;
  for (const auto& root : hive.roots) estimate += EstimatedSize(*root);
  std::string out;
  out.reserve(estimate);
  out += kHeader;
  out.push_back('\n');
  out += kAbout;
  std::string path;
  for (const auto& root : hive.roots) {
    path.clear();
    AppendUtf8(path, root->Name());
    AppendKey(out, path, *root);
  }
  out.push_back('\n');
  out += kEndLine;
  out.push_back('\n');
  return out;
}

}  // namespace orvinta::platform::host
