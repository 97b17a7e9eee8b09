#include "platform/host/code_page.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/constants.h"

namespace orvinta::platform::host {

namespace {

constexpr uint32_t kUtf8 = 65001;

struct CodePage {
  uint32_t number;
  std::string charset;  // iconv's name
};

bool IconvKnows(const std::string& charset) {
  iconv_t probe = iconv_open("UTF-16LE", charset.c_str());
  if (probe == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(probe);
  return true;
}

CodePage LocaleCodePage() {
  std::string charset;
  if (locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0))) {
    charset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
  }
  if (charset.empty() || charset == "UTF-8" || charset == "ANSI_X3.4-1968" || !IconvKnows(charset)) {
    return {kUtf8, "UTF-8"};
  }
  return {0, charset};
}

std::string CharsetFor(uint32_t number) { return number == kUtf8 ? "UTF-8" : "CP" + std::to_string(number); }

CodePage ChooseCodePage() {
  const char* named = std::getenv("ORVINTA_CODEPAGE");
  if (named == nullptr || *named == 0) return LocaleCodePage();
  char* end = nullptr;
  unsigned long number = std::strtoul(named, &end, 10);
  if (*end == 0 && number > 0 && number < 65536 && IconvKnows(CharsetFor(static_cast<uint32_t>(number)))) {
    return {static_cast<uint32_t>(number), CharsetFor(static_cast<uint32_t>(number))};
  }
  CodePage fallback = LocaleCodePage();
  std::fprintf(stderr, "orvinta: ORVINTA_CODEPAGE=%s is not a code page this system can convert; using %s\n", named,
               fallback.number == kUtf8 ? "UTF-8 (65001)" : fallback.charset.c_str());
  return fallback;
}

// Whether every byte from 0x01 to 0x7F stands for itself, statelessly. Then a run of such bytes
// can be copied without iconv (script text is mostly ASCII), and a control byte (below 0x20)
// always stands alone: no multi-byte character of such a character set holds one (trail bytes
// of the double-byte code pages start at 0x40, GB18030's digits at 0x30, UTF-8's at 0x80).
// False for EBCDIC, UTF-7 and the ISO-2022 forms.
bool KeepsAscii(iconv_t cd) {
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char bytes[127];
  char16_t units[128];
  for (int i = 0; i < 127; ++i) bytes[i] = static_cast<char>(i + 1);
  char* in = bytes;
  char* out = reinterpret_cast<char*>(units);
  size_t inLeft = sizeof bytes, outLeft = sizeof units;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) || outLeft != sizeof units - 254) return false;
  for (int i = 0; i < 127; ++i) {
    if (units[i] != i + 1) return false;
  }
  return true;
}

// The code page in force and its two converters, made on first use.
struct State {
  CodePage page;
  iconv_t toUtf16;
  iconv_t fromUtf16;
  bool asciiCompatible;

  explicit State(CodePage chosen) { Open(std::move(chosen)); }
  ~State() { Close(); }
  void Open(CodePage chosen) {
    page = std::move(chosen);
    toUtf16 = iconv_open("UTF-16LE", page.charset.c_str());
    fromUtf16 = iconv_open(page.charset.c_str(), "UTF-16LE");
    asciiCompatible = KeepsAscii(toUtf16);
  }
  void Close() {
    if (toUtf16 != reinterpret_cast<iconv_t>(-1)) iconv_close(toUtf16);
    if (fromUtf16 != reinterpret_cast<iconv_t>(-1)) iconv_close(fromUtf16);
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;
};

State& Current() {
  static State state(ChooseCodePage());
  return state;
}

// The converter for one direction, reset before each use.
iconv_t Converter(bool toUtf16) {
  iconv_t cd = toUtf16 ? Current().toUtf16 : Current().fromUtf16;
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return cd;
}

// Where converted bytes go: the caller's buffer, or, when it only asks for the size, a scratch
// block that is counted and reused.
class Sink {
 public:
  Sink(char* destination, size_t capacityBytes) : start_(destination), next_(destination), left_(capacityBytes) {
    if (destination == nullptr) {
      counting_ = true;
      next_ = scratch_;
      left_ = sizeof scratch_;
    }
  }
  char** next() { return &next_; }
  size_t* left() { return &left_; }
  // Makes room after E2BIG; false when the caller's buffer is full.
  bool Drain() {
    if (!counting_) return false;
    counted_ += static_cast<size_t>(next_ - scratch_);
    next_ = scratch_;
    left_ = sizeof scratch_;
    return true;
  }
  bool Put(const char* bytes, size_t n) {
    if (left_ < n && !Drain()) return false;
    std::memcpy(next_, bytes, n);
    next_ += n;
    left_ -= n;
    return true;
  }
  // Widens ASCII bytes to UTF-16 LE units.
  bool PutAscii(const char* bytes, size_t n) {
    while (n > 0) {
      if (left_ < 2 && !Drain()) return false;
      size_t take = left_ / 2 < n ? left_ / 2 : n;
      char* __restrict out = next_;
      const char* __restrict in = bytes;
      for (size_t i = 0; i < take; ++i) {
        out[2 * i] = in[i];
        out[2 * i + 1] = 0;
      }
      next_ += 2 * take;
      left_ -= 2 * take;
      bytes += take;
      n -= take;
    }
    return true;
  }
  size_t Written() const { return counting_ ? counted_ + static_cast<size_t>(next_ - scratch_) : static_cast<size_t>(next_ - start_); }

 private:
  char* start_;
  char* next_;
  size_t left_;
  bool counting_ = false;
  size_t counted_ = 0;
  char scratch_[4096];
};

// Converts `in` whole; `replace` writes the stand-in for the unit at `in` that iconv refuses and
// returns how many input bytes it stands for. Returns false when the destination is too small.
template <typename Replace>
bool Convert(iconv_t cd, char* in, size_t inLeft, Sink& sink, Replace replace) {
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, sink.next(), sink.left()) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      if (!sink.Drain()) return false;
      continue;
    }
    // EILSEQ (not a character here) or EINVAL (cut short at the end).
    size_t skipped = 0;
    if (!replace(in, inLeft, sink, &skipped)) return false;
    in += skipped;
    inLeft -= skipped;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  while (iconv(cd, nullptr, nullptr, sink.next(), sink.left()) == static_cast<size_t>(-1)) {
    if (errno != E2BIG || !sink.Drain()) return false;
  }
  return true;
}

}  // namespace

uint32_t AnsiCodePage() { return Current().page.number; }

bool SelectAnsiCodePage(uint32_t number) {
  std::string charset = CharsetFor(number);
  if (!IconvKnows(charset)) return false;
  State& state = Current();
  state.Close();
  state.Open({number, charset});
  return true;
}

namespace {

int Widen(const char* source, int sourceLength, char16_t* destination, int capacity, uint32_t* error, bool asciiRuns) {
  if (source == nullptr || sourceLength == 0 || sourceLength < -1 || capacity < 0 ||
      (capacity > 0 && destination == nullptr)) {
    *error = win::kErrorInvalidParameter;
    return 0;
  }
  iconv_t cd = Converter(true);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *error = win::kErrorInvalidParameter;
    return 0;
  }
  size_t length = sourceLength == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceLength);
  Sink sink(capacity == 0 ? nullptr : reinterpret_cast<char*>(destination), static_cast<size_t>(capacity) * 2);
  const bool windows1252 = Current().page.number == 1252;
  auto replace = [&](const char* at, size_t, Sink& out, size_t* skipped) {
    // Windows maps the five bytes that 1252 leaves undefined to the C1 controls of the same
    // number; every other byte that is no character becomes U+FFFD.
    auto byte = static_cast<unsigned char>(*at);
    char16_t unit = windows1252 && (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)
                        ? static_cast<char16_t>(byte)
                        : char16_t{0xFFFD};
    *skipped = 1;
    char bytes[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return out.Put(bytes, 2);
  };
  bool fits = true;
  if (!asciiRuns || !Current().asciiCompatible) {
    fits = Convert(cd, const_cast<char*>(source), length, sink, replace);
  } else {
    // ASCII runs are widened here; iconv gets each stretch that holds other bytes, up to the
    // next control byte (a line break, usually), where a character surely starts.
    size_t at = 0;
    while (fits && at < length) {
      size_t run = at;
      for (uint64_t eight; run + 8 <= length; run += 8) {
        std::memcpy(&eight, source + run, 8);
        if ((eight & 0x8080808080808080u) != 0) break;
      }
      while (run < length && static_cast<unsigned char>(source[run]) < 0x80) ++run;
      fits = sink.PutAscii(source + at, run - at);
      at = run;
      if (!fits || at == length) break;
      size_t stretch = at + 1;
      while (stretch < length && static_cast<unsigned char>(source[stretch]) >= 0x20) ++stretch;
      fits = Convert(cd, const_cast<char*>(source + at), stretch - at, sink, replace);
      at = stretch;
    }
  }
  if (!fits) {
    *error = win::kErrorInsufficientBuffer;
    return 0;
  }
  return static_cast<int>(sink.Written() / 2);
}

}  // namespace

int AnsiToUtf16(const char* source, int sourceLength, char16_t* destination, int capacity, uint32_t* error) {
  return Widen(source, sourceLength, destination, capacity, error, true);
}

int AnsiToUtf16ThroughIconv(const char* source, int sourceLength, char16_t* destination, int capacity,
                            uint32_t* error) {
  return Widen(source, sourceLength, destination, capacity, error, false);
}

int Utf16ToAnsi(const char16_t* source, int sourceLength, char* destination, int capacity, uint32_t* error) {
  if (source == nullptr || sourceLength == 0 || sourceLength < -1 || capacity < 0 ||
      (capacity > 0 && destination == nullptr)) {
    *error = win::kErrorInvalidParameter;
    return 0;
  }
  iconv_t cd = Converter(false);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *error = win::kErrorInvalidParameter;
    return 0;
  }
  size_t units = 0;
  if (sourceLength == -1) {
    while (source[units] != 0) ++units;
    ++units;
  } else {
    units = static_cast<size_t>(sourceLength);
  }
  Sink sink(capacity == 0 ? nullptr : destination, static_cast<size_t>(capacity));
  const bool utf8 = Current().page.number == kUtf8;
  auto* in = reinterpret_cast<char*>(const_cast<char16_t*>(source));
  bool fits = Convert(cd, in, units * 2, sink, [&](const char*, size_t left, Sink& out, size_t* skipped) {
    // A character the code page lacks becomes "?"; in UTF-8 only a lone surrogate can fail,
    // and it becomes U+FFFD as on Windows.
    *skipped = left < 2 ? left : 2;
    return utf8 ? out.Put("\xEF\xBF\xBD", 3) : out.Put("?", 1);
  });
  if (!fits) {
    *error = win::kErrorInsufficientBuffer;
    return 0;
  }
  return static_cast<int>(sink.Written());
}

}  // namespace orvinta::platform::host
