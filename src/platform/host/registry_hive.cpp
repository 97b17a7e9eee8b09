#include "platform/host/registry_hive.h"

#include <vector>

#include "base/hex.h"
#include "base/utf8.h"

namespace orvinta::platform::host {

using base::AppendUtf8;

namespace {

constexpr std::string_view kHeader = "Orvinta registry hive 1";
constexpr std::string_view kLogHeaderLine = "Orvinta registry log 1";
constexpr std::string_view kEndLine = "; end of hive";
constexpr std::string_view kRecordEndLine = "; end of change";
constexpr std::string_view kAbout =
    "; Keys in brackets, their values below: \"name\"=\"text\", dword:, hex:, hex(type):, str(type):\"text\",\n"
    "; multi_sz:\"a\",\"b\"; @ is the default value. In quotes \\\\ \\\" \\xHHHH are escapes, in key names %HHHH.\n";
constexpr size_t kWrapColumn = 76;
constexpr const char* kTooDeep = "a key more than 512 levels below its root";
constexpr size_t kWritePiece = 256 * 1024;
constexpr std::string_view kRootNamesUtf8[kHiveRootCount] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                             "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

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

// The data as UTF-16 units, when it is a whole number of them ending with a zero.
bool TerminatedUnits(const HiveValue& value, std::u16string& units) {
  if (value.size < 2 || value.size % 2 != 0) return false;
  units.resize(value.size / 2);
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(value.data[2 * i] | (value.data[2 * i + 1] << 8));
  }
  if (units.back() != 0) return false;
  units.pop_back();
  return true;
}

void AppendByteList(std::string& out, size_t lineStart, const uint8_t* data, size_t size) {
  size_t column = out.size() - lineStart;
  for (size_t i = 0; i < size; ++i) {
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

// A value line in the one form that states the value exactly; `units` is room to work in.
void AppendValue(std::string& out, const HiveValue& value, std::u16string& units) {
  size_t lineStart = out.size();
  if (value.name.empty()) {
    out.push_back('@');
  } else {
    AppendQuoted(out, value.name);
  }
  out.push_back('=');
  bool text = (value.type == 1 || value.type == 2 || value.type == 21 || value.type == 7) &&
              TerminatedUnits(value, units);
  // A string holds no zero but its terminator; a multi-string is terminated strings and one more zero.
  bool oneString = text && units.find(u'\0') == std::u16string::npos;
  bool strings = text && (units.empty() || units.back() == 0);
  if (value.type == 1 && oneString) {
    AppendQuoted(out, units);
  } else if (value.type == 4 && value.size == 4) {
    const uint8_t* d = value.data;
    uint32_t number = d[0] | (d[1] << 8) | (d[2] << 16) | (uint32_t{d[3]} << 24);
    out += "dword:";
    AppendHex(out, number, 8, base::kLowerHexDigits);
  } else if ((value.type == 2 || value.type == 21) && oneString) {
    out += "str(";
    AppendTypeNumber(out, value.type);
    out += "):";
    AppendQuoted(out, units);
  } else if (value.type == 7 && strings) {
    out += "multi_sz:";
    for (size_t start = 0; start < units.size();) {
      size_t end = units.find(u'\0', start);
      if (start > 0) out.push_back(',');
      AppendQuoted(out, std::u16string_view(units).substr(start, end - start));
      start = end + 1;
    }
  } else {
    if (value.type == 3) {
      out += "hex:";
    } else {
      out += "hex(";
      AppendTypeNumber(out, value.type);
      out += "):";
    }
    AppendByteList(out, lineStart, value.data, value.size);
  }
  out.push_back('\n');
}

void AppendKeyPath(std::string& out, const Hive& hive, KeyId key) {
  std::vector<KeyId> chain;
  for (KeyId at = key; at != kNoKey; at = hive.Parent(at)) chain.push_back(at);
  AppendUtf8(out, hive.Name(chain.back()));
  for (size_t i = chain.size() - 1; i-- > 0;) {
    out.push_back('\\');
    AppendKeyName(out, hive.Name(chain[i]));
  }
}

// Writes keys parents first, subkeys in the order of their folded names, in pieces to the sink.
class HiveWriter {
 public:
  HiveWriter(const Hive& hive, TextSink& sink) : hive_(hive), sink_(sink) {}

  bool Write() {
    out_.reserve(kWritePiece + 4096);
    out_ += kHeader;
    out_.push_back('\n');
    out_ += kAbout;
    for (int root = 0; root < kHiveRootCount; ++root) {
      path_.clear();
      AppendUtf8(path_, hive_.Name(Hive::Root(root)));
      if (!Tree(Hive::Root(root))) return false;
    }
    out_.push_back('\n');
    out_ += kEndLine;
    out_.push_back('\n');
    return Flush(true);
  }

 private:
  struct Frame {
    std::vector<KeyId> subkeys;
    size_t next = 0;
    size_t pathLength = 0;
  };

  // Without recursion, so a deep hive needs no deep stack.
  bool Tree(KeyId top) {
    if (!KeyText(top)) return false;
    Open(0, top);
    size_t depth = 0;
    for (;;) {
      Frame& frame = frames_[depth];
      if (frame.next == frame.subkeys.size()) {
        if (depth == 0) return true;
        --depth;
        continue;
      }
      KeyId key = frame.subkeys[frame.next++];
      path_.resize(frame.pathLength);
      path_.push_back('\\');
      AppendKeyName(path_, hive_.Name(key));
      if (!KeyText(key)) return false;
      Open(++depth, key);
    }
  }

  void Open(size_t depth, KeyId key) {
    if (frames_.size() <= depth) frames_.emplace_back();
    Frame& frame = frames_[depth];
    hive_.Subkeys(key, frame.subkeys);
    frame.next = 0;
    frame.pathLength = path_.size();
  }

  bool KeyText(KeyId key) {
    out_ += "\n[";
    out_ += path_;
    out_ += "]\n";
    for (Hive::ValueId v = hive_.FirstValue(key); v != Hive::kNoValue; v = hive_.NextValue(v)) {
      AppendValue(out_, hive_.Value(v), units_);
    }
    return Flush(false);
  }

  bool Flush(bool all) {
    if (!all && out_.size() < kWritePiece) return true;
    bool written = sink_.Write(out_);
    out_.clear();
    return written;
  }

  const Hive& hive_;
  TextSink& sink_;
  std::string out_;
  std::string path_;
  std::u16string units_;
  std::vector<Frame> frames_;
};

class StringSink final : public TextSink {
 public:
  explicit StringSink(std::string& text) : text_(text) {}
  bool Write(std::string_view text) override {
    text_.append(text);
    return true;
  }

 private:
  std::string& text_;
};

}  // namespace

// ---- reading -------------------------------------------------------------------------------

enum class TextKind { Hive, Log };

// Reads lines of a hive or a log and applies them to a hive (or, without one, only checks them).
class TextReader {
 public:
  TextReader(TextKind kind, Hive* hive, HiveParseError& error, size_t firstLine, bool header)
      : kind_(kind), hive_(hive), error_(error), number_(firstLine - 1), headerPending_(header) {}

  size_t Number() const { return number_; }

  // One line without its line feed.
  bool Line(std::string_view line) {
    ++number_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!CheckText(line)) return false;
    if (joining_) {
      // A byte list goes on over lines that begin with two blanks.
      if (line.size() < 3 || line[0] != ' ' || line[1] != ' ' || line[2] == ' ') {
        return Fail(number_, "a continuation line must begin with two blanks and a byte");
      }
      line.remove_prefix(2);
      if (Continued(line)) {
        joined_.append(line.substr(0, line.size() - 1));
        return true;
      }
      joined_.append(line);
      joining_ = false;
      return Logical(joined_, joinedFrom_);
    }
    // The first line is the header, never continued: a text cut short after "x,\" is no log.
    if (!headerPending_ && line.size() >= 2 && line[0] != ';' && Continued(line)) {
      joining_ = true;
      joinedFrom_ = number_;
      joined_.assign(line.substr(0, line.size() - 1));
      return true;
    }
    return Logical(line, number_);
  }

  // A hive's end, with what followed its last line feed.
  bool EndOfHive(std::string_view rest) {
    if (joining_) return Fail(number_, "a continued line is not continued");
    if (!rest.empty()) return Fail(number_ + 1, "the last line has no line break");
    if (number_ == 0) return Fail(0, "the file is empty");
    if (!ended_) return Fail(0, "no \"; end of hive\" line: the file is truncated");
    return true;
  }

 private:
  struct Link {
    size_t end;  // where the key's name ends in lastPath_
    KeyId key;
  };

  static bool Continued(std::string_view line) {
    return line.size() >= 2 && line[line.size() - 2] == ',' && line.back() == '\\';
  }

  bool Fail(size_t line, std::string reason) {
    error_.line = line;
    error_.reason = std::move(reason);
    return false;
  }

  bool CheckText(std::string_view line) {
    bool ascii = true;
    for (char c : line) {
      if (c == 0) return Fail(number_, "not text: it holds a zero byte");
      ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    if (ascii) return true;
    for (size_t i = 0; i < line.size();) {
      uint32_t codePoint = 0;
      size_t length = base::DecodeUtf8Sequence(line, i, &codePoint);
      if (length == 0) return Fail(number_, "not UTF-8 text");
      i += length;
    }
    return true;
  }

  bool Logical(std::string_view line, size_t number) {
    if (headerPending_) {
      headerPending_ = false;
      if (kind_ == TextKind::Hive && line != kHeader) return Fail(number, "the first line is not \"Orvinta registry hive 1\"");
      if (kind_ == TextKind::Log && line != kLogHeaderLine) {
        return Fail(number, "the first line is not \"Orvinta registry log 1\"");
      }
      return true;
    }
    if (ended_) {
      if (!line.empty()) return Fail(number, "text after the end line");
      return true;
    }
    if (line.empty()) return true;
    if (kind_ == TextKind::Hive && line == kEndLine) {
      ended_ = true;
      return true;
    }
    if (kind_ == TextKind::Log && line == kRecordEndLine) {
      inKey_ = false;  // a record names its keys itself
      return true;
    }
    if (line[0] == ';') return true;
    return line[0] == '[' ? KeyLine(line, number) : ValueLine(line, number);
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
    for (size_t i = 0; i < text.size();) {
      auto c = static_cast<unsigned char>(text[i]);
      if (c < 0x20) return Fail(line, "a control character");
      if (c == static_cast<unsigned char>(escape)) {
        char16_t unit = 0;
        if (escape == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
          out.push_back(static_cast<char16_t>(text[i + 1]));
          i += 2;
        } else if (escape == '\\' && i + 1 < text.size() && text[i + 1] == 'x' && Hex4(text, i + 2, unit)) {
          out.push_back(unit);
          i += 6;
        } else if (escape == '%' && Hex4(text, i + 1, unit)) {
          out.push_back(unit);
          i += 5;
        } else {
          return Fail(line, "an unknown escape");
        }
        continue;
      }
      if (c < 0x80) {
        out.push_back(c);
        ++i;
        continue;
      }
      uint32_t codePoint = 0;
      size_t length = base::DecodeUtf8Sequence(text, i, &codePoint);
      if (length == 0) return Fail(line, "not UTF-8 text");
      if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
      } else {
        codePoint -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
      }
      i += length;
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

  // The next key name of a path at `at` (a "\"); moves `at` to the end of it.
  bool KeyName(std::string_view path, size_t& at, size_t number) {
    size_t start = at + 1;
    at = path.find('\\', start);
    if (at == std::string_view::npos) at = path.size();
    if (!Unescape(path.substr(start, at - start), '%', name_, number)) return false;
    if (name_.empty()) return Fail(number, "an empty key name");
    if (name_.size() > 255) return Fail(number, "a key name longer than 255 characters");
    return true;
  }

  bool KeyLine(std::string_view line, size_t number) {
    if (line.back() != ']' || line.size() < 3) return Fail(number, "a key line must end with \"]\"");
    bool deletion = kind_ == TextKind::Log && line[1] == '-';
    std::string_view path = line.substr(deletion ? 2 : 1, line.size() - (deletion ? 3 : 2));
    size_t at = path.find('\\');
    if (at == std::string_view::npos) at = path.size();
    int root = -1;
    for (int i = 0; i < kHiveRootCount; ++i) {
      if (path.substr(0, at) == kRootNamesUtf8[i]) root = i;
    }
    if (root < 0) return Fail(number, "unknown root key");
    if (deletion || hive_ == nullptr) return OtherKeyLine(path, at, root, deletion, number);

    // The keys this line shares with the previous key line are not looked up again: a hive
    // lists keys parents first, so most lines add one name to a path just read.
    size_t common = 0;
    while (common < path.size() && common < lastPath_.size() && path[common] == lastPath_[common]) ++common;
    size_t kept = 0;
    while (kept < chain_.size() && chain_[kept].end <= common &&
           (chain_[kept].end == path.size() || path[chain_[kept].end] == '\\')) {
      ++kept;
    }
    chain_.resize(kept);
    if (chain_.empty()) chain_.push_back(Link{at, Hive::Root(root)});
    KeyId key = chain_.back().key;
    at = chain_.back().end;
    while (at < path.size()) {
      if (chain_.size() > kMaxKeyDepth) {
        chain_.clear();
        return Fail(number, kTooDeep);
      }
      if (!KeyName(path, at, number)) {
        chain_.clear();
        return false;
      }
      key = hive_->AddSubkey(key, name_);
      chain_.push_back(Link{at, key});
    }
    lastPath_.assign(path);
    if (kind_ == TextKind::Hive && !hive_->Declare(key)) return Fail(number, "the key is listed twice");
    current_ = key;
    inKey_ = true;
    return true;
  }

  // A log's key deletion, or any key line only checked.
  bool OtherKeyLine(std::string_view path, size_t at, int root, bool deletion, size_t number) {
    KeyId key = Hive::Root(root);
    if (deletion && at == path.size()) return Fail(number, "a root key is never deleted");
    for (size_t depth = 1; at < path.size(); ++depth) {
      if (depth > kMaxKeyDepth) return Fail(number, kTooDeep);
      if (!KeyName(path, at, number)) return false;
      if (hive_ == nullptr || key == kNoKey) continue;
      if (deletion && at == path.size()) {
        hive_->DeleteSubkey(key, name_);
      } else {
        key = hive_->FindSubkey(key, name_);  // a deletion of a missing key changes nothing
      }
    }
    if (deletion) {
      lastPath_.clear();  // the keys it remembers may be gone
      chain_.clear();
    }
    inKey_ = !deletion;
    return true;
  }

  bool ByteList(std::string_view text, size_t line) {
    data_.clear();
    if (text.empty()) return true;
    for (size_t i = 0;; i += 3) {
      if (i + 2 > text.size()) return Fail(line, "a byte list item must be two hex digits");
      int high = HexValue(text[i]);
      int low = HexValue(text[i + 1]);
      if (high < 0 || low < 0) return Fail(line, "a byte list item must be two hex digits");
      data_.push_back(static_cast<uint8_t>(high * 16 + low));
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

  void AddUnits(std::u16string_view units) {
    for (char16_t c : units) {
      data_.push_back(static_cast<uint8_t>(c & 0xFF));
      data_.push_back(static_cast<uint8_t>(c >> 8));
    }
  }

  bool ValueLine(std::string_view line, size_t number) {
    if (!inKey_) return Fail(number, "a value line before any key line");
    if (line[0] != '@' && line[0] != '"') return Fail(number, "not a key, value or comment line");
    std::string_view rest = line;
    if (rest[0] == '@') {
      rest.remove_prefix(1);
      name_.clear();
    } else {
      if (!Quoted(rest, name_, number)) return false;
      if (name_.empty()) return Fail(number, "the default value is written @");
    }
    if (rest.empty() || rest[0] != '=') return Fail(number, "\"=\" was expected after the value name");
    rest.remove_prefix(1);
    if (kind_ == TextKind::Log && rest == "-") {
      if (hive_ != nullptr) hive_->DeleteValue(current_, name_);
      return true;
    }
    if (kind_ == TextKind::Hive && hive_->FindValue(current_, name_)) return Fail(number, "the value is listed twice");

    uint32_t type = 0;
    data_.clear();
    if (!rest.empty() && rest[0] == '"') {
      if (!Quoted(rest, text_, number)) return false;
      type = 1;
      AddUnits(text_);
      AddUnits(std::u16string_view(u"", 1));
    } else if (rest.substr(0, 6) == "dword:") {
      rest.remove_prefix(6);
      uint32_t value = 0;
      if (rest.size() != 8 || !base::ReadHexDigits(rest.data(), 8, &value)) {
        return Fail(number, "a dword has eight hex digits");
      }
      rest = {};
      type = 4;
      data_ = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
               static_cast<uint8_t>(value >> 24)};
    } else if (rest.substr(0, 4) == "hex:" || rest.substr(0, 4) == "hex(") {
      rest.remove_prefix(3);
      type = 3;
      if (rest[0] == ':') {
        rest.remove_prefix(1);
      } else if (!TypeNumber(rest, type, number)) {
        return false;
      }
      if (!ByteList(rest, number)) return false;
      rest = {};
    } else if (rest.substr(0, 4) == "str(") {
      rest.remove_prefix(3);
      if (!TypeNumber(rest, type, number) || !Quoted(rest, text_, number)) return false;
      AddUnits(text_);
      AddUnits(std::u16string_view(u"", 1));
    } else if (rest.substr(0, 9) == "multi_sz:") {
      rest.remove_prefix(9);
      type = 7;
      for (bool first = true; !rest.empty(); first = false) {
        if (!first) {
          if (rest[0] != ',') return Fail(number, "multi_sz strings are separated by \",\"");
          rest.remove_prefix(1);
        }
        if (!Quoted(rest, text_, number)) return false;
        AddUnits(text_);
        AddUnits(std::u16string_view(u"", 1));
      }
      AddUnits(std::u16string_view(u"", 1));
    } else {
      return Fail(number, "unknown value data");
    }
    if (!rest.empty()) return Fail(number, "text after the value data");
    if (data_.size() > UINT32_MAX) return Fail(number, "a value larger than 4 GB");
    if (hive_ != nullptr) hive_->SetValue(current_, name_, type, data_.data(), static_cast<uint32_t>(data_.size()));
    return true;
  }

  const TextKind kind_;
  Hive* const hive_;
  HiveParseError& error_;
  size_t number_;  // the last line read
  bool headerPending_;
  bool ended_ = false;
  bool joining_ = false;
  size_t joinedFrom_ = 0;
  std::string joined_;
  bool inKey_ = false;
  KeyId current_ = kNoKey;
  std::string lastPath_;
  std::vector<Link> chain_;
  std::u16string name_, text_;
  std::vector<uint8_t> data_;
};

namespace {

// Hands each line of `text` (which ends with a line feed, or is empty) to the reader.
bool FeedLines(TextReader& reader, std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (!reader.Line(text.substr(at, end - at))) return false;
    at = end + 1;
  }
  return true;
}

}  // namespace

HiveTextReader::HiveTextReader(Hive& hive, HiveParseError& error)
    : reader_(std::make_unique<TextReader>(TextKind::Hive, &hive, error, 1, true)) {}

HiveTextReader::~HiveTextReader() = default;

bool HiveTextReader::Feed(std::string_view piece) {
  size_t end = piece.find('\n');
  if (end == std::string_view::npos) {
    partial_.append(piece);
    return true;
  }
  if (!partial_.empty()) {
    partial_.append(piece.substr(0, end));
    if (!reader_->Line(partial_)) return false;
    partial_.clear();
    piece.remove_prefix(end + 1);
  }
  size_t last = piece.rfind('\n');
  size_t whole = last == std::string_view::npos ? 0 : last + 1;
  if (!FeedLines(*reader_, piece.substr(0, whole))) return false;
  partial_.assign(piece.substr(whole));
  return true;
}

bool HiveTextReader::Finish() { return reader_->EndOfHive(partial_); }

bool ParseHive(std::string_view text, Hive& hive, HiveParseError& error) {
  HiveTextReader reader(hive, error);
  return reader.Feed(text) && reader.Finish();
}

bool ReadLog(std::string_view text, bool fromStart, size_t firstLine, Hive* hive, LogRead& read,
             HiveParseError& error) {
  read = LogRead{};
  // The whole records end at the last "; end of change" line.
  size_t lines = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) break;
    ++lines;
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = end + 1;
    if (line == kRecordEndLine) {
      read.wholeBytes = at;
      read.wholeLines = lines;
    }
  }
  TextReader whole(TextKind::Log, hive, error, firstLine, fromStart);
  if (!FeedLines(whole, text.substr(0, read.wholeBytes))) return false;

  // What follows is a record not yet finished: checked, not applied.
  std::string_view rest = text.substr(read.wholeBytes);
  if (rest.empty()) return true;
  read.unfinished = true;
  size_t lastFeed = rest.rfind('\n');
  size_t complete = lastFeed == std::string_view::npos ? 0 : lastFeed + 1;
  bool header = fromStart && read.wholeBytes == 0;
  TextReader tail(TextKind::Log, nullptr, error, firstLine + read.wholeLines, header);
  if (!FeedLines(tail, rest.substr(0, complete))) return false;
  if (header && complete == 0 && !kLogHeader.starts_with(rest)) {
    error.line = firstLine;
    error.reason = "the first line is not \"Orvinta registry log 1\"";
    return false;
  }
  return true;
}

bool WriteHive(const Hive& hive, TextSink& sink) { return HiveWriter(hive, sink).Write(); }

std::string WriteHive(const Hive& hive) {
  std::string text;
  StringSink sink(text);
  WriteHive(hive, sink);
  return text;
}

void AppendLogKey(std::string& out, const Hive& hive, KeyId key) {
  out.push_back('[');
  AppendKeyPath(out, hive, key);
  out += "]\n";
}

void AppendLogKeyDeletion(std::string& out, const Hive& hive, KeyId key) {
  out += "[-";
  AppendKeyPath(out, hive, key);
  out += "]\n";
}

void AppendLogValue(std::string& out, const HiveValue& value) {
  std::u16string units;
  AppendValue(out, value, units);
}

void AppendLogValueDeletion(std::string& out, std::u16string_view name) {
  if (name.empty()) {
    out.push_back('@');
  } else {
    AppendQuoted(out, name);
  }
  out += "=-\n";
}

}  // namespace orvinta::platform::host
