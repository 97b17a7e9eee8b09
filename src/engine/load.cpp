// LOAD and the detection of what a file holds: XML document, registry script or command script.
#include "engine/load.h"

#include <cstdlib>
#include <memory>

#include "base/text.h"
#include "engine/room_services.h"
#include "engine/runner.h"
#include "engine/script_commands.h"
#include "platform/file_primitives.h"
#include "platform/platform.h"

namespace orvinta::engine {

namespace {

constexpr char16_t kRegedit4Header[] = u"REGEDIT4";
constexpr char16_t kVersion5Header[] = u"Windows Registry Editor Version 5.00";
constexpr size_t kRegedit4Length = 8;
constexpr size_t kVersion5Length = 36;

// The file's text lives in malloc blocks (one for the bytes, one for converted text). They and
// the search are released on every way out, an exception that abandons a run included (the fuzz
// harness ends runs that way).
struct FreeBlock {
  void operator()(void* block) const { std::free(block); }
};
using Bytes = std::unique_ptr<unsigned char, FreeBlock>;
using Text = std::unique_ptr<char16_t, FreeBlock>;

class SearchCloser {
 public:
  explicit SearchCloser(platform::SearchHandle search) : search_(search) {}
  ~SearchCloser() { platform::Get().files->FindClose(search_); }
  SearchCloser(const SearchCloser&) = delete;
  SearchCloser& operator=(const SearchCloser&) = delete;

 private:
  platform::SearchHandle search_;
};

// Writes `name` and `suffix` at `at` in the path buffer. A name that would not fit is refused,
// and the caller passes over that entry.
bool PutName(char16_t* path, size_t at, const char16_t* name, const char16_t* suffix) {
  size_t nameLength = base::TextLength(name), suffixLength = base::TextLength(suffix);
  if (at + nameLength + suffixLength >= win::kMaxPath) return false;
  for (size_t i = 0; i < nameLength; ++i) path[at + i] = name[i];
  for (size_t i = 0; i <= suffixLength; ++i) path[at + nameLength + i] = suffix[i];
  return true;
}

// What comes before the first character that counts: line breaks, tabs, blanks and everything
// from 0x7F up (a byte-order mark among them).
char16_t* SkipLeadingNoise(char16_t* text) {
  while (*text == u'\r' || *text == u'\n' || *text == u'\t' || *text == u' ' || *text >= 0x7F) ++text;
  return text;
}

// The importer starts one character past the header (the line break that ends it), but never
// past the end of a file that holds the header alone.
char16_t* AfterHeader(char16_t* text, size_t headerLength) {
  return text[headerLength] == 0 ? text + headerLength : text + headerLength + 1;
}

int32_t HandleText(char16_t* text, const char16_t* path) {
  text = SkipLeadingNoise(text);
  if (*text == u'<') {
    return win::AsResult(Rooms().processConfigXml(text, win::kCfgFlagProcess));
  }
  if (base::CommonPrefixLength(text, kRegedit4Header) == kRegedit4Length) {
    return Rooms().importRegistryText(AfterHeader(text, kRegedit4Length), nullptr);
  }
  if (base::CommonPrefixLength(text, kVersion5Header) == kVersion5Length) {
    return Rooms().importRegistryText(AfterHeader(text, kVersion5Length), nullptr);
  }
  return RunScript(text, path);
}

}  // namespace

bool IsUtf16Text(const unsigned char* bytes) { return (bytes[0] == 0xFF && bytes[1] == 0xFE) || bytes[3] == 0; }

int32_t LoadOneFile(const char16_t* path) {
  uint32_t count = platform::kWholeFile;
  Bytes bytes(static_cast<unsigned char*>(platform::ReadWholeFile(path, nullptr, &count)));
  if (bytes == nullptr) return win::AsResult(win::kErrorOpenFailed);

  if (IsUtf16Text(bytes.get())) {
    // The read ends the data with two zero bytes; after an odd count the UTF-16 unit that
    // follows the last whole one needs two more, which the 16 spare bytes hold.
    bytes.get()[static_cast<size_t>(count) + 2] = 0;
    bytes.get()[static_cast<size_t>(count) + 3] = 0;
    return HandleText(reinterpret_cast<char16_t*>(bytes.get()), path);
  }

  // ANSI: one conversion into a block of count + 16 units, then the bytes go at once.
  size_t units = static_cast<size_t>(count) + 16;
  Text text(units <= 0x7FFFFFFF ? static_cast<char16_t*>(std::malloc(units * sizeof(char16_t))) : nullptr);
  if (text == nullptr) return win::AsResult(win::kErrorOpenFailed);
  int converted = platform::Get().text->MultiByteToWideChar(reinterpret_cast<const char*>(bytes.get()), -1,
                                                           text.get(), static_cast<int>(units));
  if (converted <= 0) text.get()[0] = 0;
  bytes.reset();
  return HandleText(text.get(), path);
}

int32_t LoadPattern(const char16_t* argument) {
  platform::Files& fs = *platform::Get().files;
  const size_t length = base::TextLength(argument);
  if (length >= win::kMaxPath) return win::AsResult(win::kErrorFileNotFound);
  char16_t path[win::kMaxPath];
  for (size_t i = 0; i <= length; ++i) path[i] = argument[i];

  size_t nameAt = 0;  // where the last component starts; each found name replaces it
  for (size_t i = 0; i < length; ++i) {
    if (fs.IsPathSeparator({path, length}, i)) nameAt = i + 1;
  }
  const bool scan = path[nameAt] == u'*' && path[nameAt + 1] == 0;

  platform::FindData found;
  platform::SearchHandle search = fs.FindFirstFileW(argument, &found);
  if (search == platform::kInvalidHandleValue) return win::AsResult(win::kErrorFileNotFound);
  SearchCloser closer(search);
  int32_t result = win::AsResult(win::kErrorFileNotFound);
  do {
    if (scan) {
      if (found.name[0] == u'.' || (found.attributes & platform::kFileAttributeDirectory) == 0) continue;
      if (!PutName(path, nameAt, found.name, u"\\*.ovs")) continue;
      result = LoadPattern(path);
    } else {
      if (!PutName(path, nameAt, found.name, u"")) continue;
      result = LoadOneFile(path);
    }
  } while (fs.FindNextFileW(search, &found));
  return result;
}

int32_t HandleLoad(char16_t*, char16_t* argument, ScriptContext&) { return LoadPattern(argument); }

}  // namespace orvinta::engine
