// LOAD and the detection of what a file holds: XML document, registry script or command script.
#include "engine/load.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/text.h"
#include "engine/room_services.h"
#include "engine/runner.h"
#include "engine/script_commands.h"
#include "platform/file_primitives.h"
#include "platform/memory.h"
#include "platform/platform.h"

namespace orvinta::engine {

namespace {

constexpr char16_t kRegedit4Header[] = u"REGEDIT4";
constexpr char16_t kVersion5Header[] = u"Windows Registry Editor Version 5.00";
constexpr size_t kRegedit4Length = 8;
constexpr size_t kVersion5Length = 36;

// The file's text lives in malloc blocks (the bytes read, the converted text). They and
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

// ANSI text is read and converted a block at a time, so that a LOAD holds the UTF-16 text and
// one block instead of the bytes and the text side by side.
constexpr size_t kBlockBytes = 64 * 1024;

// Reads a file front to back, never more than the size it had when opened, and stops for good
// at the first read that fails or brings nothing: what was read by then is the file. A size
// that can't be had counts as an empty file.
class FileReader {
 public:
  explicit FileReader(platform::FileHandle file) : file_(file) {
    uint32_t size = platform::Get().files->GetFileSize(file, nullptr);
    left_ = size == platform::kInvalidFileSize ? 0 : size;
  }
  ~FileReader() { Close(); }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  size_t Left() const { return left_; }
  bool AtEnd() const { return left_ == 0; }
  // Reads up to `count` bytes (at most Left()) into `into`; returns how many came.
  size_t Read(unsigned char* into, size_t count) {
    if (count > left_) count = left_;
    size_t total = 0;
    while (total < count) {
      uint32_t read = 0;
      bool ok = platform::Get().files->ReadFile(file_, into + total, static_cast<uint32_t>(count - total), &read);
      if (read > count - total) read = static_cast<uint32_t>(count - total);  // a platform that over-reports
      total += read;
      if (!ok || read == 0) {
        left_ = 0;
        return total;
      }
    }
    left_ -= total;
    return total;
  }
  void Close() {
    if (file_ != nullptr) platform::Get().files->CloseHandle(file_);
    file_ = nullptr;
  }

 private:
  platform::FileHandle file_;
  size_t left_ = 0;
};

// How many bytes up to and including the last control byte (below 0x20); 0 when there is none.
// No character of a code page a script may use holds such a byte (trail bytes start at 0x30),
// so a conversion that stops there and starts again gives what one conversion of it all gives.
size_t ThroughLastControlByte(const unsigned char* bytes, size_t count) {
  while (count > 0 && bytes[count - 1] >= 0x20) --count;
  return count;
}

}  // namespace

bool IsUtf16Text(const unsigned char* bytes) { return (bytes[0] == 0xFF && bytes[1] == 0xFE) || bytes[3] == 0; }

int32_t LoadOneFile(const char16_t* path) {
  const int32_t openFailed = win::AsResult(win::kErrorOpenFailed);
  platform::FileHandle file = platform::OpenFileForAccess(path, platform::kGenericRead);
  if (file == nullptr) return openFailed;
  FileReader reader(file);

  // The first block decides the encoding; the four zero bytes behind what was read end the text
  // either way, and make a file shorter than four bytes read as UTF-16.
  size_t capacity = reader.Left() < kBlockBytes ? reader.Left() : kBlockBytes;
  Bytes block(static_cast<unsigned char*>(std::malloc(capacity + 16)));
  if (block == nullptr) return openFailed;
  size_t have = reader.Read(block.get(), capacity);
  std::memset(block.get() + have, 0, 4);

  // The file is closed before its script runs: the script may write or delete it.
  if (IsUtf16Text(block.get())) {
    if (reader.AtEnd()) {
      reader.Close();
      return HandleText(reinterpret_cast<char16_t*>(block.get()), path);
    }
    Bytes whole(static_cast<unsigned char*>(platform::AllocateLargeBlock(have + reader.Left() + 16)));
    if (whole == nullptr) return openFailed;
    std::memcpy(whole.get(), block.get(), have);
    block.reset();
    have += reader.Read(whole.get() + have, reader.Left());
    std::memset(whole.get() + have, 0, 4);
    reader.Close();
    return HandleText(reinterpret_cast<char16_t*>(whole.get()), path);
  }

  // ANSI: each byte gives at most one unit, so the text is sized from the file up front and
  // the blocks are converted into it as they come.
  const size_t units = have + reader.Left() + 16;
  Text text(units <= 0x7FFFFFFF ? static_cast<char16_t*>(platform::AllocateLargeBlock(units * sizeof(char16_t)))
                                : nullptr);
  if (text == nullptr) return openFailed;
  size_t written = 0;
  bool converted = true;
  for (;;) {
    // The conversion stops at the first zero byte, as a zero-terminated one does.
    auto* zero = static_cast<unsigned char*>(std::memchr(block.get(), 0, have));
    const bool last = zero != nullptr || reader.AtEnd();
    if (zero != nullptr) have = static_cast<size_t>(zero - block.get());
    size_t take = last ? have : ThroughLastControlByte(block.get(), have);
    if (take > 0) {
      int count = platform::Get().text->MultiByteToWideChar(reinterpret_cast<const char*>(block.get()),
                                                           static_cast<int>(take), text.get() + written,
                                                           static_cast<int>(units - 1 - written));
      if (count <= 0) {
        converted = false;
        break;
      }
      written += static_cast<size_t>(count);
    }
    if (last) break;
    // What follows the last control byte waits for the rest of its line; a block that holds no
    // control byte at all grows until one comes.
    std::memmove(block.get(), block.get() + take, have - take);
    have -= take;
    if (have == capacity) {
      auto* larger = static_cast<unsigned char*>(std::realloc(block.get(), 2 * capacity + 16));
      if (larger == nullptr) return openFailed;
      block.release();
      block.reset(larger);
      capacity *= 2;
    }
    have += reader.Read(block.get() + have, capacity - have);
  }
  block.reset();
  reader.Close();
  text.get()[converted ? written : 0] = 0;
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
  bool wildcard = false;
  for (size_t i = nameAt; i < length; ++i) wildcard = wildcard || path[i] == u'*' || path[i] == u'?';

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
      // A pipe or device that a wildcard matches is no script: passed over, not waited on.
      if (wildcard && (found.attributes & platform::kFileAttributeDevice) != 0) continue;
      if (!PutName(path, nameAt, found.name, u"")) continue;
      result = LoadOneFile(path);
    }
  } while (fs.FindNextFileW(search, &found));
  return result;
}

int32_t HandleLoad(char16_t*, char16_t* argument, ScriptContext&) { return LoadPattern(argument); }

}  // namespace orvinta::engine
