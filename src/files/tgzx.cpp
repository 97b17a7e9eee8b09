// TGZX archive[,target]. Each 512-byte header names an entry (from a long-name record before
// it, or from its name field, joined with a ustar prefix); a file's data follows in whole
// blocks. Only regular files and folders are made, and a file that can't be written whole ends
// the extraction. An entry is passed over (its data read and
// dropped) when its name can't be converted, does not fit 259 units with the target, begins
// with a separator or climbs with "..": nothing is ever written outside the target folder.
#include "files/tgzx.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "files/archive_reader.h"
#include "files/file_commands.h"
#include "files/path_buffer.h"
#include "platform/file_primitives.h"
#include "platform/platform.h"

namespace orvinta::files {

namespace {

namespace pf = platform;
using pf::CreateDirectoryChain;

constexpr uint32_t kBlock = 512;
constexpr uint32_t kDataRun = 64 * 1024;        // a file's data is read and written in runs of blocks
constexpr uint32_t kInvalidSize = 0xFFFFFFFF;

// Header fields.
constexpr size_t kNameLength = 100;
constexpr size_t kSizeOffset = 124, kSizeLength = 12;
constexpr size_t kTypeOffset = 156;
constexpr size_t kMagicOffset = 257;
constexpr size_t kPrefixOffset = 345, kPrefixLength = 155;

enum class Phase { kHeader, kHeaderAfterLongName, kData };

size_t BoundedLength(const unsigned char* bytes, size_t most) {
  const void* zero = std::memchr(bytes, 0, most);
  return zero != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - bytes) : most;
}

// A component made only of dots and blanks, with two dots or more, climbs on Windows ("..",
// and ". ." or "..." once trailing dots and blanks are stripped).
bool ClimbsUp(std::u16string_view component) {
  size_t dots = 0;
  for (char16_t c : component) {
    if (c == u'.') {
      ++dots;
    } else if (c != u' ') {
      return false;
    }
  }
  return dots >= 2;
}

// Whether the name stays below the target folder.
bool StaysInside(std::u16string_view name) {
  if (!name.empty() && name[0] == u'\\') return false;
  for (size_t start = 0; start <= name.size();) {
    size_t end = name.find(u'\\', start);
    if (end == std::u16string_view::npos) end = name.size();
    if (ClimbsUp(name.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

class Extraction {
 public:
  Extraction(ArchiveReader& archive, std::u16string_view target) : archive_(archive), target_(target) {}

  int32_t Run() {
    std::optional<int32_t> result;
    while (!result) result = phase_ == Phase::kData ? CopyData() : TakeHeader();
    CloseOutput();
    return *result;
  }

 private:
  // A run of data blocks: the complete ones go to the file (its padding never does).
  std::optional<int32_t> CopyData() {
    const uint64_t padded = (static_cast<uint64_t>(remaining_) + kBlock - 1) / kBlock * kBlock;
    const uint32_t want = padded < kDataRun ? static_cast<uint32_t>(padded) : kDataRun;
    const int got = archive_.Read(data_, want);
    if (got < 0) return kTgzxReadFailed;
    const uint32_t whole = static_cast<uint32_t>(got) / kBlock * kBlock;
    const uint32_t amount = whole < remaining_ ? whole : static_cast<uint32_t>(remaining_);
    if (output_ != nullptr && amount > 0) {
      uint32_t written = 0;
      if (!pf::Get().files->WriteFile(output_, data_, amount, &written) || written != amount) return DropOutput();
    }
    remaining_ -= amount;
    if (remaining_ == 0) EndEntry();
    if (static_cast<uint32_t>(got) < want) return kTgzxReadFailed;  // the archive ends inside the entry
    return std::nullopt;
  }

  std::optional<int32_t> TakeHeader() {
    const int got = archive_.Read(block_, kBlock);
    if (got < 0) return kTgzxReadFailed;
    if (got == 0 || block_[0] == 0) return kTgzxDone;
    if (static_cast<uint32_t>(got) < kBlock) return kTgzxReadFailed;  // the archive ends inside a header

    // Every header takes the long name that came before it, whatever it is.
    const bool fromLongName = phase_ == Phase::kHeaderAfterLongName;
    phase_ = Phase::kHeader;
    const unsigned char type = block_[kTypeOffset];
    if (type == 'L' || type == 'K') return TakeLongName();
    if (type == 'x' || type == 'g') return SkipData();  // extended headers: their data are no headers
    if (type != 0 && type != '0' && type != '5') return std::nullopt;  // links and the like: nothing

    PathBuffer path;
    const bool usable = EntryPath(fromLongName, &path);
    if (type == '5') {
      if (usable && path.Append(u"\\")) CreateDirectoryChain(path.Data());
      return std::nullopt;
    }
    const uint64_t size = ParseSizeField(block_ + kSizeOffset, kSizeLength);
    if (size == kInvalidSize64) return kTgzxDone;
    output_ = usable ? CreateOutput(path) : nullptr;
    // A full disk ends the extraction; other files that can't be made are passed over.
    if (usable && output_ == nullptr && pf::Get().files->GetLastError() == win::kErrorDiskFull) return kTgzxWriteFailed;
    remaining_ = size;
    phase_ = Phase::kData;
    if (remaining_ == 0) EndEntry();
    return std::nullopt;
  }

  // A long-name record: one block with the next entry's name, zero-terminated. A record that
  // fails a test ends the extraction.
  std::optional<int32_t> TakeLongName() {
    const uint32_t size = ParseOctalField(block_ + kSizeOffset, kSizeLength);
    if (size > kBlock - 1) return kTgzxDone;
    const int got = archive_.Read(longName_, kBlock);
    if (got < 0) return kTgzxLongNameFailed;
    if (static_cast<uint32_t>(got) < kBlock) return kTgzxReadFailed;
    if (longName_[kBlock - 1] != 0 || BoundedLength(longName_, kBlock) > size) return kTgzxDone;
    if (size != 0) phase_ = Phase::kHeaderAfterLongName;
    return std::nullopt;
  }

  std::optional<int32_t> SkipData() {
    const uint64_t size = ParseSizeField(block_ + kSizeOffset, kSizeLength);
    if (size == kInvalidSize64) return kTgzxDone;
    remaining_ = size;
    phase_ = Phase::kData;
    if (remaining_ == 0) EndEntry();
    return std::nullopt;
  }

  // Target, "\" and the entry's name; false when the entry is to be passed over.
  bool EntryPath(bool fromLongName, PathBuffer* path) {
    unsigned char joined[kPrefixLength + 1 + kNameLength];
    const unsigned char* bytes = longName_;
    size_t count = BoundedLength(longName_, kBlock);
    if (!fromLongName) {
      bytes = block_;
      count = BoundedLength(block_, kNameLength);
      // A ustar name may be split: the prefix field holds its folders.
      const size_t prefix = BoundedLength(block_ + kPrefixOffset, kPrefixLength);
      if (std::memcmp(block_ + kMagicOffset, "ustar\0", 6) == 0 && prefix > 0) {
        std::memcpy(joined, block_ + kPrefixOffset, prefix);
        joined[prefix] = '/';
        std::memcpy(joined + prefix + 1, block_, count);
        bytes = joined;
        count += prefix + 1;
      }
    }
    char16_t name[PathBuffer::kLongest + 1];
    int units = 0;
    if (count > 0) {
      units = pf::Get().text->MultiByteToWideChar(reinterpret_cast<const char*>(bytes), static_cast<int>(count), name,
                                                  static_cast<int>(PathBuffer::kLongest));
      if (units <= 0) return false;  // no conversion, or more than 259 units
    }
    for (int i = 0; i < units; ++i) {
      if (name[i] == u'/') name[i] = u'\\';
    }
    const std::u16string_view entry(name, static_cast<size_t>(units));
    return StaysInside(entry) && path->Assign(target_) && path->Join(entry);
  }

  // The file, replaced when it exists, in its folder chain. The chain of the previous file is
  // not made again: an archive lists a folder's files together.
  pf::FileHandle CreateOutput(PathBuffer& path) {
    const std::u16string_view whole = path.View();
    const std::u16string_view folder = whole.substr(0, whole.rfind(u'\\'));
    if (!chainMade_ || lastChain_.View() != folder) {
      CreateDirectoryChain(path.Data());
      chainMade_ = lastChain_.Assign(folder);
    }
    pf::FileHandle file =
        pf::Get().files->CreateFileW(path.Data(), pf::kGenericWrite, pf::kFileShareRead, pf::kCreateAlways, 0);
    if (file == pf::kInvalidHandleValue) return nullptr;
    outputPath_.Assign(path.View());
    return file;
  }

  // A file that could not be written whole (a full disk) is removed, and the extraction ends;
  // the files written whole before it stay.
  int32_t DropOutput() {
    CloseOutput();
    pf::Get().files->DeleteFileW(outputPath_.Data());
    return kTgzxWriteFailed;
  }

  void EndEntry() {
    phase_ = Phase::kHeader;
    CloseOutput();
  }

  void CloseOutput() {
    if (output_ != nullptr) pf::Get().files->CloseHandle(output_);
    output_ = nullptr;
  }

  ArchiveReader& archive_;
  std::u16string_view target_;
  Phase phase_ = Phase::kHeader;
  uint64_t remaining_ = 0;  // sizes are 64-bit: a member of 4 GiB or more is never cut short
  pf::FileHandle output_ = nullptr;
  PathBuffer outputPath_;
  PathBuffer lastChain_;
  bool chainMade_ = false;
  unsigned char block_[kBlock];
  unsigned char longName_[kBlock];
  unsigned char data_[kDataRun];
};

}  // namespace

uint32_t ParseOctalField(const unsigned char* bytes, uint32_t length) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < length; ++i) {
    const unsigned char c = bytes[i];
    if (c == 0) break;
    if (c == ' ') continue;
    if (c < '0' || c > '7') return kInvalidSize;
    value = value * 8 + (c - '0');
  }
  return value;
}

uint64_t ParseSizeField(const unsigned char* bytes, uint32_t length) {
  if (length == 0) return 0;
  if ((bytes[0] & 0x80) == 0) {
    uint64_t value = 0;
    for (uint32_t i = 0; i < length; ++i) {
      const unsigned char c = bytes[i];
      if (c == 0) break;
      if (c == ' ') continue;
      if (c < '0' || c > '7' || value > (kInvalidSize64 >> 3)) return kInvalidSize64;
      value = value * 8 + (c - '0');
    }
    return value;
  }
  // Base-256: the rest of the first byte and the bytes after it, most significant first. A
  // negative number (0xFF first) or one beyond 63 bits is no size.
  if (bytes[0] != 0x80) return kInvalidSize64;
  uint64_t value = 0;
  for (uint32_t i = 1; i < length; ++i) {
    if (value >> 55 != 0) return kInvalidSize64;
    value = value << 8 | bytes[i];
  }
  return value >> 63 != 0 ? kInvalidSize64 : value;
}

int32_t HandleTgzx(char16_t*, char16_t* argument, engine::ScriptContext&) {
  const char16_t* target = engine::CutAtSeparator(argument);
  ArchiveReader archive;
  if (!archive.Open(argument)) return kTgzxCannotOpen;
  Extraction extraction(archive, target != nullptr ? target : u"");  // about 67 KiB, on the interpreter's stack
  return extraction.Run();
}

}  // namespace orvinta::files
